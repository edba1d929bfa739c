# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cmake --install (and cpack): writes the manual page with this installation's
# folders and installs it compressed into share/man/man1.
#   TALLYRA_MAN_SOURCE  the page with @TALLYRA_SHARE@ where the read-only files are
#   TALLYRA_MAN_WORK    a folder of the build tree to write it in
#   TALLYRA_GZIP        gzip
set(TALLYRA_SHARE "${CMAKE_INSTALL_PREFIX}/share/tallyra")
configure_file("${TALLYRA_MAN_SOURCE}" "${TALLYRA_MAN_WORK}/tallyra.1" @ONLY)
execute_process(COMMAND "${TALLYRA_GZIP}" -9nf "${TALLYRA_MAN_WORK}/tallyra.1" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not compress the manual page")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/man/man1" TYPE FILE FILES "${TALLYRA_MAN_WORK}/tallyra.1.gz")
