# Fuzz targets of the program's own parsers of outside data, built with
# libFuzzer when TW_FUZZ is on (needs clang). Each needs only the sources it
# reads with (built with the fuzzer's instrumentation) and a few libraries.
#
# One line adds a target:
#   tw_fuzz_target(NAME MAX_LEN <bytes> SOURCES <files...> [LIBRARIES <libs...>] [OPTIONS <fuzzer options...>])
# scripts/run-fuzz.sh runs every target listed in <build>/fuzz-targets.txt,
# each over tests/fuzz/corpus/<NAME without "_fuzz"> when that folder exists.
if(TW_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TW_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    set(TW_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1)
    set(TW_FUZZ_LIST ${CMAKE_BINARY_DIR}/fuzz-targets.txt)
    file(WRITE ${TW_FUZZ_LIST} "")

    function(tw_fuzz_target name)
        cmake_parse_arguments(PARSE_ARGV 1 FUZZ "" "MAX_LEN" "SOURCES;LIBRARIES;OPTIONS")
        add_executable(${name} ${FUZZ_SOURCES})
        target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
        target_include_directories(${name} SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/third_party)  # the mended toml++
        target_compile_options(${name} PRIVATE ${TW_FUZZ_FLAGS})
        target_link_options(${name} PRIVATE ${TW_FUZZ_FLAGS})
        target_link_libraries(${name} PRIVATE ${FUZZ_LIBRARIES})
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
        tw_warnings(${name})
        list(JOIN FUZZ_OPTIONS " " options)
        file(APPEND ${TW_FUZZ_LIST} "${name} ${FUZZ_MAX_LEN} ${options}\n")
    endfunction()

    set(S ${CMAKE_SOURCE_DIR})
    tw_fuzz_target(png_fuzz MAX_LEN 65536 SOURCES ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp ${S}/app/PngImage.cpp
                   LIBRARIES ZLIB::ZLIB)
    tw_fuzz_target(path_fuzz MAX_LEN 1024 SOURCES ${CMAKE_CURRENT_LIST_DIR}/path_fuzz.cpp ${S}/engine/FolderPath.cpp ${S}/store/BackupNames.cpp
                   ${S}/platform/common.cpp ${S}/tests/native/system_text.cpp)
    tw_fuzz_target(backup_fuzz MAX_LEN 4096 SOURCES ${CMAKE_CURRENT_LIST_DIR}/backup_fuzz.cpp
                   ${S}/store/BackupNames.cpp ${S}/platform/common.cpp ${S}/tests/native/system_text.cpp)
    tw_fuzz_target(family_fuzz MAX_LEN 8192 SOURCES ${CMAKE_CURRENT_LIST_DIR}/family_fuzz.cpp ${S}/targets/FamilyFormat.cpp
                   ${S}/platform/common.cpp ${S}/tests/native/system_text.cpp)
    tw_fuzz_target(block_fuzz MAX_LEN 2048 SOURCES ${CMAKE_CURRENT_LIST_DIR}/block_fuzz.cpp ${S}/engine/BlockRecord.cpp
                   ${S}/platform/common.cpp ${S}/tests/native/system_text.cpp)
endif()
