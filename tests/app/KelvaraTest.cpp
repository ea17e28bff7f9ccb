#include "app/Kelvara.h"
#include "framework/UModalAlerts.h"
#include "sensors/SensorMaster.h"
#include "tests/support/FixturePlatform.h"

#include <QTimer>

#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

namespace {

class KelvaraApplication : public ::testing::Test {
protected:
    KelvaraApplication()
    {
        UModalAlerts::SetHandler([this](ResIDT id, const AlertText& text) {
            alerts.push_back(id);
            alertText = text.text;
        });
    }
    ~KelvaraApplication() override { UModalAlerts::SetHandler({}); }

    FixturePlatform platform;
    std::vector<ResIDT> alerts;
    std::string alertText;
};

}

TEST_F(KelvaraApplication, NoSensorAlertsOnceAndRunsOn)
{
    testing::internal::CaptureStdout();
    {
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(application.GetSensorMaster()->GetSensorCount(), 0);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(alerts, std::vector<ResIDT>({ Kelvara::kNoSensorsAlert }));
    EXPECT_NE(alertText.find("no temperature sensor"), std::string::npos);
    // Quitting wrote no data file.
    EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 "));
}

TEST_F(KelvaraApplication, QuitWritesEverySensorsDataFile)
{
    platform.AddTempSensor("Board", 40);
    platform.Processors().SetReadings({ 50 });
    {
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(application.GetSensorMaster()->GetSensorCount(), 2);
        EXPECT_TRUE(alerts.empty());
        EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 Board"));
    }
    EXPECT_TRUE(TestFiles::Exists(platform.ProgramFolder() + "/01 Board"));
    EXPECT_TRUE(TestFiles::Exists(platform.ProgramFolder() + "/02 CPU temperature"));
    EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
}

TEST_F(KelvaraApplication, QuitCommandEndsTheEventLoop)
{
    Kelvara application;
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = LCommander::ProcessCommand(cmd_Quit); });
    application.Run(); // returns only because the quit command ended the loop
    EXPECT_TRUE(handled);
    EXPECT_NE(application.GetSensorMaster(), nullptr); // start-up ran inside the loop
}

TEST_F(KelvaraApplication, SessionSignalsTakeTheNormalQuitPath)
{
    platform.AddTempSensor("Board", 40);
    for (int signalNumber : { SIGTERM, SIGHUP, SIGINT }) {
        SCOPED_TRACE(signalNumber);
        FixturePlatform::ResetSingletons();
        {
            Kelvara application;
            QTimer::singleShot(0, [signalNumber] { ::raise(signalNumber); });
            application.Run(); // the signal ends the loop instead of killing the process
        }
        EXPECT_TRUE(TestFiles::Exists(platform.ProgramFolder() + "/01 Board"));
        std::remove((platform.ProgramFolder() + "/01 Board").c_str());
    }
}
