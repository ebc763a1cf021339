# Installs the build into a scratch prefix and checks that the installed
# tsccurve finds its picture program in libexec/ and draws with it, and that
# the bash completion lies where bash-completion looks.
# Run with -DBUILD_DIR=<build folder> -DPREFIX=<scratch folder> -DCURVE=<a measured curve>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path IN ITEMS bin/tsccurve libexec/tsccurve-plot share/bash-completion/completions/tsccurve)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${PREFIX}/${path}")
  endif()
endforeach()

execute_process(
  COMMAND "${PREFIX}/bin/tsccurve" methods "${CURVE}" --beta 5 --plot "${PREFIX}/methods.png"
  OUTPUT_QUIET ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/methods.png")
  message(FATAL_ERROR "the installed tsccurve drew no picture (${result}): ${errors}")
endif()
