#pragma once

namespace desktop {

// A Windows GUI program starts with no console. When its standard output or
// error goes nowhere, they are sent to the console of the program that
// started it, if it has one (a command prompt), so that --help and --version
// still answer there. Output already redirected stays where it goes.
void UseParentConsole();

} // namespace desktop
