kelvara_test(test_settings_util
    SOURCES
        SensorColorsTest.cpp
        SettingsUtilTest.cpp
    LIBRARIES kelvara_util kelvara_prefs kelvara_sensors kelvara_platform)
