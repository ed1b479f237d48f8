# The undo history's cost: random editor commands on a large library with
# the history against without it, and the recovery copy's slices.
add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/bench_history.cpp)
target_link_libraries(bench_history PRIVATE veltra_editor)

# File > Save of one changed script against writing its file alone.
add_executable(bench_save_back ${CMAKE_CURRENT_LIST_DIR}/bench_save_back.cpp)
target_link_libraries(bench_save_back PRIVATE veltra_editor)
