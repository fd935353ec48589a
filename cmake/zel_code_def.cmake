# Writes the DLL's module-definition file: one line per name in the export
# list, spelled as the compiled object spells it. A stdcall function is
# "name@N" in the objects (N: bytes of arguments); the link's --kill-at then
# exports it as plain "name", and the import library keeps "name@N" for
# callers compiled against the header. A cdecl build has plain names only.
# PREFIX is what the target puts before a C name: "_" on 32-bit x86, nothing
# on x86_64, whose one convention leaves names undecorated.
#
#   cmake -DNM=nm -DOBJECTS=<file listing objects> -DNAMES=<export list>
#         -DPREFIX=_ -DDLL=zel_code.dll -DDEF=<output> -P zel_code_def.cmake
file(STRINGS "${OBJECTS}" objects)
execute_process(COMMAND "${NM}" -g --defined-only ${objects}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} failed on the library objects")
endif()

file(STRINGS "${NAMES}" names REGEX "^[^#]")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  # " T _name" or " T _name@N" on i386, " T name" on x86_64.
  if(symbols MATCHES "[ \t]T ${PREFIX}${name}(@[0-9]+)?\n")
    string(APPEND def "  ${name}${CMAKE_MATCH_1}\n")
  else()
    message(FATAL_ERROR "${name} is in ${NAMES} but no library object defines it")
  endif()
endforeach()
file(WRITE "${DEF}.new" "${def}")
# Rewrite only on change, so an unchanged list does not relink the DLL.
execute_process(COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${DEF}.new" "${DEF}")
file(REMOVE "${DEF}.new")
