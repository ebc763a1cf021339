# Fails when the program at PROGRAM loads a Qt library (Qt Core, Widgets,
# Charts or any other), directly or through another library: ldd lists every
# shared library the dynamic loader would map.
execute_process(COMMAND ldd "${PROGRAM}" OUTPUT_VARIABLE libraries RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed (${result})")
endif()
if(libraries MATCHES "libQt[^ \n]*")
  message(FATAL_ERROR "${PROGRAM} loads ${CMAKE_MATCH_0}; all it loads:\n${libraries}")
endif()
message(STATUS "${PROGRAM} loads no Qt library")
