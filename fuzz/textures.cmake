# The image loader under libFuzzer: a seed writer, the fuzz target, a short
# bounded run from the seeds and the kept corpus (corpus/textures, merged from
# longer runs), and a replay of every input that once crashed.
set(TEXTURE_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/textures)
set(TEXTURE_CRASHERS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/textures-crashers)
set(TEXTURE_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/texture-corpus)

add_executable(texture_fuzz_seeds texture_fuzz_seeds.cpp ${TEXTURE_TEST_DIR}/test_images.cpp)
target_include_directories(texture_fuzz_seeds PRIVATE ${TEXTURE_TEST_DIR})
target_link_libraries(texture_fuzz_seeds PRIVATE veltra_textures)

add_executable(texture_fuzz texture_fuzz.cpp)
target_link_libraries(texture_fuzz PRIVATE veltra_textures)
target_link_options(texture_fuzz PRIVATE -fsanitize=fuzzer)

# Huge declared sizes must fail as allocations, not end the run.
set(TEXTURE_FUZZ_ENV ${VELTRA_TEST_ENV})
list(FILTER TEXTURE_FUZZ_ENV EXCLUDE REGEX "^ASAN_OPTIONS=")
list(APPEND TEXTURE_FUZZ_ENV "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=1")

add_test(NAME texture_fuzz_seeds COMMAND texture_fuzz_seeds ${TEXTURE_CORPUS})
add_test(NAME texture_fuzz_short
         COMMAND texture_fuzz -max_total_time=30 -timeout=5 -rss_limit_mb=4096
                 ${TEXTURE_CORPUS} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/textures ${TEXTURE_CRASHERS})
set_tests_properties(texture_fuzz_seeds PROPERTIES FIXTURES_SETUP texture_corpus ENVIRONMENT "${TEXTURE_FUZZ_ENV}")
set_tests_properties(texture_fuzz_short PROPERTIES FIXTURES_REQUIRED texture_corpus
                     ENVIRONMENT "${TEXTURE_FUZZ_ENV}" TIMEOUT 60)

# Given files, libFuzzer runs each once and stops.
file(GLOB texture_crashers ${TEXTURE_CRASHERS}/*)
if(texture_crashers)
  add_test(NAME texture_fuzz_crashers COMMAND texture_fuzz -timeout=5 ${texture_crashers})
  set_tests_properties(texture_fuzz_crashers PROPERTIES ENVIRONMENT "${TEXTURE_FUZZ_ENV}")
endif()
