# The script reader and the problem finder under libFuzzer: every seed once,
# then a bounded run that starts from the seeds. New inputs go to a corpus in
# the build tree.
set(READER_SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/reader)
set(READER_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/reader-corpus)
file(MAKE_DIRECTORY ${READER_CORPUS})

add_executable(reader_fuzz reader_fuzz.cpp)
target_link_libraries(reader_fuzz PRIVATE veltra_model veltra_problems)
target_link_options(reader_fuzz PRIVATE -fsanitize=fuzzer)

file(GLOB reader_seed_files ${READER_SEEDS}/*)
add_test(NAME reader_fuzz_seeds COMMAND reader_fuzz ${reader_seed_files})
add_test(NAME reader_fuzz_run
         COMMAND reader_fuzz -max_total_time=60 -timeout=10 -rss_limit_mb=2048 -max_len=65536
                 ${READER_CORPUS} ${READER_SEEDS})
set_tests_properties(reader_fuzz_seeds reader_fuzz_run PROPERTIES ENVIRONMENT "${VELTRA_TEST_ENV}")
set_tests_properties(reader_fuzz_run PROPERTIES TIMEOUT 120)
