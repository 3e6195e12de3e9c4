# Installs the desktop entry with the installed program's full path as its command, so the menu
# entry starts Zintra whether or not the prefix's bin folder is on PATH. It runs at install time,
# when CMAKE_INSTALL_PREFIX is the prefix that cmake --install was given.
set(program "${CMAKE_INSTALL_PREFIX}/${ZINTRA_BINDIR}/zintra")
# A quoted argument of the entry's Exec key: "%" doubled, and backslash (written four times),
# double quote, backquote and dollar escaped.
string(REPLACE "%" "%%" exec "${program}")
string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" exec "${exec}")
endforeach()
file(READ "${ZINTRA_DESKTOP_ENTRY}" entry)
string(REPLACE "Exec=zintra" "Exec=\"${exec}\"" entry "${entry}")
file(WRITE "${ZINTRA_STAGING}/zintra.desktop" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${ZINTRA_DATADIR}/applications" TYPE FILE
     FILES "${ZINTRA_STAGING}/zintra.desktop")
