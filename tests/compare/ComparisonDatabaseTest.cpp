#include "compare/ComparisonMaster.h"
#include "compare/ComparisonSensor.h"
#include "compare/ComparisonSystem.h"
#include "framework/LException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Tokens = std::vector<const char*>;
using Points = std::vector<std::pair<int32_t, int32_t>>;

ComparisonSystem* Entry(int16_t n)
{
    return (*ComparisonMaster::Get()->GetSystemArray())[n];
}

// An entry's name, identifier and credits.
std::tuple<std::string, std::string, std::string> Texts(const ComparisonSystem* system)
{
    char name[ComparisonSystem::kNameSize];
    char id[ComparisonSystem::kIDSize];
    std::vector<char> credits(ComparisonSystem::kCreditsSize);
    return { system->GetSystemName(name), system->GetSystemID(id), system->GetSystemCredits(credits.data()) };
}

std::string Name(const ComparisonSensor* sensor)
{
    char name[ComparisonSensor::kNameSize];
    return sensor->GetSensorName(name);
}

Points DataPoints(const ComparisonSensor* sensor)
{
    Points points;
    for (int32_t k = 1; k <= sensor->GetDataCount(); ++k) {
        int32_t minimum = -999;
        int32_t maximum = -999;
        sensor->GetTempC(k, minimum, maximum);
        points.emplace_back(minimum, maximum);
    }
    return points;
}

// The extremes of an entry (from GetSystemMinMaxC) or of a sensor (GetSensorMinMaxC).
template <typename Item, typename Get> std::pair<int32_t, int32_t> Extremes(const Item* item, Get get)
{
    std::pair<int32_t, int32_t> extremes;
    (item->*get)(extremes.first, extremes.second);
    return extremes;
}

int32_t ErrorCode(const Tokens& tokens)
{
    try {
        ComparisonSystem system(tokens.data());
    } catch (const LException& failure) {
        return failure.GetErrorCode();
    }
    return 0;
}

// The database as the machines define it: per entry its name, identifier, speed and sensors with their
// number of measurements; an entry without a name is a divider.
struct TableRow {
    const char* name;
    const char* id;
    int32_t speed;
    std::vector<std::pair<const char*, int32_t>> sensors;
};

std::vector<std::pair<const char*, int32_t>> Each(std::vector<const char*> names, int32_t points)
{
    std::vector<std::pair<const char*, int32_t>> sensors;
    for (const char* name : names)
        sensors.emplace_back(name, points);
    return sensors;
}

const std::vector<const char*> kCPU { "CPU temperature" };
const std::vector<const char*> kIBookG4 { "PWR/MEMORY BOTTOMSIDE", "CPU BOTTOMSIDE", "GPU ON DIE", "BATTERY" };
const std::vector<const char*> kG4Dual { "CPU 1 temperature", "CPU 2 temperature" };
const std::vector<const char*> kG4MirrorDoor { "Core temperature", "Fan sensor temperature" };
const std::vector<const char*> kPowerBook12 { "HDD BOTTOMSIDE", "CPU TOPSIDE", "GPU ON DIE", "BATTERY" };
const std::vector<const char*> kPowerBook15 { "CPU/INTREPID BOTTOMSIDE", "CPU BOTTOMSIDE", "PWR SUPPLY BOTTOMSIDE",
    "BATTERY" };
const std::vector<const char*> kG5 { "DRIVE BAY", "BACKSIDE", "U3 HEATSINK", "MLB MAX6690 AMB", "MLB INLET AMB",
    "CPU A AD7417 AMB" };
const std::vector<const char*> kG5Dual { "DRIVE BAY", "BACKSIDE", "U3 HEATSINK", "MLB MAX6690 AMB", "MLB INLET AMB",
    "CPU A AD7417 AMB", "CPU B AD7417 AMB" };
const std::vector<const char*> kG5June { "DRIVE BAY", "BACKSIDE", "U3 HEATSINK", "CPU A AD7417 AMB",
    "CPU B AD7417 AMB" };
const std::vector<const char*> kIMacISight { "ODD Temp", "HD Temp", "NB Ambient", "NB Temp", "GPU Ambient", "GPU Temp",
    "CPU T-Diode", "Incoming Air Temp" };

const TableRow kDivider { nullptr, "", 0, {} };

const std::vector<TableRow> kTable {
    { "iBook G3, 300MHz", "PowerBook2,1", 300, Each(kCPU, 1) },
    { "iBook G3, 500MHz", "PowerBook4,1", 500, Each(kCPU, 1) },
    { "iBook G3, 600MHz", "PowerBook4,1", 600, Each(kCPU, 5) },
    kDivider,
    { "PowerBook G3, FireWire, 400MHz", "PowerBook3,1", 400, Each(kCPU, 7) },
    { "PowerBook G3, FireWire, 500MHz", "PowerBook3,1", 500, Each(kCPU, 4) },
    kDivider,
    { "iMac G3, 500MHz", "PowerMac4,1", 500, Each(kCPU, 1) },
    { "iMac G3, 700MHz", "PowerMac4,1", 700, Each(kCPU, 2) },
    kDivider,
    { "iBook G4, 12-in, 800MHz", "PowerBook6,3", 799, Each(kIBookG4, 51) },
    { "iBook G4, 14-in, 933MHz", "PowerBook6,3", 933, Each(kIBookG4, 12) },
    { "iBook G4, 14-in, 1GHz", "PowerBook6,3", 999, Each(kIBookG4, 10) },
    { "iBook G4, 1GHz (April 2004)", "PowerBook6,5", 1066, Each(kIBookG4, 6) },
    { "iBook G4, 1.2GHz (April 2004)", "PowerBook6,5", 1199, Each(kIBookG4, 20) },
    { "iBook G4, 1.3GHz (June 2004)", "PowerBook6,5", 1333, Each(kIBookG4, 9) },
    kDivider,
    { "Power Mac G4 Cube, 450MHz", "PowerMac5,1", 450, Each(kCPU, 11) },
    { "Power Mac G4 Cube, 500MHz", "PowerMac5,1", 500, Each(kCPU, 3) },
    kDivider,
    { "Power Mac G4, AGP, 400MHz", "PowerMac3,1", 400, Each(kCPU, 3) },
    { "Power Mac G4, AGP, 450MHz", "PowerMac3,1", 450, Each(kCPU, 4) },
    { "Power Mac G4, Gigabit, Dual 450MHz", "PowerMac3,3", 450, Each(kG4Dual, 6) },
    { "Power Mac G4, AGP, 500MHz", "PowerMac3,1", 500, Each(kCPU, 6) },
    { "Power Mac G4, Gigabit, Dual 500MHz", "PowerMac3,3", 500, Each(kG4Dual, 9) },
    { "Power Mac G4, Mirror Door, Dual 867MHz", "PowerMac3,6", 867, Each(kG4MirrorDoor, 20) },
    { "Power Mac G4, FW800, 1.0GHz", "PowerMac3,6", 999, Each(kG4MirrorDoor, 6) },
    { "Power Mac G4, Mirror Door, Dual 1.0GHz", "PowerMac3,6", 999, Each(kG4MirrorDoor, 30) },
    { "Power Mac G4, Mirror Door, 1.25GHz", "PowerMac3,6", 1249, Each(kG4MirrorDoor, 10) },
    { "Power Mac G4, Mirror Door, Dual 1.25GHz", "PowerMac3,6", 1249, Each(kG4MirrorDoor, 30) },
    { "Power Mac G4, FW800, Dual 1.42GHz", "PowerMac3,6", 1416, Each(kG4MirrorDoor, 15) },
    kDivider,
    { "PowerBook G4, 12-in, 867MHz", "PowerBook6,1", 867, Each({ "GPU TOPSIDE", "CPU BOTTOMSIDE" }, 91) },
    { "PowerBook G4, 12-in DVI, 1.0GHz", "PowerBook6,2", 999, Each(kPowerBook12, 70) },
    { "PowerBook G4, 12-in, 1.333GHz", "PowerBook6,4", 1333, Each(kPowerBook12, 40) },
    { "PowerBook G4, 12-in, 1.5GHz", "PowerBook6,8", 1499, Each(kPowerBook12, 15) },
    { "PowerBook G4, 15-in (Al), 1.0GHz", "PowerBook5,2", 999, Each(kPowerBook15, 23) },
    { "PowerBook G4, 15-in (Al), 1.25GHz", "PowerBook5,2", 1249, Each(kPowerBook15, 130) },
    { "PowerBook G4, 15-in (Al), 1.33GHz", "PowerBook5,4", 1333, Each(kPowerBook15, 13) },
    { "PowerBook G4, 15-in (Al), 1.5GHz", "PowerBook5,4", 1499, Each(kPowerBook15, 55) },
    { "PowerBook G4, 15-in (Al), 1.67GHz", "PowerBook5,6", 1666,
        Each({ "CPU/INTREPID BOTTOMSIDE", "CPU BOTTOMSIDE", "PWR SUPPLY BOTTOMSIDE", "TRACK PAD" }, 5) },
    { "PowerBook G4, 17-in, 1.0GHz", "PowerBook5,1", 999,
        Each({ "GPU BOTTOMSIDE", "PWR SUPPLY BOTTOMSIDE", "CPU BOTTOMSIDE" }, 55) },
    { "PowerBook G4, 17-in, 1.33GHz", "PowerBook5,3", 1333, Each(kPowerBook15, 49) },
    { "PowerBook G4, 17-in, 1.5GHz", "PowerBook5,5", 1499, Each(kPowerBook15, 19) },
    kDivider,
    { "Power Mac G5, 1.6GHz", "PowerMac7,2", 1600, Each(kG5, 28) },
    { "Power Mac G5, 1.8GHz", "PowerMac7,2", 1800, Each(kG5, 55) },
    { "Power Mac G5, 1.8GHz (OCT 2004)", "PowerMac9,1", 1800, Each({ "CPU T-Diode", "DRIVE BAY" }, 1) },
    { "Power Mac G5, Dual 1.8GHz", "PowerMac7,2", 1800, Each(kG5Dual, 87) },
    { "Power Mac G5, Dual 1.8GHz (June 2004)", "PowerMac7,3", 1800, Each(kG5Dual, 27) },
    { "Power Mac G5, Dual 2.0GHz", "PowerMac7,2", 2000, Each(kG5Dual, 254) },
    { "Power Mac G5, Dual 2.0GHz (June 2004)", "PowerMac7,3", 2000, Each(kG5June, 38) },
    { "Power Mac G5, Dual 2.3GHz", "PowerMac7,3", 2300, Each(kG5June, 1) },
    { "Power Mac G5, Dual 2.5GHz (June 2004)", "PowerMac7,3", 2500, Each(kG5June, 34) },
    { "Power Mac G5, Dual 2.7GHz", "PowerMac7,3", 2700, Each(kG5June, 11) },
    { "Power Mac G5, Quad 2.5GHz", "PowerMac11,2", 2500,
        Each({ "DRIVE BAY", "MLB INLET AMB", "BACKSIDE", "KODIAK DIODE", "TUNNEL", "TUNNEL HEATSINK", "gpu-diode",
                 "CPU A0 DIODE TEMP", "CPU A1 DIODE TEMP", "CPU B0 DIODE TEMP", "CPU B1 DIODE TEMP" },
            1) },
    kDivider,
    { "Xserve G4, 1GHz", "RackMac1,1", 1000, Each(kG4MirrorDoor, 1) },
    kDivider,
    { "iMac G5, 1.6GHz", "PowerMac8,1", 1600, Each({ "CPU T-Diode", "Hard drive" }, 5) },
    { "iMac G5, 1.8GHz", "PowerMac8,1", 1800, { { "CPU T-Diode", 22 }, { "Hard drive", 20 } } },
    { "iMac G5, 1.9GHz (iSight)", "PowerMac12,1", 1899, Each(kIMacISight, 1) },
    { "iMac G5, 2.0GHz", "PowerMac8,1", 2000, Each({ "CPU T-Diode", "Hard drive" }, 30) },
    { "iMac G5, 2.1GHz (iSight)", "PowerMac12,1", 2100, Each(kIMacISight, 2) },
    kDivider,
    { "Mac Pro Quad 3.0GHz", "MacPro1,1", 3000, Each({ "Thermal Sensor 1", "Thermal Sensor 2" }, 1) },
};

}

TEST(ComparisonDatabase, EveryEntryHasTheModelsNamesAndMeasurementCounts)
{
    ComparisonMaster* master = ComparisonMaster::Get();
    ASSERT_EQ(master->GetSystemCount(), 66);
    ASSERT_EQ(kTable.size(), 66u);
    int32_t sensors = 0;
    int32_t points = 0;
    int32_t inverted = 0;
    for (int16_t n = 1; n <= 66; ++n) {
        const TableRow& row = kTable[static_cast<size_t>(n - 1)];
        ComparisonSystem* system = Entry(n);
        SCOPED_TRACE("entry " + std::to_string(n));
        ASSERT_NE(system, nullptr);
        // Every model but the two without credits carries the one credit of the reference data.
        bool credited = row.name != nullptr && n != 48 && n != 66;
        EXPECT_EQ(Texts(system),
            std::make_tuple(
                row.name != nullptr ? row.name : "SYSTEM_DIVIDER", row.id, credited ? "Kelvara reference data." : ""));
        EXPECT_EQ(system->IsDivider(), row.name == nullptr);
        EXPECT_EQ(system->GetSystemSpeed(), row.speed);
        if (system->IsDivider()) {
            EXPECT_EQ(Extremes(system, &ComparisonSystem::GetSystemMinMaxC), std::make_pair(100, 0));
        }
        ComparisonSensorArray* array = system->GetSensorArray();
        ASSERT_EQ(array->GetCount(), static_cast<int32_t>(row.sensors.size()));
        for (ArrayIndexT i = 1; i <= array->GetCount(); ++i) {
            const ComparisonSensor* sensor = (*array)[i];
            const auto& [name, count] = row.sensors[static_cast<size_t>(i - 1)];
            EXPECT_EQ(Name(sensor), name);
            EXPECT_EQ(sensor->GetDataCount(), count) << name;
            EXPECT_EQ(sensor->GetElementsAdded(), 2 * count + 3) << name;
            // The readings lie within 24..176 degrees Fahrenheit (minima) and 32..262 (maxima).
            for (auto [minimum, maximum] : DataPoints(sensor)) {
                EXPECT_TRUE(minimum >= -4 && minimum <= 80) << name << " " << minimum;
                EXPECT_TRUE(maximum >= 0 && maximum <= 127) << name << " " << maximum;
                inverted += maximum < minimum;
            }
            ++sensors;
            points += count;
        }
    }
    EXPECT_EQ(sensors, 189);
    EXPECT_EQ(points, 6402);
    // As in measured data, a few submissions have their maximum below their minimum.
    EXPECT_GE(inverted, 5);
    EXPECT_LE(inverted, 60);
}

// The two entries without credits, whose tokens read differently from the others'.
TEST(ComparisonDatabase, TheTwoTellingEntriesReadAsTheirTokensSay)
{
    const struct {
        int16_t entry;
        std::vector<Points> sensors;
        std::pair<int32_t, int32_t> extremes;
    } cases[] = {
        { 48, { { { 21, 52 } }, { { 16, 30 } } }, { 16, 52 } }, // "71.0"/"127.0" and "62.0"/"86.0".
        { 66, { { { 26, 47 } }, { { 28, 52 } } }, { 26, 52 } }, // Bare integers: "80"/"118.0" and "84"/"127.0".
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.entry);
        ComparisonSystem* system = Entry(each.entry);
        for (ArrayIndexT i = 1; i <= 2; ++i)
            EXPECT_EQ(DataPoints((*system->GetSensorArray())[i]), each.sensors[i - 1]);
        EXPECT_EQ(Extremes(system, &ComparisonSystem::GetSystemMinMaxC), each.extremes);
    }
    EXPECT_EQ(Extremes((*Entry(48)->GetSensorArray())[1], &ComparisonSensor::GetSensorMinMaxC), std::make_pair(21, 52));
}

TEST(ComparisonDatabase, ModelIdentifiersBecomeTheFirstModelOfThatIdentifier)
{
    const struct {
        const char* why;
        const char* id;
        const char* expected;
    } cases[] = {
        { "entries 46, 47, 49 and 51 share it", "PowerMac7,2", "Power Mac G5, 1.6GHz" },
        { "the last entry", "MacPro1,1", "Mac Pro Quad 3.0GHz" },
        { "speed plays no part", "PowerMac7,3", "Power Mac G5, Dual 1.8GHz (June 2004)" },
        { "unknown", "PowerMac99,9", "PowerMac99,9" },
        { "case counts", "powermac7,2", "powermac7,2" },
        { "whole identifiers only", "PowerMac7", "PowerMac7" },
        { "not even a divider's empty identifier matches", "", "" },
    };
    for (const auto& each : cases) {
        char buffer[255];
        std::memset(buffer, 'x', sizeof buffer);
        std::strcpy(buffer, each.id);
        char before[255];
        std::memcpy(before, buffer, sizeof buffer);
        ComparisonMaster::Get()->MatchSystemID(buffer);
        EXPECT_STREQ(buffer, each.expected) << each.why;
        if (std::strcmp(each.id, each.expected) == 0) {
            EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0) << each.why << ": the buffer is left as it is";
        }
    }
}

TEST(ComparisonDatabase, ReadingsConvertToWholeCelsiusTruncatedTowardZero)
{
    const struct {
        const char* why;
        const char* token;
        int32_t celsius;
    } cases[] = {
        { "freezing", "32.0", 0 },
        { "23.9 is 23, not 24", "75.0", 23 },
        { "no decimal part", "80", 26 },
        { "exact", "104.0", 40 },
        { "exact", "149.0", 65 },
        { "the hottest reading", "262.0", 127 },
        { "-17.8 is -17", "0", -17 },
        { "where the scales meet", "-40.0", -40 },
        { "only the integer part counts: 98", "98.9", 36 },
    };
    for (const auto& each : cases) {
        Tokens tokens { "S", each.token, "DATAEND", each.token, "DATAEND" };
        ComparisonSensor sensor(tokens.data());
        EXPECT_EQ(DataPoints(&sensor), (Points { { each.celsius, each.celsius } })) << each.token << ": " << each.why;
    }
}

TEST(ComparisonDatabase, SensorExtremesStartFrom100And0)
{
    const struct {
        const char* name;
        Tokens tokens;
        std::pair<int32_t, int32_t> extremes;
    } cases[] = {
        { "ordinary", { "S", "104.0", "95", "DATAEND", "149.0", "131.0", "DATAEND" }, { 35, 65 } },
        { "minima all above 100 C", { "S", "230.0", "250.0", "DATAEND", "240.0", "262.0", "DATAEND" }, { 100, 127 } },
        { "maxima all below 0 C", { "S", "10.0", "DATAEND", "20.0", "DATAEND" }, { -12, 0 } },
        { "no data points", { "S", "DATAEND", "DATAEND" }, { 100, 0 } },
    };
    for (const auto& each : cases) {
        ComparisonSensor sensor(each.tokens.data());
        EXPECT_EQ(Extremes(&sensor, &ComparisonSensor::GetSensorMinMaxC), each.extremes) << each.name;
        EXPECT_EQ(sensor.GetElementsAdded(), static_cast<int32_t>(each.tokens.size())) << each.name;
    }
}

TEST(ComparisonDatabase, CreditTokensJoinIntoOneSentence)
{
    const struct {
        const char* name;
        Tokens credits;
        const char* text;
    } cases[] = {
        { "none", {}, "" },
        { "one", { "Ann Example" }, "Ann Example." },
        { "three", { "Ann Example", "bob", "example.org" }, "Ann Example, bob, example.org." },
        // Text that only resembles a reserved token is a credit like any other.
        { "near-reserved", { "end", "DATAEND " }, "end, DATAEND ." },
    };
    for (const auto& each : cases) {
        Tokens tokens { "Machine", "Model1,1", "1000.0", "CPU", "100.0", "DATAEND", "120.0", "DATAEND", "SENSOREND" };
        tokens.insert(tokens.end(), each.credits.begin(), each.credits.end());
        tokens.push_back("END");
        ComparisonSystem system(tokens.data());
        EXPECT_EQ(std::get<2>(Texts(&system)), each.text) << each.name;
        EXPECT_EQ(system.GetSensorArray()->GetCount(), 1) << each.name;
    }

    // Credits longer than a caller's field are cut where the field ends.
    const std::string credit(98, 'x');
    Tokens tokens { "Machine", "Model1,1", "1000.0", "CPU", "100.0", "DATAEND", "120.0", "DATAEND", "SENSOREND" };
    tokens.insert(tokens.end(), 400, credit.c_str());
    tokens.push_back("END");
    ComparisonSystem system(tokens.data());
    std::string text = std::get<2>(Texts(&system));
    EXPECT_EQ(text.size(), static_cast<size_t>(ComparisonSystem::kCreditsSize - 1));
    EXPECT_EQ(text.substr(0, 2 * credit.size() + 4), credit + ", " + credit + ", ");
}

TEST(ComparisonDatabase, ABrokenEntryFailsWithItsCode)
{
    const struct {
        const char* name;
        Tokens tokens;
        int32_t code;
    } cases[] = {
        { "speed 0", { "Machine", "Model1,1", "0.0", "SENSOREND", "END" }, err_NilPointer },
        { "speed without digits", { "Machine", "Model1,1", "fast", "SENSOREND", "END" }, err_NilPointer },
        { "more minima than maxima",
            { "Machine", "Model1,1", "1000.0", "CPU", "100.0", "101.0", "DATAEND", "120.0", "DATAEND", "SENSOREND",
                "END" },
            err_AssertionFailed },
        { "a later sensor short of minima",
            { "Machine", "Model1,1", "1000.0", "A", "100.0", "DATAEND", "120.0", "DATAEND", "B", "DATAEND", "120.0",
                "DATAEND", "SENSOREND", "END" },
            err_AssertionFailed },
        { "well formed", { "Machine", "Model1,1", "1.0", "SENSOREND", "END" }, 0 },
    };
    for (const auto& each : cases)
        EXPECT_EQ(ErrorCode(each.tokens), each.code) << each.name;
}
