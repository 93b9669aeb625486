# court-server: the embedded server on the network.
add_executable(court-server ${CMAKE_CURRENT_LIST_DIR}/court-server.cpp)
target_link_libraries(court-server PRIVATE court_tds)
