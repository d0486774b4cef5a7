# Builds one probe target and passes only when the build fails because the
# header it names cannot be found from that layer.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
if(result EQUAL 0)
  message(FATAL_ERROR "${TARGET} compiled: an upward include got through")
endif()
if(NOT "${out}${err}" MATCHES "${HEADER}: No such file")
  message(FATAL_ERROR "${TARGET} failed for another reason:\n${out}${err}")
endif()
