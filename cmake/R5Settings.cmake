# One INTERFACE target carries the language level, warnings and Qt hygiene defines.
add_library(r5_settings INTERFACE)
target_compile_features(r5_settings INTERFACE cxx_std_20)
if(MSVC)
  # The sources hold Korean literals in UTF-8; MSVC would read them in the system code page.
  target_compile_options(r5_settings INTERFACE /W4 /utf-8 /permissive- /Zc:__cplusplus)
  if(R5_WERROR)
    target_compile_options(r5_settings INTERFACE /WX)
  endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(r5_settings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(R5_WERROR)
    target_compile_options(r5_settings INTERFACE -Werror)
  endif()
endif()
target_compile_definitions(r5_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_STRICT_ITERATORS)
# Qt 6.7 and later refuse connects without a context object; Debian 12's Qt 6.4 does not know the
# switch, so there the rule (every connect names its receiver) is kept by review.
if(Qt6Core_VERSION VERSION_GREATER_EQUAL 6.7)
  target_compile_definitions(r5_settings INTERFACE QT_NO_CONTEXTLESS_CONNECT)
endif()

# Each platform service is one small set of sources: name_linux.cpp (every Unix) or name_win.cpp.
if(WIN32)
  set(R5_PLATFORM win)
else()
  set(R5_PLATFORM linux)
endif()

# The version is set once, in project(); programs read it from this generated header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/r5/version.h @ONLY)
target_include_directories(r5_settings INTERFACE ${CMAKE_BINARY_DIR}/generated)

if(R5_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "R5_SANITIZE needs GCC or Clang")
  endif()
  set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(r5_settings INTERFACE ${_san})
  target_link_options(r5_settings INTERFACE ${_san})
endif()

if(R5_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "R5_FUZZ needs Clang (libFuzzer)")
  endif()
  # Coverage instrumentation for everything the fuzz targets link; the targets add -fsanitize=fuzzer.
  set(_fz -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_compile_options(r5_settings INTERFACE ${_fz})
  target_link_options(r5_settings INTERFACE -fsanitize=address,undefined)
endif()
