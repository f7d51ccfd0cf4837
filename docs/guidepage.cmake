# One page of the guide: the Markdown file IN through cmark (raw HTML in the source is left out,
# so a page carries no scripts), framed by TEMPLATE, written to OUT.
# cmake -DCMARK=... -DIN=page.md -DOUT=page.html -DLANG=ko -DOTHER=en -DTEMPLATE=page.html.in -P guidepage.cmake
execute_process(COMMAND ${CMARK} --to html ${IN} OUTPUT_VARIABLE BODY RESULT_VARIABLE rc
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmark failed on ${IN}: ${err}")
endif()
file(STRINGS ${IN} heading LIMIT_COUNT 1 REGEX "^# ")
string(REGEX REPLACE "^# +" "" TITLE "${heading}")
get_filename_component(PAGE ${OUT} NAME)
if(LANG STREQUAL ko)
  set(CONTENTS "차례")
  set(OTHER_NAME "English")
else()
  set(CONTENTS "Contents")
  set(OTHER_NAME "한국어")
endif()
configure_file(${TEMPLATE} ${OUT} @ONLY)
