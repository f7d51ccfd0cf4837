# One INTERFACE target carries the language level, warnings and Qt hygiene defines.
add_library(r5_settings INTERFACE)
target_compile_features(r5_settings INTERFACE cxx_std_20)
target_compile_options(r5_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
if(R5_WERROR)
  target_compile_options(r5_settings INTERFACE -Werror)
endif()
target_compile_definitions(r5_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_STRICT_ITERATORS)

if(R5_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(r5_settings INTERFACE ${_san})
  target_link_options(r5_settings INTERFACE ${_san})
endif()

if(R5_FUZZ)
  # Coverage instrumentation for everything the fuzz targets link; the targets add -fsanitize=fuzzer.
  set(_fz -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_compile_options(r5_settings INTERFACE ${_fz})
  target_link_options(r5_settings INTERFACE -fsanitize=address,undefined)
endif()
