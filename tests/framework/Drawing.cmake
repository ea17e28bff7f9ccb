kelvara_test(test_drawing
    SOURCES
        CGContextTest.cpp
        LBevelButtonTest.cpp
        QDPortTest.cpp
    LIBRARIES kelvara_framework)
