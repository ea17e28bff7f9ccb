kelvara_test(test_sensor_names
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/SensorNamesTest.cpp
    LIBRARIES kelvara_display)
