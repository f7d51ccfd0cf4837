# r5_add_qt_test(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# Every test runs on the offscreen platform, with its own HOME, settings store and working
# folder inside the build tree, so nothing touches the user's files or settings.
function(r5_add_qt_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test r5_settings ${T_LIBS})
  set(_home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${_home}/work ${_home}/config)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${_home}/work)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${_home};XDG_CONFIG_HOME=${_home}/config;XDG_RUNTIME_DIR=${_home};R5_BIN_DIR=${CMAKE_BINARY_DIR}/bin;R5_SOURCE_DIR=${CMAKE_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
