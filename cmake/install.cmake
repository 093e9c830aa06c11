# What `cmake --install` puts where, the files a desktop needs to list the game,
# and the Debian package (cmake/package.cmake). The version is project(VERSION).

include(GNUInstallDirs)

set(TRAKMOR_APP_ID io.github.trakmor.Trakmor)
# The day of the release that project(VERSION) names.
set(TRAKMOR_RELEASE_DATE 2026-12-08)
set(TRAKMOR_HOMEPAGE "https://github.com/trakmor/trakmor" CACHE STRING "Where the game is published")
set(TRAKMOR_SCREENSHOT_URL "https://raw.githubusercontent.com/trakmor/trakmor/main/dist/screenshot-ride.png"
    CACHE STRING "The published copy of dist/screenshot-ride.png")
set(TRAKMOR_MAINTAINER "Trakmor developers <trakmor@example.org>" CACHE STRING "Maintainer of the Debian package")

# --help and --version.
add_library(trakmor_command_line STATIC app/command_line.cpp)
target_include_directories(trakmor_command_line PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(trakmor_command_line PRIVATE TRAKMOR_VERSION="${PROJECT_VERSION}")
target_link_libraries(trakmor_command_line PRIVATE trakmor_warnings trakmor_sanitizers)
if(TARGET trakmor_tests)
  target_link_libraries(trakmor_tests PRIVATE trakmor_command_line)
endif()

# The window's own car icon at the theme's sizes. Sampling copies whole pixels,
# so the icon stays as crisp as the 32-pixel original at every size.
find_program(TRAKMOR_CONVERT convert REQUIRED)
set(TRAKMOR_ICON_SOURCE ${CMAKE_SOURCE_DIR}/assets/form1.ico)
set(TRAKMOR_ICON_SIZES 16 32 48 64 128 256)
set(TRAKMOR_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(icons "")
foreach(size ${TRAKMOR_ICON_SIZES})
  set(dir ${TRAKMOR_DIST_DIR}/icons/${size}x${size}/apps)
  set(png ${dir}/${TRAKMOR_APP_ID}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${TRAKMOR_CONVERT} ${TRAKMOR_ICON_SOURCE} -sample ${size}x${size} -strip
            -define png:exclude-chunks=date,time PNG32:${png}
    DEPENDS ${TRAKMOR_ICON_SOURCE}
    COMMENT "Drawing the ${size}-pixel icon"
    VERBATIM)
  list(APPEND icons ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT game)
endforeach()

if(WIN32)
  include(cmake/windows_package.cmake)  # the icon resource, the zip and the installer
  return()
endif()

configure_file(dist/trakmor.desktop.in ${TRAKMOR_DIST_DIR}/${TRAKMOR_APP_ID}.desktop @ONLY)
configure_file(dist/trakmor.metainfo.xml.in ${TRAKMOR_DIST_DIR}/${TRAKMOR_APP_ID}.metainfo.xml @ONLY)
configure_file(dist/trakmor.6.in ${TRAKMOR_DIST_DIR}/trakmor.6 @ONLY)
# Players get their own short README; the one beside the sources is the developers'.
configure_file(dist/README.player.md.in ${TRAKMOR_DIST_DIR}/README.md @ONLY)

install(FILES ${TRAKMOR_DIST_DIR}/${TRAKMOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(FILES ${TRAKMOR_DIST_DIR}/${TRAKMOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
install(FILES ${TRAKMOR_DIST_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT game)
# A Debian package puts the game in games/, carries the licence in its copyright file and
# the manual page compressed (cmake/package.cmake); a plain install has them as they are.
install(TARGETS trakmor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT plain)
install(FILES ${TRAKMOR_DIST_DIR}/trakmor.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT plain)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT plain)

include(cmake/package.cmake)

add_custom_target(trakmor_dist ALL DEPENDS ${icons} ${TRAKMOR_DEB_FILES})
