# GoogleTest from Debian's sources (/usr/src/googletest), built with each build's own compiler and
# flags, so that the cross builds and the sanitizer builds get a matching copy.
set(GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
enable_testing()

# One test program per area: tests/<area>/*.cpp linked with that area's libraries.
# On Windows the tests run through CMAKE_CROSSCOMPILING_EMULATOR (wine), set by the Makefile.
function(dft_test_area area)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${area}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${area} ${srcs})
  target_link_libraries(test_${area} PRIVATE ${ARGN} GTest::gtest_main)
  if(WIN32)
    target_link_options(test_${area} PRIVATE -mconsole)
  endif()
  add_test(NAME ${area} COMMAND test_${area} --gtest_brief=1)
  set_tests_properties(${area} PROPERTIES TIMEOUT 600 ENVIRONMENT "DFT_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

dft_test_area(core dft_core)
dft_test_area(math dft_math dft_core)
dft_test_area(io dft_io dft_core)
dft_test_area(console dft_console dft_io dft_core)
dft_test_area(app dft_app dft_console dft_io dft_math dft_core)
if(WIN32)
  dft_test_area(win32 dft_frontend dft_console dft_io dft_core)
else()
  dft_test_area(posix dft_frontend dft_console dft_io dft_core)
endif()

# The fuzzers' seed corpora run through their checks on every test run, built with this build's
# compiler and flags (the sanitizer build's included); the fuzzing itself is `make test-fuzz`.
if(NOT WIN32)
  foreach(surface data_file terminal)
    add_executable(replay_${surface} ${CMAKE_SOURCE_DIR}/fuzz/fuzz_${surface}.cpp
                   ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_seeds_${surface}
             COMMAND replay_${surface} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${surface})
  endforeach()
  target_link_libraries(replay_data_file PRIVATE dft_io dft_math dft_core)
  target_link_libraries(replay_terminal PRIVATE dft_frontend dft_console dft_io dft_core)
endif()

# The read benchmark of the numbered files: a program run by hand, not a test.
add_executable(bench_file_input ${CMAKE_SOURCE_DIR}/bench/file_input_bench.cpp)
target_link_libraries(bench_file_input PRIVATE dft_io dft_core)

# The Windows window's end-to-end test drives a stand-in program: the real start-up, console and
# front end with a plain two-answer dialogue that logs what it received.
if(WIN32)
  add_executable(console_standin WIN32 ${CMAKE_SOURCE_DIR}/tests/e2e/console_standin.cpp)
else()
  add_executable(console_standin ${CMAKE_SOURCE_DIR}/tests/e2e/console_standin.cpp)
endif()
target_link_libraries(console_standin PRIVATE dft_frontend dft_console dft_io dft_core
                      dft_frontend dft_console dft_io)

# End-to-end test of the Windows console window under Wine and Xvfb, registered in the Linux build:
# it drives the 64-bit stand-in of build/win64 and reports "skipped" when that is not built. Label
# wine: the top-level `make test` runs it after the win64 tests.
if(NOT WIN32)
  add_test(NAME e2e_wine_console
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/wine_console.py
                   ${CMAKE_SOURCE_DIR}/build/win64/console_standin.exe)
  set_tests_properties(e2e_wine_console PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# The analysis run end to end, driving the program itself: the cases of tests/e2e/cases.py, run by
# tests/e2e/driver.py. The dialogue on the line console (a filter on pipes) and on the terminal
# console (through tmux, each case checked against the line console's run of it); input no user
# would give (data.csv, typed lines, standard input) on the line console; a Result.csv that cannot
# be written. The 64-bit Windows program of build/win64 under Wine has label wine and reports
# "skipped" when it is not built.
if(NOT WIN32 AND TARGET dftanalyze)
  set(cases ${CMAKE_SOURCE_DIR}/tests/e2e/cases.py)
  add_test(NAME e2e_analysis_line COMMAND python3 ${cases} analysis line $<TARGET_FILE:dftanalyze>)
  add_test(NAME e2e_analysis_term COMMAND python3 ${cases} analysis term $<TARGET_FILE:dftanalyze>)
  add_test(NAME e2e_hostile_input COMMAND python3 ${cases} hostile line $<TARGET_FILE:dftanalyze>)
  # hostile_result fails each step of the save through an LD_PRELOAD library of its own.
  enable_language(C)
  add_library(save_faults MODULE ${CMAKE_SOURCE_DIR}/tests/e2e/save_faults.c)
  target_compile_options(save_faults PRIVATE -fno-sanitize=all)
  target_link_libraries(save_faults PRIVATE ${CMAKE_DL_LIBS})
  add_test(NAME e2e_hostile_result
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/hostile_result.py $<TARGET_FILE:dftanalyze>
                   $<TARGET_FILE:save_faults>)
  # Result.svg: line-console sessions at N = 256 and 20000, the picture parsed as XML and checked
  # against Result.csv, then drawn by headless Chromium.
  add_test(NAME e2e_result_svg
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/result_svg.py $<TARGET_FILE:dftanalyze>)
  set_tests_properties(e2e_analysis_line e2e_analysis_term e2e_hostile_input e2e_hostile_result
                       e2e_result_svg PROPERTIES TIMEOUT 600)
  add_test(NAME e2e_analysis_wine
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/analysis_wine.py
                   ${CMAKE_SOURCE_DIR}/build/win64/dftanalyze.exe $<TARGET_FILE:dftanalyze>)
  set_tests_properties(e2e_analysis_wine PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
