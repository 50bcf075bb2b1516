# Run by cmake --install: writes the desktop entry for the prefix being
# installed to. In: ORVIX_APP_ID, ORVIX_BINDIR, ORVIX_TEMPLATE, ORVIX_OUTPUT.
# Exec names the program by path unless the prefix's bin folder is on every
# user's PATH anyway; it never carries an argument, since any argument turns
# on the auto-close rule.
set(_program "${CMAKE_INSTALL_PREFIX}/${ORVIX_BINDIR}/OrvixManager")
if(_program STREQUAL "/usr/bin/OrvixManager" OR _program STREQUAL "/usr/local/bin/OrvixManager")
  set(ORVIX_EXEC OrvixManager)
elseif(_program MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  # Quoted as the desktop entry format asks, then its backslashes escaped
  # once more for the string value.
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" _quoted "${_program}")
  string(REPLACE "\\" "\\\\" _quoted "${_quoted}")
  set(ORVIX_EXEC "\"${_quoted}\"")
else()
  set(ORVIX_EXEC "${_program}")
endif()
configure_file("${ORVIX_TEMPLATE}" "${ORVIX_OUTPUT}" @ONLY)
