# court-setup --headless on a large synthetic release: fresh, upgrade, nothing to do,
# in-process and over TDS against court-server, and the raw-SQLite floor.
if(TARGET court_test_support AND TARGET court-setup AND TARGET court-server)
  add_executable(bench_install_run ${CMAKE_CURRENT_LIST_DIR}/install_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/install_run_floor.cpp ${CMAKE_CURRENT_LIST_DIR}/install_run_release.cpp)
  target_link_libraries(bench_install_run PRIVATE court_test_support PkgConfig::SQLITE3)
  target_compile_definitions(bench_install_run PRIVATE
    COURT_BUILD_DIR="${CMAKE_BINARY_DIR}" COURT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(bench_install_run court-setup court-server)
endif()
