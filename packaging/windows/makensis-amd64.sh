#!/bin/sh
# makensis with NSIS's 64-bit stub: Debian's Wine runs 64-bit programs only, and a 32-bit installer
# stub installs nothing there. CPack splits CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS at every space, so
# "-XTarget amd64-unicode", one argument, is given here.
exec makensis "-XTarget amd64-unicode" "$@"
