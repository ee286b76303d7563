# Fuzz targets of the program's own parsers of outside data, built with
# libFuzzer when TW_FUZZ is on (needs clang). They need only the parser's
# source and zlib, not the whole core.
if(TW_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TW_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    set(TW_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1)
    add_executable(png_fuzz ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp ${CMAKE_SOURCE_DIR}/app/PngImage.cpp)
    target_include_directories(png_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(png_fuzz PRIVATE ${TW_FUZZ_FLAGS})
    target_link_options(png_fuzz PRIVATE ${TW_FUZZ_FLAGS})
    target_link_libraries(png_fuzz PRIVATE ZLIB::ZLIB)
    set_target_properties(png_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    tw_warnings(png_fuzz)

    # The backup reader runs the backup store on the in-memory Windows, built
    # from source here so that all of it is instrumented.
    file(GLOB TW_FUZZ_FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fake/*.cpp)
    add_executable(backup_fuzz ${CMAKE_CURRENT_LIST_DIR}/backup_fuzz.cpp ${CMAKE_SOURCE_DIR}/backup/BackupUnit.cpp
        ${CMAKE_SOURCE_DIR}/engine/RegistrySelf.cpp ${CMAKE_SOURCE_DIR}/log/LogUnit.cpp
        ${CMAKE_SOURCE_DIR}/platform/common.cpp ${TW_FUZZ_FAKE_SOURCES})
    target_include_directories(backup_fuzz PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(backup_fuzz PRIVATE ${TW_FUZZ_FLAGS})
    target_link_options(backup_fuzz PRIVATE ${TW_FUZZ_FLAGS})
    set_target_properties(backup_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    tw_warnings(backup_fuzz)
endif()
