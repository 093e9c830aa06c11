// trakmor: the game in a window on the desktop.
#include "app/desktop/desktop_main.h"

int main(int argc, char** argv) { return desktop::Main(argc, argv); }
