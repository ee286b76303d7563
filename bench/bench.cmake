# Benchmark of a full cleaning run on a synthetic machine (Windows side):
# the seeding program, the bare Win32 floors (a bare window of the main
# window's size, the bare calls of a run) and the runner that times
# Tidewell.exe against them. Built only on request (target tw_bench);
# scripts/bench.sh builds and runs it under Wine.
if(NOT WIN32)
    return()
endif()

set(TW_BENCH_OUT ${CMAKE_BINARY_DIR}/bench)
foreach(tool seed bare runner)
    add_executable(tw_bench_${tool} EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/${tool}.cpp)
    tw_warnings(tw_bench_${tool})
    target_link_libraries(tw_bench_${tool} PRIVATE advapi32)
    set_target_properties(tw_bench_${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_BENCH_OUT})
endforeach()
set_target_properties(tw_bench_runner PROPERTIES OUTPUT_NAME tw_bench_run)
# The bare floor walks the targets' own lists.
target_link_libraries(tw_bench_bare PRIVATE tidewell_core tidewell_platform_win32)
if(MINGW)
    target_link_options(tw_bench_bare PRIVATE -municode)
endif()
target_link_libraries(tw_bench_runner PRIVATE psapi user32)
# GCC 12 reports a false overlap inside std::string's operator+ (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(tw_bench_runner PRIVATE -Wno-restrict)
endif()
# The start-up floor: a bare window, linked as Tidewell.exe is.
add_executable(tw_bench_barewindow WIN32 EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/barewindow.cpp)
tw_warnings(tw_bench_barewindow)
if(MINGW)
    target_link_options(tw_bench_barewindow PRIVATE -municode -mwindows)
endif()
target_link_libraries(tw_bench_barewindow PRIVATE user32)
set_target_properties(tw_bench_barewindow PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_BENCH_OUT})
# Answers Tidewell's confirmation for scripts/run.sh (and anyone scripting a run).
add_executable(tw_answer EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/answer.cpp)
tw_warnings(tw_answer)
if(MINGW)
    target_link_options(tw_answer PRIVATE -municode)
endif()
target_link_libraries(tw_answer PRIVATE user32)
set_target_properties(tw_answer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_BENCH_OUT})
# The driver part of scripts/run.sh's demo machine: seeds it through the test
# planting helper and restores the run's backup through the core.
add_executable(tw_demo_drivers EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/demo_drivers.cpp)
tw_warnings(tw_demo_drivers)
if(MINGW)
    target_link_options(tw_demo_drivers PRIVATE -municode)
endif()
target_link_libraries(tw_demo_drivers PRIVATE tidewell_core tidewell_platform_win32)
set_target_properties(tw_demo_drivers PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_BENCH_OUT})
add_custom_target(tw_bench DEPENDS tw_answer tw_demo_drivers tw_bench_barewindow tw_bench_seed tw_bench_bare tw_bench_runner Tidewell)
