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

# The console end-to-end tests drive a stand-in program: the real start-up, console and front end
# with a plain two-answer dialogue that logs what it received (tests/e2e/console_standin.cpp).
if(WIN32)
  add_executable(console_standin WIN32 ${CMAKE_SOURCE_DIR}/tests/e2e/console_standin.cpp)
else()
  add_executable(console_standin ${CMAKE_SOURCE_DIR}/tests/e2e/console_standin.cpp)
endif()
target_link_libraries(console_standin PRIVATE dft_frontend dft_console dft_io dft_core
                      dft_frontend dft_console dft_io)

# The Linux consoles end to end: the line console as a filter, the terminal console through tmux.
if(NOT WIN32)
  foreach(console line_console term_console)
    add_test(NAME e2e_${console}
             COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/${console}.py $<TARGET_FILE:console_standin>)
    set_tests_properties(e2e_${console} PROPERTIES TIMEOUT 120)
  endforeach()
endif()

# End-to-end test of the Windows console window under Wine and Xvfb, registered in the Linux build:
# it drives the 64-bit stand-in of build/win64 and reports "skipped" when that is not built. Label
# wine: the top-level `make test` runs it after the win64 tests.
if(NOT WIN32)
  add_test(NAME e2e_wine_console
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/wine_console.py
                   ${CMAKE_SOURCE_DIR}/build/win64/console_standin.exe)
  set_tests_properties(e2e_wine_console PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# The analysis run end to end, driving the program itself: the line console with scripted answers
# and the terminal console through tmux; and the 64-bit Windows program of build/win64 under Wine
# (label wine, "skipped" when it is not built), each checked against the Linux program's own file.
if(NOT WIN32 AND TARGET dftanalyze)
  foreach(console line term)
    add_test(NAME e2e_analysis_${console}
             COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/analysis_${console}.py
                     $<TARGET_FILE:dftanalyze>)
    set_tests_properties(e2e_analysis_${console} PROPERTIES TIMEOUT 120)
  endforeach()
  add_test(NAME e2e_analysis_wine
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/analysis_wine.py
                   ${CMAKE_SOURCE_DIR}/build/win64/dftanalyze.exe $<TARGET_FILE:dftanalyze>)
  set_tests_properties(e2e_analysis_wine PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# Result.svg end to end: line-console sessions at N = 256 and 20000, the picture parsed as XML and
# checked against Result.csv, then drawn by headless Chromium (tests/e2e/result_svg.py).
if(NOT WIN32 AND TARGET dftanalyze)
  add_test(NAME e2e_result_svg
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/result_svg.py $<TARGET_FILE:dftanalyze>)
  set_tests_properties(e2e_result_svg PROPERTIES TIMEOUT 600)
endif()

# Hostile inputs end to end, driving the program through the line console: a data.csv, typed
# lines, a Result.csv and a standard input that no user would give it (tests/e2e/hostile_*.py).
# hostile_result also fails each step of the save through an LD_PRELOAD library of its own.
if(NOT WIN32 AND TARGET dftanalyze)
  enable_language(C)
  add_library(save_faults MODULE ${CMAKE_SOURCE_DIR}/tests/e2e/save_faults.c)
  target_compile_options(save_faults PRIVATE -fno-sanitize=all)
  target_link_libraries(save_faults PRIVATE ${CMAKE_DL_LIBS})
  foreach(hostile data typed result stdin)
    add_test(NAME e2e_hostile_${hostile}
             COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/hostile_${hostile}.py
                     $<TARGET_FILE:dftanalyze> $<TARGET_FILE:save_faults>)
    set_tests_properties(e2e_hostile_${hostile} PROPERTIES TIMEOUT 600)
  endforeach()
endif()
