# SDL2, SDL2_image, SDL2_ttf and FreeType for the browser, from the private
# prefix that tools/web/build_deps.sh fills, under the names the desktop build
# gets from pkg-config.
set(TRAKMOR_WEB_PREFIX "" CACHE PATH "Prefix of the browser's SDL libraries (tools/web/build_deps.sh)")
if(NOT EXISTS "${TRAKMOR_WEB_PREFIX}/lib/cmake/SDL2")
  message(FATAL_ERROR "set TRAKMOR_WEB_PREFIX to the prefix printed by tools/web/build_deps.sh")
endif()

# Emscripten's toolchain looks for packages in its own sysroot only, where its
# downloadable ports would be found instead of ours.
list(APPEND CMAKE_FIND_ROOT_PATH "${TRAKMOR_WEB_PREFIX}")
set(SDL2_DIR "${TRAKMOR_WEB_PREFIX}/lib/cmake/SDL2")
set(SDL2_image_DIR "${TRAKMOR_WEB_PREFIX}/lib/cmake/SDL2_image")
set(SDL2_ttf_DIR "${TRAKMOR_WEB_PREFIX}/lib/cmake/SDL2_ttf")
set(freetype_DIR "${TRAKMOR_WEB_PREFIX}/lib/cmake/freetype")
set(FREETYPE_INCLUDE_DIR_ft2build "${TRAKMOR_WEB_PREFIX}/include/freetype2")
set(FREETYPE_INCLUDE_DIR_freetype2 "${TRAKMOR_WEB_PREFIX}/include/freetype2")
set(FREETYPE_LIBRARY "${TRAKMOR_WEB_PREFIX}/lib/libfreetype.a")
find_package(SDL2 REQUIRED CONFIG NO_DEFAULT_PATH)
find_package(freetype REQUIRED CONFIG NO_DEFAULT_PATH)
# SDL2_image's config asks for libjpeg even when stb_image decodes JPEG, as here.
if(NOT TARGET JPEG::JPEG)
  add_library(JPEG::JPEG INTERFACE IMPORTED)
endif()
find_package(SDL2_image REQUIRED CONFIG NO_DEFAULT_PATH)
find_package(SDL2_ttf REQUIRED CONFIG NO_DEFAULT_PATH)

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
add_library(PkgConfig::SDL2_IMAGE INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_IMAGE INTERFACE SDL2_image::SDL2_image-static PkgConfig::SDL2)
add_library(PkgConfig::SDL2_TTF INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_TTF INTERFACE SDL2_ttf::SDL2_ttf-static PkgConfig::SDL2)

# The game throws to end itself (the quit command); keep C++ exceptions working.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexceptions>)
add_link_options(-fexceptions)
