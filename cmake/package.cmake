# Lays out the release folder and zips it: the programs, images/, samples/ and the Windows
# read-me, and the licence as LICENSE.txt with Windows line ends (so that any Windows editor shows
# it as written), and the pack file's JSON Schema. Run with cmake -P and -DBIN_DIR= -DREADME=
# -DLICENSE= -DSCHEMA= -DSTAGE_DIR= -DNAME= -DZIP=
# -DPROGRAMS=a,b,c (the .exe names without extension).
file(REMOVE_RECURSE "${STAGE_DIR}")
set(folder "${STAGE_DIR}/${NAME}")
file(MAKE_DIRECTORY "${folder}")
string(REPLACE "," ";" PROGRAMS "${PROGRAMS}")
foreach(program IN LISTS PROGRAMS)
    if(NOT EXISTS "${BIN_DIR}/${program}.exe")
        message(FATAL_ERROR "${program}.exe is not built")
    endif()
    file(COPY "${BIN_DIR}/${program}.exe" DESTINATION "${folder}")
endforeach()
file(COPY "${BIN_DIR}/images" "${BIN_DIR}/samples" DESTINATION "${folder}")
file(COPY "${README}" "${SCHEMA}" DESTINATION "${folder}")
file(READ "${LICENSE}" licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE "${folder}/LICENSE.txt" "${licence}")
get_filename_component(zip_dir "${ZIP}" DIRECTORY)
file(MAKE_DIRECTORY "${zip_dir}")
file(REMOVE "${ZIP}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip "${NAME}"
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not write ${ZIP}")
endif()
