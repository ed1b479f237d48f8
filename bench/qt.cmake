# The editor's CPU use and start-up time: a script run against the built
# program on a virtual display (see bench_editor_cpu.sh). Copied next to the
# other benchmark programs so that scripts/run-benchmarks.sh finds it.
if(VELTRA_BUILD_QT)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/bench_editor_cpu.sh
                 ${CMAKE_CURRENT_BINARY_DIR}/bench_editor_cpu COPYONLY)
endif()

# Find Script's completions after each keystroke over 50,000 scripts.
if(VELTRA_BUILD_QT)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(bench_find_script bench_find_script.cpp)
  target_link_libraries(bench_find_script PRIVATE veltra_qt Qt6::Test)
endif()
