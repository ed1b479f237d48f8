add_executable(bench_textures bench_textures.cpp ${CMAKE_SOURCE_DIR}/tests/textures/test_images.cpp)
target_include_directories(bench_textures PRIVATE ${CMAKE_SOURCE_DIR}/tests/textures)
target_link_libraries(bench_textures PRIVATE veltra_textures)

# Texture names looked up in folders against one stat() of each path.
add_executable(bench_texture_folders bench_texture_folders.cpp)
target_link_libraries(bench_texture_folders PRIVATE veltra_texture_folders)
