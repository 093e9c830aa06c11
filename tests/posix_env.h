#pragma once
// setenv and unsetenv where the C runtime has only _putenv_s (Windows), which
// passes the change on to the system's own environment, where SDL reads it.
#include <cstdlib>

#ifdef _WIN32
inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif
