# The Windows cross build (MinGW-w64 with the Qt SDK of scripts/build-windows.sh): where the
# compiler's runtime DLLs are, and which Wine runs the tests.
if(NOT WIN32)
  return()
endif()

set(R5_MINGW_RUNTIME_DLLS)
set(_dirs)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  string(MAKE_C_IDENTIFIER ${dll} _var)
  find_file(R5_DLL_${_var} ${dll}
    PATHS /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT R5_DLL_${_var})
    message(FATAL_ERROR "${dll} not found: is g++-mingw-w64-x86-64-posix installed?")
  endif()
  list(APPEND R5_MINGW_RUNTIME_DLLS ${R5_DLL_${_var}})
  get_filename_component(_dir ${R5_DLL_${_var}} DIRECTORY)
  list(APPEND _dirs ${_dir})
endforeach()
list(REMOVE_DUPLICATES _dirs)
string(REPLACE ";" ":" R5_MINGW_RUNTIME_DIRS "${_dirs}")

find_program(R5_WINE NAMES wine64 wine)
