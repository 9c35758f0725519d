# cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIB=libx.a -DDLL=x.dll -DOUTPUT=.../libx.a [-DUNDERSCORED=1] -P MakeDelayLib.cmake
# Lists the functions of a MinGW import library (its __imp_ symbols) as a
# module definition and has dlltool make a delay-import library of them.
# 32-bit symbol names carry a leading underscore (UNDERSCORED) that the DLL's
# names lack; --kill-at drops their @n suffixes.
#
# GNU ld keeps a delay stub only when its own symbol is referenced, not just
# its __imp_ slot (which a dllimport call uses): the slot would stay null. So
# OUTPUT.rsp names every stub for the linker to keep (ld reads @OUTPUT.rsp).
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${IMPORT_LIB}")
endif()
string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
set(exports "")
set(stubs "")
foreach(import ${imports})
  string(REGEX REPLACE "^ I __imp_" "" stub "${import}")
  set(name ${stub})
  if(UNDERSCORED)
    string(REGEX REPLACE "^_" "" name "${name}")
  endif()
  list(APPEND exports ${name})
  list(APPEND stubs "-u ${stub}")
endforeach()
list(REMOVE_DUPLICATES exports)
list(REMOVE_DUPLICATES stubs)
if(NOT exports)
  message(FATAL_ERROR "no functions found in ${IMPORT_LIB}")
endif()
string(REPLACE ";" "\n" lines "${exports}")
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${OUTPUT}.def "LIBRARY ${DLL}\nEXPORTS\n${lines}\n")
string(REPLACE ";" "\n" kept "${stubs}")
file(WRITE ${OUTPUT}.rsp "${kept}\n")
execute_process(COMMAND ${DLLTOOL} --kill-at --input-def ${OUTPUT}.def --dllname ${DLL} --output-delaylib ${OUTPUT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
endif()
