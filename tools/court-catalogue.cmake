add_executable(court-catalogue ${CMAKE_CURRENT_SOURCE_DIR}/court-catalogue.cpp)
target_link_libraries(court-catalogue PRIVATE court_jet)
