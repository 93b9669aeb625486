# Table synchronisation of a large catalogue: a first install, then a repeat.
if(TARGET court_test_support)
  add_executable(bench_schema_sync ${CMAKE_CURRENT_LIST_DIR}/schema_sync.cpp
    ${CMAKE_SOURCE_DIR}/tests/schema/catalogue_json.cpp)
  target_link_libraries(bench_schema_sync PRIVATE court_test_support)
endif()
