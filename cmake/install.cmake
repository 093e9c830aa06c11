# What `cmake --install` puts where. The version is project(VERSION).

# --help and --version.
add_library(trakmor_command_line STATIC app/command_line.cpp)
target_include_directories(trakmor_command_line PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(trakmor_command_line PRIVATE TRAKMOR_VERSION="${PROJECT_VERSION}")
target_link_libraries(trakmor_command_line PRIVATE trakmor_warnings)
target_link_libraries(trakmor PRIVATE trakmor_command_line)
if(TARGET trakmor_tests)
  target_link_libraries(trakmor_tests PRIVATE trakmor_command_line)
endif()
