# Table synchronisation of a large catalogue: a first install, then a repeat.
if(TARGET court_test_support)
  add_executable(bench_schema_sync ${CMAKE_CURRENT_LIST_DIR}/schema_sync.cpp)
  target_link_libraries(bench_schema_sync PRIVATE court_test_support)
endif()
