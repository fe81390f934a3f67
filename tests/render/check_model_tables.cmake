# Runs the model generator into OUTPUT and compares the result with the COMMITTED tables.
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gen_models failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${OUTPUT}
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "${COMMITTED} is not what gen_models writes; "
                        "rebuild it with: cmake --build <build dir> --target regenerate_models")
endif()
