# Compiles the help project and checks the result (run with cmake -P).
#   CHMCMD   the compiler       CHMLS   the lister (may be empty or NOTFOUND)
#   PROJECT  help/Help.hhp      WORK    scratch folder (chmcmd writes there)
#   OUTPUT   where Help.chm goes
#   PYTHON   python3, to zero the compile times (may be empty)
foreach(v CHMCMD PROJECT WORK OUTPUT)
    if(NOT ${v})
        message(FATAL_ERROR "compile-help.cmake: ${v} is not set")
    endif()
endforeach()

# chmcmd reads the pages beside the project file and writes the compiled
# file into its working folder.
file(REMOVE ${WORK}/Help.chm)
execute_process(COMMAND ${CHMCMD} ${PROJECT}
                WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "${out}${err}")
# chmcmd reports broken links and anchors as "Error:" but still exits 0.
if(NOT rc EQUAL 0 OR report MATCHES "Error")
    message(FATAL_ERROR "chmcmd failed (exit ${rc}):\n${report}")
endif()

set(chm ${WORK}/Help.chm)
if(NOT EXISTS ${chm})
    message(FATAL_ERROR "chmcmd wrote no Help.chm:\n${report}")
endif()
# An ITSF file: signature "ITSF", version 3, and more than headers.
file(READ ${chm} header LIMIT 8 HEX)
file(SIZE ${chm} size)
if(NOT header STREQUAL "4954534603000000" OR size LESS 4096)
    message(FATAL_ERROR "Help.chm is not a valid help file (header ${header}, ${size} bytes)")
endif()

# Every file of the project's [FILES] section must be in the compiled file.
if(CHMLS)
    execute_process(COMMAND ${CHMLS} list ${chm}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE listing ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "chmls could not read Help.chm:\n${listing}${err}")
    endif()
    file(STRINGS ${PROJECT} lines)
    set(in_files FALSE)
    foreach(line IN LISTS lines)
        if(line MATCHES "^\\[")
            set(in_files FALSE)
            if(line STREQUAL "[FILES]")
                set(in_files TRUE)
            endif()
        elseif(in_files AND NOT line STREQUAL "")
            string(REPLACE "\\" "/" name "${line}")
            string(TOLOWER "${name}" lname)
            string(TOLOWER "${listing}" llisting)
            string(FIND "${llisting}" " /${lname}\n" at)
            if(at EQUAL -1)
                message(FATAL_ERROR "Help.chm lacks ${name}")
            endif()
        endif()
    endforeach()
endif()

# Without its compile times the file depends on the pages alone.
if(PYTHON)
    execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/zero-chm-times.py ${chm}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "Help.chm: the compile times could not be cleared")
    endif()
endif()

file(COPY_FILE ${chm} ${OUTPUT} ONLY_IF_DIFFERENT)
