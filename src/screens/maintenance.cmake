# The view and duplicate maintenance is installer logic, not a screen.
target_sources(court_installer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/maintenance.cpp)
