# The reference data refresh of a large release: rows and blobs.
if(TARGET court_test_support)
  add_executable(bench_reference_refresh ${CMAKE_CURRENT_LIST_DIR}/reference_refresh.cpp)
  target_link_libraries(bench_reference_refresh PRIVATE court_test_support)
endif()
