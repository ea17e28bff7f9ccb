// Runs the tests inside a Qt application on the offscreen platform, with a fixed locale.
#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("KELVARA_UDISKS_MODULE", KELVARA_UDISKS_MODULE_PATH, 0);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
