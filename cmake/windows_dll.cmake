# The Windows DLL, 32-bit or 64-bit: zel_code.dll exports exactly the names
# in tests/exported_symbols.txt, undecorated, in either 32-bit calling
# convention, and needs no DLL beyond the system's. Included right after the
# library targets.

# The compiler runtimes (libgcc, libstdc++, winpthread) are linked in, so
# that the DLL and the executables run on a bare Windows.
set(zel_static_runtime -static -static-libgcc -static-libstdc++)
target_link_options(zel_code PRIVATE ${zel_static_runtime})
add_link_options(${zel_static_runtime})

# Windows finds a DLL next to the executable that loads it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set_target_properties(zel_code PROPERTIES
  PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The module-definition file is derived from the export list, so the list
# stays the one place that names the exports. It is written from the
# compiled objects because stdcall names carry their argument size (f@8),
# and 32-bit C names a leading underscore that 64-bit ones lack.
# The exports are listed there only: marking them dllexport as well would
# export each stdcall function twice, as f and f@8.
set(zel_def ${PROJECT_BINARY_DIR}/zel_code.def)
set(zel_export_list ${PROJECT_SOURCE_DIR}/tests/exported_symbols.txt)
set(zel_symbol_prefix "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(zel_symbol_prefix _)
endif()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/zel_code_objects.txt
  CONTENT "$<JOIN:$<TARGET_OBJECTS:zel_code_objects>,\n>\n")
add_custom_command(OUTPUT ${zel_def}
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM}
          -DOBJECTS=${PROJECT_BINARY_DIR}/zel_code_objects.txt
          -DNAMES=${zel_export_list} -DPREFIX=${zel_symbol_prefix}
          -DDLL=zel_code.dll -DDEF=${zel_def}
          -P ${PROJECT_SOURCE_DIR}/cmake/zel_code_def.cmake
  DEPENDS $<TARGET_OBJECTS:zel_code_objects> ${zel_export_list}
          ${PROJECT_SOURCE_DIR}/cmake/zel_code_def.cmake
  COMMENT "Writing zel_code.def from ${zel_export_list}"
  VERBATIM)
target_sources(zel_code PRIVATE ${zel_def})
# --kill-at strips @N from the exported names; no fuzzy stdcall fixups, so
# that a name the .def gets wrong fails the link instead of binding silently.
target_link_options(zel_code PRIVATE -Wl,--kill-at -Wl,--disable-stdcall-fixup)

# ld's import library would lose the @N along with the exported names, and
# stdcall callers link against f@N. dlltool -k keeps f@N as the symbol and
# imports plain f from the DLL (a cdecl or 64-bit build has no @N to keep).
find_program(ZEL_DLLTOOL NAMES ${CMAKE_DLLTOOL} ${ZEL_MINGW_TRIPLE}-dlltool dlltool REQUIRED)
add_custom_command(TARGET zel_code POST_BUILD
  COMMAND ${ZEL_DLLTOOL} -k -d ${zel_def} -D zel_code.dll
          -l $<TARGET_LINKER_FILE:zel_code>
  VERBATIM)
