kelvara_test(test_dock_icon
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DockIconTest.cpp
    LIBRARIES kelvara_display)
