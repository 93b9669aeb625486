# court-sqlcmd: runs one T-SQL batch on the embedded server or over ODBC.
add_executable(court-sqlcmd ${CMAKE_CURRENT_LIST_DIR}/court-sqlcmd.cpp)
target_link_libraries(court-sqlcmd PRIVATE court_mssql court_odbc)
