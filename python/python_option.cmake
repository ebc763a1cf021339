# Whether to build the Python module `tsc`, decided before the libraries are
# added: the module links them into a shared object, so they must then be
# position-independent code.
#
# On by default wherever Debian's python3, its development files and
# pybind11 are found; off when cross-compiling (the module would be for
# another machine's Python) and under the sanitizers (an instrumented module
# needs the sanitizer runtime preloaded into the interpreter).
set(tsc_python_default OFF)
if(NOT CMAKE_CROSSCOMPILING AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  # Debian's interpreter, not one that comes first on PATH (pyenv, say):
  # its packages (numpy, pytest) are the ones script/bootstrap installs.
  if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python the module is built for")
  endif()
  find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
  if(Python3_FOUND)
    find_package(pybind11 2.10 CONFIG QUIET)
  endif()
  if(Python3_FOUND AND pybind11_FOUND)
    set(tsc_python_default ON)
  endif()
endif()
option(TSC_BUILD_PYTHON "Build the Python module tsc (needs pybind11 and Python's headers)"
       ${tsc_python_default})
if(TSC_BUILD_PYTHON)
  find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
  find_package(pybind11 2.10 REQUIRED CONFIG)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
