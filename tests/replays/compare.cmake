# Plays a driver script and compares the transcript with the expected one.
# Set TRAKMOR_UPDATE_REPLAYS=1 in the environment to write the expected file anew.
get_filename_component(dir "${ACTUAL}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
# Every replay starts without a saved speed setting, in a folder of its own.
file(REMOVE "${dir}/Trakmor_B.spd")
# A driver built for another system runs through its emulator (Wine), whose
# console ends lines with CR LF: the transcript must otherwise be the same.
execute_process(COMMAND ${EMULATOR} "${DRIVER}" --echo INPUT_FILE "${SCRIPT}" OUTPUT_FILE "${ACTUAL}"
                WORKING_DIRECTORY "${dir}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the driver exited with ${rc}")
endif()
if(EMULATOR)
  execute_process(COMMAND sed -i "s/\r$//" "${ACTUAL}" COMMAND_ERROR_IS_FATAL ANY)
endif()
if("$ENV{TRAKMOR_UPDATE_REPLAYS}" STREQUAL "1")
  file(COPY_FILE "${ACTUAL}" "${EXPECTED}")
  return()
endif()
execute_process(COMMAND diff -u "${EXPECTED}" "${ACTUAL}" RESULT_VARIABLE differs OUTPUT_VARIABLE diff)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "the replay differs from ${EXPECTED}:\n${diff}")
endif()
