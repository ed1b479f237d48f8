# `veltra check` on 50,000 scripts against the reader alone, and
# `veltra thumbnails` in milliseconds per script.
add_executable(bench_veltra ${CMAKE_CURRENT_LIST_DIR}/bench_veltra.cpp
  ${CMAKE_SOURCE_DIR}/tests/textures/test_images.cpp)
target_include_directories(bench_veltra PRIVATE ${CMAKE_SOURCE_DIR}/tests/textures)
target_link_libraries(bench_veltra PRIVATE veltra_cli)
