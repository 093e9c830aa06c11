# SDL2, SDL2_image, SDL2_ttf and FreeType of a cross build (the browser's,
# Windows'), static, from the private prefix its tools/*/build_deps.sh fills,
# under the names the Linux build gets from pkg-config. `ARGN`: what SDL2_ttf
# needs linked beside it. Stand-ins for targets the packages name but the
# prefix does not define are the caller's, before this.
macro(trakmor_sdl_from_prefix prefix)
  set(SDL2_DIR "${prefix}/lib/cmake/SDL2")
  set(SDL2_image_DIR "${prefix}/lib/cmake/SDL2_image")
  set(SDL2_ttf_DIR "${prefix}/lib/cmake/SDL2_ttf")
  set(freetype_DIR "${prefix}/lib/cmake/freetype")
  # SDL2_ttf's package finds FreeType through CMake's own module.
  set(FREETYPE_INCLUDE_DIR_ft2build "${prefix}/include/freetype2")
  set(FREETYPE_INCLUDE_DIR_freetype2 "${prefix}/include/freetype2")
  set(FREETYPE_LIBRARY "${prefix}/lib/libfreetype.a")
  find_package(SDL2 REQUIRED CONFIG NO_DEFAULT_PATH)
  find_package(freetype REQUIRED CONFIG NO_DEFAULT_PATH)
  find_package(SDL2_image REQUIRED CONFIG NO_DEFAULT_PATH)
  find_package(SDL2_ttf REQUIRED CONFIG NO_DEFAULT_PATH)

  add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
  target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
  add_library(PkgConfig::SDL2_IMAGE INTERFACE IMPORTED)
  target_link_libraries(PkgConfig::SDL2_IMAGE INTERFACE SDL2_image::SDL2_image-static PkgConfig::SDL2)
  add_library(PkgConfig::SDL2_TTF INTERFACE IMPORTED)
  target_link_libraries(PkgConfig::SDL2_TTF INTERFACE SDL2_ttf::SDL2_ttf-static ${ARGN} PkgConfig::SDL2)
endmacro()
