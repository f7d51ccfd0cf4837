# The font files the windows ask for first (common/src/suitefonts.cpp). On Debian the package
# depends on their packages (packaging/CMakeLists.txt) and nothing is copied. Windows builds
# carry the files, with their licences, in fonts/ beside the programs, which register them at
# start; programs and tests run from the build tree find them in bin/fonts the same way, so a
# window's layout does not depend on the fonts installed on the machine.
set(_r5_fonts
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
  /usr/share/fonts/truetype/nanum/NanumGothic.ttf
  /usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf)
set(R5_SUITE_FONT_FILES "${_r5_fonts}" CACHE STRING
  "Font files shipped in fonts/ beside the programs (Debian: fonts-dejavu-core, fonts-nanum)")
# Licence text of each package, as fonts/<name>: Bitstream Vera licence (DejaVu), SIL OFL 1.1 (Nanum).
set(R5_SUITE_FONT_LICENSES
  "LICENSE-DejaVu.txt=/usr/share/doc/fonts-dejavu-core/copyright;LICENSE-Nanum.txt=/usr/share/doc/fonts-nanum/copyright"
  CACHE STRING "Licences shipped with the fonts, as NAME=SOURCE")

set(R5_FONT_DIR ${CMAKE_BINARY_DIR}/bin/fonts)
set(_r5_missing "")
foreach(_font IN LISTS R5_SUITE_FONT_FILES)
  if(EXISTS ${_font})
    get_filename_component(_name ${_font} NAME)
    configure_file(${_font} ${R5_FONT_DIR}/${_name} COPYONLY)
  else()
    list(APPEND _r5_missing ${_font})
  endif()
endforeach()
foreach(_pair IN LISTS R5_SUITE_FONT_LICENSES)
  string(REPLACE "=" ";" _pair "${_pair}")
  list(GET _pair 0 _name)
  list(GET _pair 1 _source)
  if(EXISTS ${_source})
    configure_file(${_source} ${R5_FONT_DIR}/${_name} COPYONLY)
  else()
    list(APPEND _r5_missing ${_source})
  endif()
endforeach()
if(_r5_missing)
  # Windows has none of these fonts: a package without them would look different everywhere.
  if(WIN32)
    set(_r5_level FATAL_ERROR)
  else()
    set(_r5_level WARNING)
  endif()
  message(${_r5_level} "Suite fonts missing (bash scripts/setup.sh installs them): ${_r5_missing}")
endif()

# The Windows packages carry them in fonts\ beside the programs (packaging/windows/windows.cmake).
