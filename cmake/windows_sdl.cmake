# The Windows SDL libraries and HarfBuzz (cmake/sdl_prefix.cmake), from the
# prefix that tools/windows/build_deps.sh fills. Static libraries: one .exe,
# no DLL beside it.
set(TRAKMOR_WIN_PREFIX "${TRAKMOR_WIN_PREFIX}" CACHE PATH "Prefix of the Windows SDL libraries (tools/windows/build_deps.sh)")
if(NOT EXISTS "${TRAKMOR_WIN_PREFIX}/lib/cmake/SDL2")
  message(FATAL_ERROR "set TRAKMOR_WIN_PREFIX to the prefix printed by tools/windows/build_deps.sh")
endif()

# Built static, SDL2_image and SDL2_ttf name their dependencies as targets
# they do not define: libjpeg and libpng (stb_image decodes both here), and
# HarfBuzz, whose build installs no CMake package of its own.
foreach(dep JPEG::JPEG PNG::PNG)
  if(NOT TARGET ${dep})
    add_library(${dep} INTERFACE IMPORTED)
  endif()
endforeach()
if(NOT TARGET harfbuzz::harfbuzz)
  add_library(harfbuzz::harfbuzz STATIC IMPORTED)
  set_target_properties(harfbuzz::harfbuzz PROPERTIES
    IMPORTED_LOCATION "${TRAKMOR_WIN_PREFIX}/lib/libharfbuzz.a"
    INTERFACE_INCLUDE_DIRECTORIES "${TRAKMOR_WIN_PREFIX}/include/harfbuzz"
    INTERFACE_LINK_LIBRARIES freetype)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/sdl_prefix.cmake)
trakmor_sdl_from_prefix("${TRAKMOR_WIN_PREFIX}" harfbuzz::harfbuzz freetype)
