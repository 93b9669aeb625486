# Embedded server: autocommitted single-row INSERTs against raw SQLite.
add_executable(bench_mssql_insert ${CMAKE_CURRENT_LIST_DIR}/mssql_insert.cpp)
target_link_libraries(bench_mssql_insert PRIVATE court_mssql)
target_include_directories(bench_mssql_insert PRIVATE ${CMAKE_SOURCE_DIR})
