# The editor's CPU use and start-up time: a script run against the built
# program on a virtual display (see bench_editor_cpu.sh). Copied next to the
# other benchmark programs so that scripts/run-benchmarks.sh finds it.
# File > Open of a large library through the real window, against the reader.
if(VELTRA_BUILD_QT)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/bench_editor_cpu.sh
                 ${CMAKE_CURRENT_BINARY_DIR}/bench_editor_cpu COPYONLY)
  add_executable(bench_editor_open ${CMAKE_CURRENT_LIST_DIR}/bench_editor_open.cpp)
  target_link_libraries(bench_editor_open PRIVATE veltra_qt)
endif()

# Find Script's completions after each keystroke over 50,000 scripts.
if(VELTRA_BUILD_QT)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(bench_find_script bench_find_script.cpp)
  target_link_libraries(bench_find_script PRIVATE veltra_qt Qt6::Test)
endif()

# Typing into the script text pane on a 1,000-line script: the longest
# event-loop stall, against a plain text box.
if(VELTRA_BUILD_QT)
  add_executable(bench_text_typing bench_text_typing.cpp)
  target_link_libraries(bench_text_typing PRIVATE veltra_qt Qt6::Test)
  target_compile_definitions(bench_text_typing PRIVATE
    VELTRA_EXAMPLES_DIR="${CMAKE_SOURCE_DIR}/examples")
endif()
