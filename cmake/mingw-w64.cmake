# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, so that std::thread and std::mutex work), and running what is built
# under Wine. The private prefix with SDL and its libraries comes from
# tools/windows/build_deps.sh through TRAKMOR_WIN_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRAKMOR_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TRAKMOR_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAKMOR_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAKMOR_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${TRAKMOR_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${TRAKMOR_TRIPLE}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TRAKMOR_TRIPLE})
if(DEFINED ENV{TRAKMOR_WIN_PREFIX} AND NOT TRAKMOR_WIN_PREFIX)
  set(TRAKMOR_WIN_PREFIX "$ENV{TRAKMOR_WIN_PREFIX}")
endif()
if(TRAKMOR_WIN_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${TRAKMOR_WIN_PREFIX}")
  list(APPEND CMAKE_PREFIX_PATH "${TRAKMOR_WIN_PREFIX}")
  # Never the build machine's .pc files.
  set(ENV{PKG_CONFIG_LIBDIR} "${TRAKMOR_WIN_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe: libgcc, libstdc++ and winpthread linked in, no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest (and gtest's discovery) run the .exe files through Wine.
find_program(TRAKMOR_WINE NAMES wine wine64)
if(TRAKMOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRAKMOR_WINE})
endif()
