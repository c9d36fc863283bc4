# Writes Tabrix's menu entry. Runs at install time (and while CPack lays out
# the Debian package), when the program's final path is known.

# A value of the entry as the desktop file format writes a string.
function(_tabrix_desktop_string text result)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

# The Exec key: a command line whose only word is the program. A path with
# any character the command line reserves (a blank, a quote ...) is put in
# double quotes, with ", `, $ and \ escaped inside them; % is doubled.
function(_tabrix_desktop_command program result)
  set(word "${program}")
  if(NOT word MATCHES "^[-A-Za-z0-9_./+,:@=%]+$")
    string(REPLACE "\\" "\\\\" word "${word}")
    string(REPLACE "\"" "\\\"" word "${word}")
    string(REPLACE "`" "\\`" word "${word}")
    string(REPLACE "$" "\\$" word "${word}")
    set(word "\"${word}\"")
  endif()
  string(REPLACE "%" "%%" word "${word}")
  _tabrix_desktop_string("${word}" word)
  set(${result} "${word}" PARENT_SCOPE)
endfunction()

# tabrix_desktop_entry(TEMPLATE OUTPUT PROGRAM ICON): writes OUTPUT from
# TEMPLATE for the program at the absolute path PROGRAM, with ICON an icon
# file's absolute path or an icon name of the desktop's theme.
function(tabrix_desktop_entry template output program icon)
  _tabrix_desktop_command("${program}" TABRIX_DESKTOP_EXEC)
  _tabrix_desktop_string("${program}" TABRIX_DESKTOP_TRYEXEC)
  _tabrix_desktop_string("${icon}" TABRIX_DESKTOP_ICON)
  file(READ "${template}" content)
  string(CONFIGURE "${content}" content @ONLY)
  get_filename_component(folder "${output}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(WRITE "${output}" "${content}")
  file(CHMOD "${output}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
