# Writes tw_version.h (run with cmake -P at every build, and once at configure
# time): the version of project() and the date of the commit the sources come
# from, so that two builds of one commit show the same build date.
#   SOURCE_DIR  the source folder       OUTPUT   the header to write
#   MAJOR, MINOR, PATCH                 the project's version
# The date is SOURCE_DATE_EPOCH when set, else the commit's date from git;
# without either (a source archive) the compiler's date stands in.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
    set(epoch "")
    find_program(TW_GIT git)
    if(TW_GIT)
        execute_process(COMMAND ${TW_GIT} -C ${SOURCE_DIR} log -1 --format=%ct
                        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET
                        OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(rc EQUAL 0 AND out MATCHES "^[0-9]+$")
            set(epoch "${out}")
        endif()
    endif()
endif()
if(epoch STREQUAL "")
    set(compiler_date "__DATE__")
else()
    set(compiler_date "\"\"")
endif()

# The shown version leaves out a zero patch level: 1.0, 1.0.1.
set(text "${MAJOR}.${MINOR}")
if(NOT PATCH EQUAL 0)
    string(APPEND text ".${PATCH}")
endif()

file(WRITE ${OUTPUT}.tmp "\
// Written by cmake/Version.cmake; do not edit.
#ifndef TW_VERSION_H
#define TW_VERSION_H
#define TW_VERSION_MAJOR ${MAJOR}
#define TW_VERSION_MINOR ${MINOR}
#define TW_VERSION_PATCH ${PATCH}
#define TW_VERSION_TEXT \"${text}\"
#define TW_FILE_VERSION_TEXT \"${MAJOR}.${MINOR}.${PATCH}.0\"
// Seconds since 1970 (UTC) of the sources' commit; empty when unknown.
#define TW_SOURCE_DATE_EPOCH \"${epoch}\"
// The compiler's date, only when the commit's date is unknown.
#define TW_COMPILER_DATE ${compiler_date}
#endif
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
