kelvara_test(test_drawing
    SOURCES
        DrawingTest.cpp
        LBevelButtonTest.cpp
    LIBRARIES kelvara_framework)
