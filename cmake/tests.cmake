# GoogleTest from Debian's sources (/usr/src/googletest), built with each build's own compiler and
# flags, so that the cross builds and the sanitizer builds get a matching copy; where the sources
# are not there, a native build takes the installed package's own CMake configuration.
set(GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${GTEST_SRC}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  target_link_libraries(gtest PRIVATE dft_options)
  target_link_libraries(gtest_main PRIVATE dft_options)
else()
  find_package(GTest CONFIG REQUIRED)
endif()
enable_testing()

# One test program per area: its sources in tests/<area>/, linked with that area's library.
# On Windows the tests run through CMAKE_CROSSCOMPILING_EMULATOR (wine), set by the Makefile.
function(dft_test_area area)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  list(TRANSFORM T_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/tests/${area}/)
  add_executable(test_${area} ${T_SOURCES})
  target_link_libraries(test_${area} PRIVATE ${T_LIBS} dft_options GTest::gtest_main)
  if(WIN32)
    target_link_options(test_${area} PRIVATE -mconsole)
  endif()
  add_test(NAME ${area} COMMAND test_${area} --gtest_brief=1)
  set_tests_properties(${area} PROPERTIES TIMEOUT 600)
endfunction()

dft_test_area(core LIBS dft_core SOURCES string_test.cpp)
dft_test_area(math LIBS dft_math SOURCES elementary_test.cpp num_to_str_test.cpp)
# The lanes' FMA division over arrays, with the lanes' flags (CMakeLists.txt).
target_sources(test_math PRIVATE ${PROJECT_SOURCE_DIR}/bench/divider_avx2.cpp
               ${PROJECT_SOURCE_DIR}/bench/divider_avx512.cpp)
dft_test_area(io LIBS dft_io SOURCES
  file_open_test.cpp file_replace_test.cpp file_text_test.cpp
  input_items_test.cpp)
dft_test_area(console LIBS dft_console SOURCES input_test.cpp print_test.cpp session_test.cpp)
dft_test_area(app LIBS dft_app SOURCES data_import_test.cpp spectrum_svg_test.cpp svg_labels_test.cpp
              transform_test.cpp)
if(WIN32)
  dft_test_area(win32 LIBS dft_frontend SOURCES
    window_draw_test.cpp window_font_test.cpp window_text_test.cpp)
  # The program's resources, read from the exe: the version information and the manifest.
  add_test(NAME resources COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/win32/resources.py
           ${CMAKE_RC_COMPILER} $<TARGET_FILE:dftanalyze> ${PROJECT_VERSION})
else()
  dft_test_area(posix LIBS dft_frontend SOURCES
    cp932_test.cpp term_keys_test.cpp term_screen_test.cpp)
endif()

# The read benchmark of the numbered files: a program run by hand, not a test.
add_executable(bench_file_input ${CMAKE_SOURCE_DIR}/bench/file_input_bench.cpp)
target_link_libraries(bench_file_input PRIVATE dft_io)

# The analysis run end to end, driving the program itself: the tables of tests/e2e/cases.py, run
# by tests/e2e/driver.py. The dialogue on the line console (a filter on pipes), on the terminal
# console (through tmux) and in the 64-bit window of build/win64 under Wine and Xvfb, each of the
# last two checked against the line console's run of the case; input no user would give (data.csv,
# typed lines, standard input) on the line console; a Result.csv or Result.svg that cannot be
# written, with each step of the save failed in turn through the LD_PRELOAD library save_faults.
# The Wine test has label wine (the top-level `make test` runs it after the win64 tests); it fails
# when the Windows program (DFT_WIN64_EXE, build/win64's by default) is not built.
if(NOT WIN32)
  set(cases python3 ${CMAKE_SOURCE_DIR}/tests/e2e/cases.py)
  add_test(NAME e2e_analysis_line COMMAND ${cases} analysis line $<TARGET_FILE:dftanalyze>)
  add_test(NAME e2e_analysis_term COMMAND ${cases} analysis term $<TARGET_FILE:dftanalyze>)
  add_test(NAME e2e_hostile_input COMMAND ${cases} hostile line $<TARGET_FILE:dftanalyze>)
  add_test(NAME e2e_hostile_result COMMAND ${cases} saving line $<TARGET_FILE:dftanalyze>)
  enable_language(C)
  add_library(save_faults MODULE ${CMAKE_SOURCE_DIR}/tests/e2e/save_faults.c)
  # A source's own options come after its target's: the preloaded library is never sanitized.
  set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/e2e/save_faults.c
                              PROPERTIES COMPILE_OPTIONS -fno-sanitize=all)
  target_link_libraries(save_faults PRIVATE dft_options ${CMAKE_DL_LIBS})
  set(DFT_WIN64_EXE ${CMAKE_SOURCE_DIR}/build/win64/dftanalyze.exe CACHE FILEPATH
      "the 64-bit Windows program the Wine test runs")
  add_test(NAME e2e_analysis_wine COMMAND ${cases} analysis wine ${DFT_WIN64_EXE}
           $<TARGET_FILE:dftanalyze>)
  set_tests_properties(e2e_analysis_line e2e_analysis_term e2e_hostile_input e2e_hostile_result
                       e2e_analysis_wine PROPERTIES TIMEOUT 900)
  set_tests_properties(e2e_analysis_wine PROPERTIES LABELS wine)
endif()
