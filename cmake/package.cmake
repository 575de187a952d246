# Lays out the release folder and zips it: the programs, images/, samples/ and the Windows
# read-me. Run with cmake -P and -DBIN_DIR= -DREADME= -DSTAGE_DIR= -DNAME= -DZIP=
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
file(COPY "${README}" DESTINATION "${folder}")
get_filename_component(zip_dir "${ZIP}" DIRECTORY)
file(MAKE_DIRECTORY "${zip_dir}")
file(REMOVE "${ZIP}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip "${NAME}"
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not write ${ZIP}")
endif()
