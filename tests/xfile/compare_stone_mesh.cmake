# Runs the disc mesh generator into a scratch file and fails unless the result equals the
# committed resource byte for byte.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zantobel-stone-mesh failed with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${OUTPUT} differs from ${EXPECTED}: regenerate resources/stone.x")
endif()
