# The Debian package, made by CPack from the install rules of cmake/install.cmake:
#   cpack --config build/CPackConfig.cmake -B build   (./build.sh package)
# gives build/trakmor_<version>_amd64.deb.

# What Debian wants beside the game: the copyright file, a compressed changelog
# and manual page (gzip -n, so that the bytes do not depend on the build's time).
find_program(TRAKMOR_GZIP gzip REQUIRED)
execute_process(COMMAND date -u -R -d "${TRAKMOR_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TRAKMOR_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(deb_dir ${TRAKMOR_DIST_DIR}/deb)
configure_file(dist/copyright.in ${deb_dir}/copyright @ONLY)
configure_file(dist/changelog.in ${deb_dir}/changelog @ONLY)
set(TRAKMOR_DEB_FILES ${deb_dir}/changelog.gz ${deb_dir}/trakmor.6.gz)
add_custom_command(
  OUTPUT ${deb_dir}/changelog.gz
  COMMAND ${TRAKMOR_GZIP} -9nkf ${deb_dir}/changelog
  DEPENDS ${deb_dir}/changelog
  VERBATIM)
add_custom_command(
  OUTPUT ${deb_dir}/trakmor.6.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${TRAKMOR_DIST_DIR}/trakmor.6 ${deb_dir}/trakmor.6
  COMMAND ${TRAKMOR_GZIP} -9nf ${deb_dir}/trakmor.6
  DEPENDS ${TRAKMOR_DIST_DIR}/trakmor.6
  VERBATIM)
# Debian's place for the binaries of games.
install(TARGETS trakmor RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${deb_dir}/copyright ${deb_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${deb_dir}/trakmor.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trakmor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT ${TRAKMOR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TRAKMOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "car driving game on an endless road seen from above")
set(CPACK_PACKAGE_DESCRIPTION [=[
Drive a red car up an endless, randomly drawn road seen from above. There are
no opponent cars, but there are obstacles: run over money bags for points,
steer round bombs and rabbits, and pick up tools to mend the car. The ride
ends when the damage reaches 100 percent.

The points depend on the gear, damage and repair on the skill (Easy, Normal
or Hard); the pace of the whole game can be set and saved. Played with the
keyboard: Q and A change gear, K and L steer, Escape opens the game menu.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TRAKMOR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# One package of the game's files and Debian's own, without the plain install's extras.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL game debian)
include(CPack)

# Checks of the installed tree and of the package. A sanitized build is not shipped.
if(TRAKMOR_TESTS AND NOT TRAKMOR_SANITIZE)
  set(package_tests ${CMAKE_SOURCE_DIR}/tests/package)
  set(out ${CMAKE_BINARY_DIR}/tests/package)
  add_test(NAME package.command_line
    COMMAND bash ${package_tests}/command_line.sh $<TARGET_FILE:trakmor> ${PROJECT_VERSION})
  add_test(NAME package.product COMMAND bash ${package_tests}/product.sh $<TARGET_FILE:trakmor>)
  add_test(NAME package.install
    COMMAND bash ${package_tests}/install.sh ${CMAKE_BINARY_DIR} ${out}/install ${PROJECT_VERSION} ${TRAKMOR_APP_ID})
  add_test(NAME package.deb
    COMMAND bash ${package_tests}/deb.sh ${CMAKE_BINARY_DIR} ${out}/deb ${PROJECT_VERSION} ${TRAKMOR_APP_ID})
  set_tests_properties(package.command_line package.product package.install package.deb PROPERTIES LABELS package)
  set_tests_properties(package.deb PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
endif()
