# The fuzzers, one per input surface: the data file, what is typed into the terminal, and the
# lanes' FMA division against the divider (its two sets' files with the lanes' flags). Each
# fuzz/fuzz_<surface>.cpp is built over the program's own libraries: in the fuzzer build
# (DFT_SANITIZE=fuzzer, clang; `make test-fuzz`) as the libFuzzer program fuzz_<surface>; in
# every other POSIX build as replay_<surface>, the test that runs its seed corpus through the
# same checks.
foreach(surface data_file terminal divide)
  if(DFT_SANITIZE STREQUAL "fuzzer")
    set(fuzzer fuzz_${surface})
    add_executable(${fuzzer} ${PROJECT_SOURCE_DIR}/fuzz/fuzz_${surface}.cpp)
    target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
  else()
    set(fuzzer replay_${surface})
    add_executable(${fuzzer} ${PROJECT_SOURCE_DIR}/fuzz/fuzz_${surface}.cpp
                   ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_seeds_${surface}
             COMMAND ${fuzzer} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${surface})
  endif()
  set(fuzz_${surface} ${fuzzer})
endforeach()
target_link_libraries(${fuzz_data_file} PRIVATE dft_io dft_math)
target_link_libraries(${fuzz_terminal} PRIVATE dft_frontend)
target_link_libraries(${fuzz_divide} PRIVATE dft_options)
target_sources(${fuzz_divide} PRIVATE ${PROJECT_SOURCE_DIR}/bench/divider_avx2.cpp
               ${PROJECT_SOURCE_DIR}/bench/divider_avx512.cpp)
