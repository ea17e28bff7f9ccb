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
#include <cctype>

namespace {

const auto Fixed16 = FixturePlatform::Fixed16;
constexpr uint32_t kNvidia = 0x10de;
constexpr uint32_t kVga = 0x030000;

struct CardInSysfs {
    std::string busId;
    uint32_t device;
    std::string control; // empty: no runtime power files
    std::string status;
    uint32_t vendor = kNvidia;
};

// What a sensor shows after two readings, and its limits in degrees (0: none).
struct Sensor {
    std::string key;
    std::string name;
    int high;
    int crit;
    SourceReading::Status status;
    int celsius;
    bool operator==(const Sensor&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sensor& s)
{
    return out << "{" << s.key << ", \"" << s.name << "\", " << s.high << ", " << s.crit << ", "
               << static_cast<int>(s.status) << ", " << s.celsius << "}";
}

enum class Library { Whole, Lacking, Missing };

struct Case {
    const char* name;
    std::vector<CardInSysfs> sysfs;
    std::vector<NvmlStandIn::Card> nvml;
    Library library;
    bool pciIds;
    std::vector<Sensor> expected;
    // Cards the library must never have been asked about.
    std::vector<std::string> untouched;
    // Whether NVML was shut down completely after discovery and after each reading.
    bool releasedEachTime;
    // What standard error must say, once; empty: nothing at all.
    std::string message;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

const SourceReading::Status Valid = SourceReading::Status::Valid;
const SourceReading::Status Failed = SourceReading::Status::Failed;
const SourceReading::Status Asleep = SourceReading::Status::Asleep;
const char* const kRtx4090 = "NVIDIA GeForce RTX 4090";

const std::vector<Case> kCases = {
    { "two identical cards, always on",
        { { "0000:01:00.0", 0x2684, "on", "active" }, { "0000:02:00.0", 0x2684, "", "" } },
        { { "0000:01:00.0", 67, 90, 95, false, kRtx4090 }, { "0000:02:00.0", 48, 88, 93, false, kRtx4090 } },
        Library::Whole, false,
        { { "0000:01:00.0", kRtx4090, 90, 95, Valid, 67 },
            { "0000:02:00.0", "NVIDIA GeForce RTX 4090 2", 88, 93, Valid, 48 } },
        {}, false, "" },
    { "a suspended card is never touched and is named from the PCI ID list",
        { { "0000:01:00.0", 0x2684, "on", "active" }, { "0000:05:00.0", 0x28e0, "auto", "suspended" } },
        { { "0000:01:00.0", 67, 90, 95, false, kRtx4090 }, { "0000:05:00.0", 45, 87, 92, false, "NVIDIA laptop" } },
        Library::Whole, true,
        { { "0000:01:00.0", kRtx4090, 90, 95, Valid, 67 },
            { "0000:05:00.0", "NVIDIA GeForce RTX 4060 Max-Q / Mobile", 0, 0, Asleep, 0 } },
        { "0000:05:00.0" }, false, "" },
    { "a card on its way to sleep, without a PCI ID list", { { "0000:05:00.0", 0x28e0, "auto", "suspending" } },
        { { "0000:05:00.0", 45, 87, 92, false, "NVIDIA laptop" } }, Library::Whole, false,
        { { "0000:05:00.0", "NVIDIA GPU 0000:05:00.0", 0, 0, Asleep, 0 } }, { "0000:05:00.0" }, true, "" },
    { "a card under runtime power management is let go after each reading",
        { { "0000:05:00.0", 0x28e0, "auto", "active" } },
        { { "0000:05:00.0", 52, 87, 92, false, "NVIDIA GeForce RTX 4060 Laptop GPU" } }, Library::Whole, false,
        { { "0000:05:00.0", "NVIDIA GeForce RTX 4060 Laptop GPU", 87, 92, Valid, 52 } }, {}, true, "" },
    { "a lost GPU keeps failing and says so once", { { "0000:01:00.0", 0x2684, "on", "active" } },
        { { "0000:01:00.0", 67, 90, 95, true, kRtx4090 } }, Library::Whole, false,
        { { "0000:01:00.0", kRtx4090, 0, 0, Failed, 0 } }, {}, false,
        "NVIDIA card 0000:01:00.0: reading the temperature failed: GPU is lost" },
    { "odd replies: a tab in the name, a limit and a reading no card has",
        { { "0000:09:00.0", 0x1d81, "on", "active" } },
        { { "0000:09:00.0", 301, 4000000, 96, false, "NVIDIA\tTITAN V" } }, Library::Whole, false,
        { { "0000:09:00.0", "NVIDIA TITAN V", 96, 96, Failed, 0 } }, {}, false, "" },
    { "a library lacking an entry point reads no card", { { "0000:01:00.0", 0x2684, "on", "active" } },
        { { "0000:01:00.0", 67, 90, 95, false, kRtx4090 } }, Library::Lacking, false, {}, { "0000:01:00.0" }, true,
        "lacks nvmlDeviceGetTemperatureThreshold" },
    { "a missing library is not mentioned without an NVIDIA card",
        { { "0000:03:00.0", 0x744c, "on", "active", 0x1002 }, { "0000:04:00.0", 0x2684, "", "", 0x10df } }, {},
        Library::Missing, false, {}, {}, true, "" },
    { "a missing library is mentioned once there is a card", { { "0000:01:00.0", 0x2684, "on", "active" } }, {},
        Library::Missing, false, {}, {}, true, "NVIDIA graphics cards are not read: \"" },
};

int Degrees(int32_t raw)
{
    return raw == kNoThreshold ? 0 : raw >> 16;
}

}

class NvidiaCards : public ::testing::TestWithParam<Case> { };

TEST_P(NvidiaCards, AreFoundAndReadWithoutWakingOrHoldingThem)
{
    const Case& c = GetParam();
    SysfsFixture sysfs;
    for (const CardInSysfs& card : c.sysfs)
        sysfs.AddPciDevice(card.busId, card.vendor, card.device, kVga, card.control, card.status);
    // Another vendor's card, and an NVIDIA device that is no display (its audio function), are never cards.
    sysfs.AddPciDevice("0000:01:00.1", kNvidia, 0x22ba, 0x040300);
    if (c.pciIds) {
        sysfs.Write("usr/share/misc/pci.ids",
            "# List of PCI ID's\n10de  NVIDIA Corporation\n\t2684  AD102 [GeForce RTX 4090]\n"
            "\t\t10de 167c  GeForce RTX 4090 Founders Edition\n\t28e0  AD107M [GeForce RTX 4060 Max-Q / Mobile]\n"
            "10df  Emulex Corporation\n\t28e0  Not a graphics card\n");
    }
    FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
    NvmlStandIn standIn;
    standIn.SetCards(c.nvml);
    std::string library = c.library == Library::Whole ? NvmlStandIn::Library()
        : c.library == Library::Lacking               ? NvmlStandIn::LackingLibrary()
                                                      : sysfs.Path("no-such-libnvidia-ml.so.1");
    auto session = std::make_shared<NvmlSession>(library);

    testing::internal::CaptureStderr();
    std::vector<SensorDescription> found = SensorDiscovery::Discover(false, session);
    bool releasedEachTime = standIn.Calls().empty() || standIn.Calls().back() == "shutdown 0";
    std::vector<SourceReading> readings(found.size());
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < found.size(); ++i) {
            readings[i] = found[i].reader->Read();
            releasedEachTime = releasedEachTime && (standIn.Calls().empty() || standIn.Calls().back() == "shutdown 0");
        }
    }
    std::string message = testing::internal::GetCapturedStderr();

    SensorKeyMap keys;
    std::vector<SensorIdentity> identities = keys.Assign(found, {});
    std::vector<Sensor> sensors;
    for (size_t i = 0; i < found.size(); ++i) {
        sensors.push_back({ found[i].key, identities[i].name, Degrees(found[i].highThreshold),
            Degrees(found[i].critThreshold), readings[i].status, readings[i].raw >> 16 });
        EXPECT_EQ(readings[i].raw, readings[i].IsValid() ? Fixed16(readings[i].raw >> 16) : 0);
        EXPECT_EQ(found[i].devicePath, "/sys/devices/pci0000:00/" + found[i].key);
    }
    EXPECT_EQ(sensors, c.expected);
    for (const std::string& busId : c.untouched)
        EXPECT_EQ(standIn.CallsTouching(busId), 0) << busId;
    EXPECT_EQ(releasedEachTime, c.releasedEachTime);
    if (c.message.empty()) {
        EXPECT_EQ(message, "");
    } else {
        size_t at = message.find(c.message);
        EXPECT_NE(at, std::string::npos) << message;
        EXPECT_EQ(message.find(c.message, at + 1), std::string::npos) << "said more than once: " << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NvidiaCards, ::testing::ValuesIn(kCases), [](const ::testing::TestParamInfo<Case>& info) {
        std::string name;
        for (const char* c = info.param.name; *c != '\0'; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });
