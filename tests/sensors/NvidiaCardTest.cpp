// NVIDIA graphics cards found in a sysfs tree and read through a stand-in NVML loaded from its own folder: what
// discovery makes of them, what reading gives, and which calls the library saw.
#include "sensors/NvmlSession.h"
#include "sensors/SensorDiscovery.h"
#include "sensors/SensorKeyMap.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/NvmlStandIn.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

const auto Fixed16 = FixturePlatform::Fixed16;
constexpr uint32_t kNvidia = 0x10de;

// A card as sysfs shows it (without runtime power files where control is empty) and as the library answers.
struct Card {
    std::string busId;
    uint32_t device;
    std::string control, status;
    unsigned celsius = 0, slowdown = 0, shutdown = 0;
    bool lost = false;
    std::string name;
    uint32_t vendor = kNvidia;
};

// A sensor's key, name, limits in degrees (0: none), and the status and raw value of its second reading.
using Sensor = std::tuple<std::string, std::string, int, int, SourceReading::Status, int32_t>;

enum class Library { Whole, Lacking, Missing };

struct Case {
    const char* name;
    std::vector<Card> cards;
    Library library;
    bool pciIds;
    std::vector<Sensor> expected;
    std::vector<std::string> untouched; // cards the library must never have been asked about
    bool releasedEachTime; // NVML shut down completely after discovery and after each reading
    std::string message; // what standard error must say, on one line; empty: nothing at all
};

using enum SourceReading::Status;
const char* const kRtx4090 = "NVIDIA GeForce RTX 4090";
const Card kAlwaysOn { "0000:01:00.0", 0x2684, "on", "active", 67, 90, 95, false, kRtx4090 };

const Case kCases[] = {
    { "two identical cards, always on", { kAlwaysOn, { "0000:02:00.0", 0x2684, "", "", 48, 88, 93, false, kRtx4090 } },
        Library::Whole, false,
        { { "0000:01:00.0", kRtx4090, 90, 95, Valid, Fixed16(67) },
            { "0000:02:00.0", "NVIDIA GeForce RTX 4090 2", 88, 93, Valid, Fixed16(48) } },
        {}, false, "" },
    { "a suspended card is never touched and is named from the PCI ID list",
        { kAlwaysOn, { "0000:05:00.0", 0x28e0, "auto", "suspended", 45, 87, 92, false, "NVIDIA laptop" } },
        Library::Whole, true,
        { { "0000:01:00.0", kRtx4090, 90, 95, Valid, Fixed16(67) },
            { "0000:05:00.0", "NVIDIA GeForce RTX 4060 Max-Q / Mobile", 0, 0, Asleep, 0 } },
        { "0000:05:00.0" }, false, "" },
    { "a card on its way to sleep, without a PCI ID list",
        { { "0000:05:00.0", 0x28e0, "auto", "suspending", 45, 87, 92, false, "NVIDIA laptop" } }, Library::Whole, false,
        { { "0000:05:00.0", "NVIDIA GPU 0000:05:00.0", 0, 0, Asleep, 0 } }, { "0000:05:00.0" }, true, "" },
    { "a card under runtime power management is let go after each reading",
        { { "0000:05:00.0", 0x28e0, "auto", "active", 52, 87, 92, false, "NVIDIA GeForce RTX 4060 Laptop GPU" } },
        Library::Whole, false, { { "0000:05:00.0", "NVIDIA GeForce RTX 4060 Laptop GPU", 87, 92, Valid, Fixed16(52) } },
        {}, true, "" },
    { "a lost GPU keeps failing and says so once",
        { { "0000:01:00.0", 0x2684, "on", "active", 67, 90, 95, true, kRtx4090 } }, Library::Whole, false,
        { { "0000:01:00.0", kRtx4090, 0, 0, Failed, 0 } }, {}, false,
        "NVIDIA card 0000:01:00.0: reading the temperature failed: GPU is lost" },
    { "odd replies: a tab in the name, a limit and a reading no card has",
        { { "0000:09:00.0", 0x1d81, "on", "active", 301, 4000000, 96, false, "NVIDIA\tTITAN V" } }, Library::Whole,
        false, { { "0000:09:00.0", "NVIDIA TITAN V", 96, 96, Failed, 0 } }, {}, false, "" },
    { "a library lacking an entry point reads no card", { kAlwaysOn }, Library::Lacking, false, {}, { "0000:01:00.0" },
        true, "lacks nvmlDeviceGetTemperatureThreshold" },
    { "a missing library is not mentioned without an NVIDIA card",
        { { "0000:03:00.0", 0x744c, "on", "active", 0, 0, 0, false, "", 0x1002 },
            { "0000:04:00.0", 0x2684, "", "", 0, 0, 0, false, "", 0x10df } },
        Library::Missing, false, {}, {}, true, "" },
    { "a missing library is mentioned once there is a card", { kAlwaysOn }, Library::Missing, false, {}, {}, true,
        "NVIDIA graphics cards are not read: \"" },
};

}

TEST(NvidiaCards, AreFoundAndReadWithoutWakingOrHoldingThem)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        SysfsFixture sysfs;
        std::vector<NvmlStandIn::Card> answers;
        for (const Card& card : c.cards) {
            sysfs.AddPciDevice(card.busId, card.vendor, card.device, 0x030000, card.control, card.status);
            answers.push_back({ card.busId, card.celsius, card.slowdown, card.shutdown, card.lost, card.name });
        }
        // An NVIDIA device that is no display (its audio function) is never a card, nor is another vendor's.
        sysfs.AddPciDevice("0000:01:00.1", kNvidia, 0x22ba, 0x040300);
        if (c.pciIds) {
            sysfs.Write("usr/share/misc/pci.ids",
                "# List of PCI ID's\n10de  NVIDIA Corporation\n\t2684  AD102 [GeForce RTX 4090]\n"
                "\t\t10de 167c  GeForce RTX 4090 Founders Edition\n\t28e0  AD107M [GeForce RTX 4060 Max-Q / Mobile]\n"
                "10df  Emulex Corporation\n\t28e0  Not a graphics card\n");
        }
        FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
        NvmlStandIn standIn;
        standIn.SetCards(answers);
        const std::string libraries[]
            = { NvmlStandIn::Library(), NvmlStandIn::LackingLibrary(), sysfs.Path("no-such-libnvidia-ml.so.1") };
        auto session = std::make_shared<NvmlSession>(libraries[static_cast<int>(c.library)]);

        testing::internal::CaptureStderr();
        std::vector<SensorDescription> found = SensorDiscovery::Discover(false, session);
        auto released = [&] { return standIn.Calls().empty() || standIn.Calls().back() == "shutdown 0"; };
        bool releasedEachTime = released();
        std::vector<SourceReading> readings(found.size());
        for (int round = 0; round < 2; ++round) {
            for (size_t i = 0; i < found.size(); ++i) {
                readings[i] = found[i].reader->Read();
                releasedEachTime = releasedEachTime && released();
            }
        }
        std::string message = testing::internal::GetCapturedStderr();

        std::vector<SensorIdentity> identities = SensorKeyMap().Assign(found, {});
        auto degrees = [](int32_t raw) { return raw == kNoThreshold ? 0 : raw >> 16; };
        std::vector<Sensor> sensors;
        for (size_t i = 0; i < found.size(); ++i) {
            sensors.emplace_back(found[i].key, identities[i].name, degrees(found[i].highThreshold),
                degrees(found[i].critThreshold), readings[i].status, readings[i].raw);
            EXPECT_EQ(found[i].devicePath, "/sys/devices/pci0000:00/" + found[i].key);
        }
        EXPECT_EQ(sensors, c.expected);
        for (const std::string& busId : c.untouched)
            EXPECT_EQ(standIn.CallsTouching(busId), 0) << busId;
        EXPECT_EQ(releasedEachTime, c.releasedEachTime);
        EXPECT_TRUE(c.message.empty() ? message.empty() : message.find(c.message) != std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), c.message.empty() ? 0 : 1) << message;
    }
}
