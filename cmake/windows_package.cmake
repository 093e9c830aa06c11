# What Windows players get: trakmor.exe with the window's car icon at every
# size, in build-win/trakmor-<version>-win64.zip beside README.txt and
# LICENSE.txt, and the same in an installer, build-win/trakmor-<version>-setup.exe
# (NSIS, dist/trakmor.nsi.in). Both are made by every build of this tree.

enable_language(RC)
set(win_dir ${TRAKMOR_DIST_DIR}/windows)
set(TRAKMOR_ICO ${win_dir}/trakmor.ico)
# One icon file with every size drawn for the Linux desktop.
add_custom_command(
  OUTPUT ${TRAKMOR_ICO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${win_dir}
  COMMAND ${TRAKMOR_CONVERT} ${icons} ${TRAKMOR_ICO}
  DEPENDS ${icons}
  COMMENT "Drawing the Windows icon"
  VERBATIM)
string(REPLACE "." "," TRAKMOR_VERSION_COMMAS "${PROJECT_VERSION}.0")
configure_file(dist/trakmor.rc.in ${win_dir}/trakmor.rc @ONLY)
target_sources(trakmor PRIVATE ${win_dir}/trakmor.rc)
set_source_files_properties(${win_dir}/trakmor.rc PROPERTIES OBJECT_DEPENDS ${TRAKMOR_ICO})

# Notepad and every other Windows program read these.
configure_file(dist/README.windows.txt.in ${win_dir}/README.txt @ONLY NEWLINE_STYLE CRLF)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${win_dir}/LICENSE.txt "${licence}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)

# What is shipped carries no debugging information.
find_program(TRAKMOR_STRIP NAMES ${TRAKMOR_TRIPLE}-strip REQUIRED)
find_program(TRAKMOR_ZIP zip REQUIRED)
find_program(TRAKMOR_MAKENSIS makensis REQUIRED)
set(shipped ${win_dir}/trakmor.exe)
add_custom_command(
  OUTPUT ${shipped}
  COMMAND ${TRAKMOR_STRIP} -o ${shipped} $<TARGET_FILE:trakmor>
  DEPENDS trakmor
  VERBATIM)

set(TRAKMOR_ZIP_FILE ${CMAKE_BINARY_DIR}/trakmor-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${TRAKMOR_ZIP_FILE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TRAKMOR_ZIP_FILE}
  # -X: no owners or extra times, so the same files make the same zip.
  COMMAND ${TRAKMOR_ZIP} -q -X -j -9 ${TRAKMOR_ZIP_FILE} ${shipped} ${win_dir}/README.txt ${win_dir}/LICENSE.txt
  DEPENDS ${shipped} ${win_dir}/README.txt ${win_dir}/LICENSE.txt
  COMMENT "Zipping trakmor-${PROJECT_VERSION}-win64.zip"
  VERBATIM)

set(TRAKMOR_PUBLISHER "Trakmor developers")
set(TRAKMOR_SETUP ${CMAKE_BINARY_DIR}/trakmor-${PROJECT_VERSION}-setup.exe)
configure_file(dist/trakmor.nsi.in ${win_dir}/trakmor.nsi @ONLY)
add_custom_command(
  OUTPUT ${TRAKMOR_SETUP}
  COMMAND ${TRAKMOR_MAKENSIS} -V2 -NOCD ${win_dir}/trakmor.nsi
  DEPENDS ${win_dir}/trakmor.nsi ${shipped} ${win_dir}/README.txt ${win_dir}/LICENSE.txt ${TRAKMOR_ICO}
  WORKING_DIRECTORY ${win_dir}
  COMMENT "Making the installer trakmor-${PROJECT_VERSION}-setup.exe"
  VERBATIM)

add_custom_target(trakmor_dist ALL DEPENDS ${TRAKMOR_ZIP_FILE} ${TRAKMOR_SETUP})
