# Typing in the script text pane: Edit Text and the preview frame that shows
# it, against one preview frame.
add_executable(bench_script_text ${CMAKE_CURRENT_LIST_DIR}/bench_script_text.cpp
  ${CMAKE_SOURCE_DIR}/tests/textures/test_images.cpp)
target_include_directories(bench_script_text PRIVATE ${CMAKE_SOURCE_DIR}/tests/textures)
target_link_libraries(bench_script_text PRIVATE veltra_editor)
