# court-server through a real client (FreeTDS's ODBC driver via unixODBC).
find_package(ODBC REQUIRED)
add_executable(bench_tds ${CMAKE_CURRENT_LIST_DIR}/tds.cpp)
target_link_libraries(bench_tds PRIVATE court_mssql court_test_support ODBC::ODBC Threads::Threads)
add_dependencies(bench_tds court-server)
