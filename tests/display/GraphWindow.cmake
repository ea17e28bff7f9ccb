kelvara_test(test_graph_window
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/GraphWindowTest.cpp
    LIBRARIES kelvara_display)
