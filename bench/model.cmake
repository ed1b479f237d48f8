# Reading and writing script files against the floors of splitting the
# text into words and of one fwrite.
add_executable(bench_script_files ${CMAKE_CURRENT_LIST_DIR}/bench_script_files.cpp)
target_link_libraries(bench_script_files PRIVATE veltra_model)
