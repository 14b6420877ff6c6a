# Writes the desktop entry at install time, from LYRMAK_DESKTOP_IN, with Exec
# and TryExec naming the installed program. Exec quotes a path that needs it
# as one argument and doubles "%", which starts a field code there; every
# value escapes backslashes and control characters.
function(desktop_value out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\n" "\\n" value "${value}")
    string(REPLACE "\t" "\\t" value "${value}")
    string(REPLACE "\r" "\\r" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

if(IS_ABSOLUTE "${LYRMAK_BINDIR}")
    set(program "${LYRMAK_BINDIR}/lyrmak")
else()
    set(program "${CMAKE_INSTALL_PREFIX}/${LYRMAK_BINDIR}/lyrmak")
endif()
if(IS_ABSOLUTE "${LYRMAK_APPLICATIONS_DIR}")
    set(entry "$ENV{DESTDIR}${LYRMAK_APPLICATIONS_DIR}/lyrmak.desktop")
else()
    set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${LYRMAK_APPLICATIONS_DIR}/lyrmak.desktop")
endif()

# Quoted only where the path holds a character the Exec key reserves.
set(arg "${program}")
if(arg MATCHES "[] \t\n\"'\\><~|&;$*?#()`[]")
    foreach(c "\\" "\"" "`" "$")
        string(REPLACE "${c}" "\\${c}" arg "${arg}")
    endforeach()
    set(arg "\"${arg}\"")
endif()
string(REPLACE "%" "%%" arg "${arg}")
desktop_value(exec "${arg}")
desktop_value(tryexec "${program}")

file(READ "${LYRMAK_DESKTOP_IN}" text)
string(REPLACE "@EXEC@" "${exec}" text "${text}")
string(REPLACE "@TRYEXEC@" "${tryexec}" text "${text}")
message(STATUS "Installing: ${entry}")
file(WRITE "${entry}" "${text}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
