# Inbound firewall rules for the programs that listen: devsetup and r5200tx-cli serve firmware to
# the device, Simulator is a TCP server too. Allowed on private and domain networks (a network
# Windows marks Public stays closed: the README says what to do). Added on install and removed
# on uninstall through netsh; a rule that cannot be added leaves the install going, netsh's exit
# code popped and dropped.
set(_r5_fw_add "")
set(_r5_fw_remove "")
foreach(_exe devsetup r5200tx-cli Simulator)
  set(_rule "R5200TX Tools ${_exe}")
  string(APPEND _r5_fw_remove "
  nsExec::ExecToLog '\\\"$SYSDIR\\\\netsh.exe\\\" advfirewall firewall delete rule name=\\\"${_rule}\\\"'
  Pop $0")
  string(APPEND _r5_fw_add "
  nsExec::ExecToLog '\\\"$SYSDIR\\\\netsh.exe\\\" advfirewall firewall add rule name=\\\"${_rule}\\\" dir=in action=allow program=\\\"$INSTDIR\\\\${_exe}.exe\\\" enable=yes profile=private,domain'
  Pop $0")
endforeach()
# An earlier install's rules go first, so a reinstall does not add them twice.
string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${_r5_fw_remove}${_r5_fw_add}")
string(APPEND CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${_r5_fw_remove}")
