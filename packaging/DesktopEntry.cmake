# Included by the install: writes the desktop entry for the program at BRIMLARK_DESKTOP_PROGRAM
# (an absolute path) from BRIMLARK_DESKTOP_TEMPLATE into BRIMLARK_DESKTOP_OUTPUT.
set(program "${BRIMLARK_DESKTOP_PROGRAM}")
if(NOT IS_ABSOLUTE "${program}")
    message(FATAL_ERROR "the desktop entry needs the program's absolute path, not '${program}'")
endif()
# Exec: one argument, quoted when it holds a character the desktop entry format reserves, with '"', '`',
# '$' and '\' escaped inside the quotes; '%' doubled, as field codes start with it.
set(exec "${program}")
if(exec MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\"" "\\\"" exec "${exec}")
    string(REPLACE "`" "\\`" exec "${exec}")
    string(REPLACE "$" "\\$" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
# Both values are desktop entry strings as well, where a backslash is escaped once more.
string(REPLACE "\\" "\\\\" BRIMLARK_DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" BRIMLARK_DESKTOP_TRYEXEC "${program}")
configure_file("${BRIMLARK_DESKTOP_TEMPLATE}" "${BRIMLARK_DESKTOP_OUTPUT}" @ONLY)
