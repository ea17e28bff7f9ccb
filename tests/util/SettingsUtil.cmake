kelvara_test(test_settings_util
    SOURCES
        SensorColorsTest.cpp
        SensorMenusTest.cpp
        SensorRangeTest.cpp
        TemperatureUnitsTest.cpp
    LIBRARIES kelvara_util kelvara_prefs kelvara_sensors kelvara_platform)
