// Sharing the readings as the settings and the command line ask: off unless asked, the command line over the
// settings, a token file that others can read or an address that is none leaving the endpoint off with a
// word to the user, the textfile after every sample, and the preferences followed when they change.
#include "app/ReadingsSharing.h"
#include "platform/Notifier.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/LoopbackHttp.h"
#include "tests/support/Sampling.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class NotificationLog : public Notifier {
public:
    void Notify(const std::string& title, const std::string& text) override { messages.push_back(title + ": " + text); }
    std::vector<std::string> messages;
};

}

TEST(ReadingsSharing, FollowsTheSettingsAndTheCommandLine)
{
    TemporaryFolder files;
    std::string token = files / "token";
    TestFiles::Write(token, "s3cret\n");
    ::chmod(token.c_str(), 0644);
    std::string textfile = files / "kelvara.prom";
    const std::string reading = "name=\"nct6798 SYSTIN\"} 40.5\n";
    const struct {
        const char* name;
        std::string settings; // the Metrics group of Kelvara Settings.ini
        ReadingsSharing::Overrides overrides;
        bool serves;
        const char* told; // part of what the user is told; empty: nothing
    } cases[] = {
        { "off unless asked", "", {}, false, "" },
        { "the check box", "ShareReadings=true\nListen=127.0.0.1:0\n", {}, true, "" },
        { "an address without the check box", "ShareReadings=false\nListen=127.0.0.1:0\n", {}, false, "" },
        { "the command line over the settings", "ShareReadings=false\n", { "127.0.0.1:0", {}, {} }, true, "" },
        { "an IPv6 address without brackets", "ShareReadings=true\nListen=::1:9947\n", {}, false,
            "Kelvara: The readings are not shared with Prometheus: \"::1:9947\": an IPv6 address is written in "
            "brackets" },
        { "a token file others can read", "ShareReadings=true\nListen=127.0.0.1:0\nTokenFile=" + token + "\n", {},
            false, "may be read by its group or by others" },
        { "a textfile alone", "File=" + textfile + "\n", {}, false, "" },
    };
    for (const auto& each : cases) {
        FixturePlatform machine;
        machine.AddTempSensor("nct6798 SYSTIN", 40.5);
        std::string ini = KelvaraSettings::Get()->GetUsablePath(true);
        TestFiles::Write(ini, "[Metrics]\n" + each.settings);
        KelvaraSettings::DeleteInstanceForTesting();
        ::unlink(textfile.c_str());
        SensorMaster& sensors = Sampling::StartSensors();
        NotificationLog log;
        ReadingsSharing sharing(sensors, log, each.overrides, "1.0.0");
        ASSERT_TRUE(Sampling::RecordRound(sensors));

        uint16_t port = sharing.GetListeningPort();
        std::string served = port ? LoopbackHttp::Exchange(port, "GET /metrics HTTP/1.1\r\n\r\n") : "";
        EXPECT_EQ(served.find(reading) != std::string::npos, each.serves) << each.name << ": " << served;
        ASSERT_EQ(log.messages.size(), *each.told ? 1u : 0u) << each.name;
        for (const std::string& message : log.messages)
            EXPECT_NE(message.find(each.told), std::string::npos) << message;
        std::vector<uint8_t> written = TestFiles::ReadBytes(textfile);
        bool wroteFile = ("\n" + each.settings).find("\nFile=") != std::string::npos;
        EXPECT_EQ(std::string(written.begin(), written.end()).find(reading) != std::string::npos, wroteFile)
            << each.name;
    }
}

TEST(ReadingsSharing, FollowsThePreferencesWhenTheyChange)
{
    FixturePlatform machine;
    machine.AddTempSensor("nct6798 SYSTIN", 40.5);
    SensorMaster& sensors = Sampling::StartSensors();
    NotificationLog log;
    ReadingsSharing sharing(sensors, log, {}, "1.0.0");
    EXPECT_EQ(sharing.GetListeningPort(), 0);

    KelvaraSettings::Get()->SetShareReadings(true, "127.0.0.1:0");
    Preferences::Get()->NotifySubscribers();
    uint16_t port = sharing.GetListeningPort();
    EXPECT_NE(port, 0);
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(sharing.GetListeningPort(), port) << "an unchanged setting keeps the endpoint as it is";
    KelvaraSettings::DeleteInstanceForTesting();
    EXPECT_TRUE(KelvaraSettings::Get()->GetShareReadings()) << "the choice is kept in the settings file";
    KelvaraSettings::Get()->SetShareReadings(false, "127.0.0.1:0");
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(sharing.GetListeningPort(), 0);
    EXPECT_EQ(LoopbackHttp::Exchange(port, "GET /metrics HTTP/1.1\r\n\r\n"), "") << "nothing listens any more";
}
