kelvara_test(test_data_window
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DataWindowTest.cpp
    LIBRARIES kelvara_display)
