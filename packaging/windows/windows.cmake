# The Windows build's resources and installation: each program's icon and version resource, the
# DLLs and plugins it needs beside it, an NSIS installer and a portable ZIP (CPack). Included from
# packaging/CMakeLists.txt in the cross build only.
set(_win_dir ${CMAKE_CURRENT_LIST_DIR})

# --- icons and version resources -----------------------------------------------------------------
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(_desc_devsetup "R5200TX Serial Setup")
set(_desc_Simulator "Korvia Simulator")
set(_desc_Simulator_3810 "Korvia 3810/3850 Simulator")
set(_desc_r5200tx-cli "R5200TX commissioning from the command line")
set(_desc_r5200tx-virtual "R5200TX virtual device")
set(_svg_devsetup devsetup.svg)
set(_svg_Simulator simulator.svg)
set(_svg_Simulator_3810 simulator-3810.svg)
set(_svg_r5200tx-cli devsetup.svg)
set(_svg_r5200tx-virtual devsetup.svg)

foreach(program IN LISTS _programs)
  set(_svg ${CMAKE_CURRENT_SOURCE_DIR}/icons/${_svg_${program}})
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/windows/${program})
  set(_pngs)
  foreach(size 16 24 32 48 64 256)
    list(APPEND _pngs ${_out}/icon-${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${_out}/${program}.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}
    COMMAND ${RSVG_CONVERT} -w 16 -h 16 -o ${_out}/icon-16.png ${_svg}
    COMMAND ${RSVG_CONVERT} -w 24 -h 24 -o ${_out}/icon-24.png ${_svg}
    COMMAND ${RSVG_CONVERT} -w 32 -h 32 -o ${_out}/icon-32.png ${_svg}
    COMMAND ${RSVG_CONVERT} -w 48 -h 48 -o ${_out}/icon-48.png ${_svg}
    COMMAND ${RSVG_CONVERT} -w 64 -h 64 -o ${_out}/icon-64.png ${_svg}
    COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${_out}/icon-256.png ${_svg}
    COMMAND ${ICOTOOL} -c -o ${_out}/${program}.ico ${_out}/icon-16.png ${_out}/icon-24.png
      ${_out}/icon-32.png ${_out}/icon-48.png ${_out}/icon-64.png -r ${_out}/icon-256.png
    DEPENDS ${_svg} VERBATIM)
  set(R5_RC_NAME ${program})
  set(R5_RC_DESCRIPTION ${_desc_${program}})
  set(R5_RC_ICON ${_out}/${program}.ico)
  configure_file(${_win_dir}/program.rc.in ${_out}/${program}.rc @ONLY)
  # The program's target lives in another folder, which cannot see this folder's rule: a target
  # here makes the icon, and the resource is recompiled when it changes.
  add_custom_target(r5_icon_${program} DEPENDS ${_out}/${program}.ico)
  add_dependencies(${program} r5_icon_${program})
  target_sources(${program} PRIVATE ${_out}/${program}.rc)
  set_source_files_properties(${_out}/${program}.rc TARGET_DIRECTORY ${program}
    PROPERTIES OBJECT_DEPENDS ${_out}/${program}.ico)
endforeach()

# The three windows are GUI-subsystem programs; the command-line programs stay console ones.
set_target_properties(devsetup Simulator Simulator_3810 PROPERTIES WIN32_EXECUTABLE ON)

# --- what is installed -------------------------------------------------------------------------
# Everything in one folder: the programs, the DLLs they load and Qt's plugins in the sub-folders
# Qt looks for beside the program.
install(TARGETS ${_programs} RUNTIME DESTINATION .)
get_filename_component(_sdk "${Qt6_DIR}/../../.." ABSOLUTE)
foreach(module Core Gui Widgets Network SerialPort)
  install(FILES ${_sdk}/bin/Qt6${module}.dll DESTINATION .)
endforeach()
install(FILES ${R5_MINGW_RUNTIME_DLLS} DESTINATION .)
install(FILES ${_sdk}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${_sdk}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${_sdk}/plugins/imageformats/qico.dll ${_sdk}/plugins/imageformats/qjpeg.dll
  DESTINATION imageformats)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/copyright DESTINATION . RENAME copyright.txt)
# The suite's own fonts (cmake/R5Fonts.cmake), registered by each program at start.
install(DIRECTORY ${R5_FONT_DIR}/ DESTINATION fonts)
# The user guide beside the programs, where F1 finds it (common/src/guide.cpp), with a Start-menu
# entry that opens its choice of language.
install(DIRECTORY ${R5_GUIDE_DIR}/ DESTINATION guide)
list(APPEND CPACK_NSIS_MENU_LINKS "guide/index.html" "R5200TX User Guide")

# --- installer and portable ZIP --------------------------------------------------------------------
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
string(TOLOWER "${PROJECT_NAME}" _lower)
set(CPACK_PACKAGE_FILE_NAME ${_lower}-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Korvia)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Setup and test tools for R5200TX Wi-Fi DI counters")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "R5200TX Tools")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "R5200TXTools")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/copyright)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
# Start-menu shortcuts: program file, then caption.
set(CPACK_PACKAGE_EXECUTABLES
  devsetup "R5200TX Serial Setup"
  Simulator_3810 "Korvia 3810-3850 Simulator"
  Simulator "Korvia Simulator")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME devsetup.exe)
set(CPACK_NSIS_DISPLAY_NAME "R5200TX Tools ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "R5200TX Tools")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_BINARY_DIR}/windows/devsetup/devsetup.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_BINARY_DIR}/windows/devsetup/devsetup.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
# The 64-bit stub, through a wrapper that gives makensis "-XTarget amd64-unicode" as one argument.
set(CPACK_NSIS_EXECUTABLE ${_win_dir}/makensis-amd64.sh)
# The marker tells the programs that they run installed: their files then go to the user's
# %LOCALAPPDATA%\r5200txtools\<program> (r5/workfolders.h); a portable copy (the ZIP) has none.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  FileOpen $0 '$INSTDIR\\\\${R5_WIN_INSTALL_MARKER}' w
  FileWrite $0 'Installed by the R5200TX Tools installer.'
  FileClose $0")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  Delete '$INSTDIR\\\\${R5_WIN_INSTALL_MARKER}'")
# "R5200TX command prompt": a console in the install folder with the folder on PATH, so that
# r5200tx-cli (a console program, no shortcut of its own) is at hand; %PATH% is expanded when the
# console starts. The value holds no double
# quote: CPack writes it into its configuration file unescaped. `set` takes the rest of its
# command up to "&&" as the value, spaces in the install folder included.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  SetOutPath '$INSTDIR'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\R5200TX command prompt.lnk' '$SYSDIR\\\\cmd.exe' \
    '/K title R5200TX command prompt&& set PATH=$INSTDIR;%PATH%&& r5200tx-cli --version' \
    '$SYSDIR\\\\cmd.exe' 0 SW_SHOWNORMAL '' 'r5200tx-cli in a console'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$START_MENU\\\\R5200TX command prompt.lnk'")
include(${_win_dir}/firewall.cmake)
include(CPack)
