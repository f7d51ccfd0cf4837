# r5_add_qt_test(NAME SOURCES ... LIBS ... [INCLUDES dir...] [DEPENDS target...] [LABELS ...]
#                [TIMEOUT s] [SERIAL_PAIRS n] [LINUX_ONLY reason])
# Every test runs with its own HOME, settings store and working folder inside the build tree, so
# nothing touches the user's files or settings: on Linux on the offscreen platform; in the Windows
# cross build through Wine on the minimal platform (Qt 6.4 has no offscreen plugin for Windows),
# each test in a prefix of its own (cmake/wine-test.sh), so its registry (the settings store) and
# its user folders start empty.
# SERIAL_PAIRS: the test drives serial ports through at most n linked pairs at once
# (tests/support/serialpair.h): pseudo-terminals on Linux; under Wine the runner links n pairs of
# host pseudo-terminals as COM ports of the test's prefix. LINUX_ONLY: the test cannot run on
# Windows, for the reason given; it is not built there. INCLUDES are private include folders,
# DEPENDS programs the test runs.
function(r5_add_qt_test name)
  cmake_parse_arguments(T "" "TIMEOUT;SERIAL_PAIRS;LINUX_ONLY" "SOURCES;LIBS;LABELS;INCLUDES;DEPENDS" ${ARGN})
  if(T_LINUX_ONLY AND NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test r5_settings ${T_LIBS})
  if(T_INCLUDES)
    target_include_directories(${name} PRIVATE ${T_INCLUDES})
  endif()
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  set(_home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${_home}/work ${_home}/config)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(_env "R5_BIN_DIR=${CMAKE_BINARY_DIR}/bin;R5_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(WIN32 AND NOT CMAKE_HOST_WIN32)
    # Under Wine a path from / is taken on the current drive, which a test that moves into a
    # temporary folder (C:) changes: the host's folders are named on Z:.
    set(_env "R5_BIN_DIR=Z:${CMAKE_BINARY_DIR}/bin;R5_SOURCE_DIR=Z:${CMAKE_SOURCE_DIR}")
  endif()
  if(WIN32)
    r5_wine_environment(_wine)
    set(_pairs)
    if(T_SERIAL_PAIRS)
      set(_pairs --serial-pairs ${T_SERIAL_PAIRS})
    endif()
    add_test(NAME ${name}
      COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/wine-test.sh ${_pairs} --qtest $<TARGET_FILE:${name}>
      WORKING_DIRECTORY ${_home}/work)
    # The Korean code page (949) of the field's laptops: Wine takes it from the locale's name.
    # enable_fonts: the system's font database (GDI) instead of none, so windows are laid out with
    # real fonts and the shipped fonts can be registered.
    list(APPEND _env ${_wine} "QT_QPA_PLATFORM=minimal:enable_fonts" "LC_ALL=ko_KR.UTF-8")
  else()
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${_home}/work)
    list(APPEND _env "QT_QPA_PLATFORM=offscreen;HOME=${_home};XDG_CONFIG_HOME=${_home}/config;XDG_RUNTIME_DIR=${_home};ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "${_env}")
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()

# The environment a cross-built program needs under Wine: the SDK's and MinGW's DLLs and Qt's
# plugins, and the template prefix that cmake/wine-test.sh copies for each test.
function(r5_wine_environment out)
  get_filename_component(_sdk "${Qt6_DIR}/../../.." ABSOLUTE)
  set(${out}
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=winemenubuilder.exe=d;mscoree=d;mshtml=d"
    "R5_WINE_DLL_DIRS=${_sdk}/bin:${R5_MINGW_RUNTIME_DIRS}"
    "QT_PLUGIN_PATH=${_sdk}/plugins"
    "R5_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-template"
    "R5_WINE=${R5_WINE}"
    PARENT_SCOPE)
endfunction()

# One template prefix for the whole run, made before the first Windows test.
function(r5_add_wine_fixture)
  r5_wine_environment(_wine)
  add_test(NAME wine_prefix COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/wine-test.sh --make-template)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300
    ENVIRONMENT "${_wine}")
endfunction()
