# The browser's SDL libraries (cmake/sdl_prefix.cmake), from the prefix that
# tools/web/build_deps.sh fills.
set(TRAKMOR_WEB_PREFIX "" CACHE PATH "Prefix of the browser's SDL libraries (tools/web/build_deps.sh)")
if(NOT EXISTS "${TRAKMOR_WEB_PREFIX}/lib/cmake/SDL2")
  message(FATAL_ERROR "set TRAKMOR_WEB_PREFIX to the prefix printed by tools/web/build_deps.sh")
endif()

# Emscripten's toolchain looks for packages in its own sysroot only, where its
# downloadable ports would be found instead of ours.
list(APPEND CMAKE_FIND_ROOT_PATH "${TRAKMOR_WEB_PREFIX}")
# SDL2_image's config asks for libjpeg even when stb_image decodes JPEG, as here.
if(NOT TARGET JPEG::JPEG)
  add_library(JPEG::JPEG INTERFACE IMPORTED)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/sdl_prefix.cmake)
trakmor_sdl_from_prefix("${TRAKMOR_WEB_PREFIX}")

# The game throws to end itself (the quit command); keep C++ exceptions working.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexceptions>)
add_link_options(-fexceptions)
