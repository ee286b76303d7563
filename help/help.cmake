# Help.chm: compiled from the pages in help/ with chmcmd (Debian's fp-utils)
# and placed in the folder of Tidewell.exe. Included by app/CMakeLists.txt.
# A missing compiler is a configuration error, not a silent skip: the help
# file is part of the product.
find_program(TW_CHMCMD chmcmd)
if(NOT TW_CHMCMD)
    message(FATAL_ERROR
        "chmcmd was not found, so Help.chm cannot be built. Install Debian's "
        "Free Pascal utilities (apt-get install fp-utils; scripts/bootstrap.sh "
        "does it) or point TW_CHMCMD at the program.")
endif()
# chmls (same package) lists the compiled file, so the build can check that
# every page went in. Optional: without it only the header is checked.
find_program(TW_CHMLS chmls)
# Help.hhp asks for the plain (sitemap) index: the binary index chmcmd writes
# holds bytes that change from one run to the next.
# python3 clears the compile times chmcmd writes, so that the pages always give
# the same Help.chm. Optional: without it each build's file differs.
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
    message(STATUS "python3 not found: Help.chm keeps the time it was compiled")
endif()

set(TW_HELP_DIR ${CMAKE_SOURCE_DIR}/help)
file(GLOB TW_HELP_SOURCES CONFIGURE_DEPENDS
     ${TW_HELP_DIR}/*.html ${TW_HELP_DIR}/*.css ${TW_HELP_DIR}/*.hhc
     ${TW_HELP_DIR}/*.hhk ${TW_HELP_DIR}/*.hhp)

set(TW_HELP_WORK ${CMAKE_BINARY_DIR}/help)
# Beside Tidewell.exe (app/ of the build folder).
set(TW_HELP_CHM ${CMAKE_CURRENT_BINARY_DIR}/Help.chm)

add_custom_command(
    OUTPUT ${TW_HELP_CHM}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_HELP_WORK}
    COMMAND ${CMAKE_COMMAND}
            -DCHMCMD=${TW_CHMCMD} -DCHMLS=${TW_CHMLS}
            -DPROJECT=${TW_HELP_DIR}/Help.hhp -DWORK=${TW_HELP_WORK}
            -DOUTPUT=${TW_HELP_CHM} -DPYTHON=${Python3_EXECUTABLE}
            -P ${TW_HELP_DIR}/compile-help.cmake
    DEPENDS ${TW_HELP_SOURCES} ${TW_HELP_DIR}/compile-help.cmake ${TW_HELP_DIR}/zero-chm-times.py
    COMMENT "Compiling Help.chm"
    VERBATIM)
add_custom_target(tw_help ALL DEPENDS ${TW_HELP_CHM})
