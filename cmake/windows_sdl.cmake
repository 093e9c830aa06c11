# SDL2, SDL2_image, SDL2_ttf, FreeType and HarfBuzz for Windows, from the
# private prefix that tools/windows/build_deps.sh fills, under the names the
# Linux build gets from pkg-config. Static libraries: one .exe, no DLL beside it.
set(TRAKMOR_WIN_PREFIX "${TRAKMOR_WIN_PREFIX}" CACHE PATH "Prefix of the Windows SDL libraries (tools/windows/build_deps.sh)")
if(NOT EXISTS "${TRAKMOR_WIN_PREFIX}/lib/cmake/SDL2")
  message(FATAL_ERROR "set TRAKMOR_WIN_PREFIX to the prefix printed by tools/windows/build_deps.sh")
endif()

set(SDL2_DIR "${TRAKMOR_WIN_PREFIX}/lib/cmake/SDL2")
set(SDL2_image_DIR "${TRAKMOR_WIN_PREFIX}/lib/cmake/SDL2_image")
set(SDL2_ttf_DIR "${TRAKMOR_WIN_PREFIX}/lib/cmake/SDL2_ttf")
set(freetype_DIR "${TRAKMOR_WIN_PREFIX}/lib/cmake/freetype")
# SDL2_ttf's package finds FreeType through CMake's own module.
set(FREETYPE_INCLUDE_DIR_ft2build "${TRAKMOR_WIN_PREFIX}/include/freetype2")
set(FREETYPE_INCLUDE_DIR_freetype2 "${TRAKMOR_WIN_PREFIX}/include/freetype2")
set(FREETYPE_LIBRARY "${TRAKMOR_WIN_PREFIX}/lib/libfreetype.a")
find_package(SDL2 REQUIRED CONFIG NO_DEFAULT_PATH)
find_package(freetype REQUIRED CONFIG NO_DEFAULT_PATH)
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
find_package(SDL2_image REQUIRED CONFIG NO_DEFAULT_PATH)
find_package(SDL2_ttf REQUIRED CONFIG NO_DEFAULT_PATH)

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
add_library(PkgConfig::SDL2_IMAGE INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_IMAGE INTERFACE SDL2_image::SDL2_image-static PkgConfig::SDL2)
add_library(PkgConfig::SDL2_TTF INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_TTF INTERFACE SDL2_ttf::SDL2_ttf-static harfbuzz::harfbuzz freetype PkgConfig::SDL2)
