kelvara_test(test_dock_icon
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DockIconTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TrayPictureTest.cpp
    LIBRARIES kelvara_display)
