# The view and duplicate maintenance tests; included from this folder's CMakeLists.txt.
if(TARGET court_test_support)
  court_test(maintenance_tests ${CMAKE_CURRENT_LIST_DIR}/maintenance_test.cpp)
  target_link_libraries(maintenance_tests PRIVATE court_test_support)
endif()
