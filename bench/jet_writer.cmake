# Building a large release catalogue with the Jet 4 writer.
add_executable(bench_jet_writer ${CMAKE_CURRENT_LIST_DIR}/jet_writer.cpp)
target_link_libraries(bench_jet_writer PRIVATE court_jet)
