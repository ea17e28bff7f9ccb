#include "compare/ComparisonMaster.h"
#include "compare/ComparisonSensor.h"
#include "compare/ComparisonSystem.h"
#include "framework/LException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Tokens = std::vector<const char*>;
using Points = std::vector<std::pair<int32_t, int32_t>>;
using Range = std::pair<int32_t, int32_t>;

ComparisonSystem* Entry(int16_t n)
{
    return (*ComparisonMaster::Get()->GetSystemArray())[n];
}

std::string Credits(const ComparisonSystem& system)
{
    std::vector<char> credits(ComparisonSystem::kCreditsSize);
    return system.GetSystemCredits(credits.data());
}

Points DataPoints(const ComparisonSensor* sensor)
{
    Points points;
    for (int32_t k = 1; k <= sensor->GetDataCount(); ++k) {
        int32_t minimum = -999, maximum = -999;
        sensor->GetTempC(k, minimum, maximum);
        points.emplace_back(minimum, maximum);
    }
    return points;
}

Range SystemRange(const ComparisonSystem* system)
{
    Range range;
    system->GetSystemMinMaxC(range.first, range.second);
    return range;
}

// A model with one sensor "CPU" and the given credit tokens.
Tokens Model(const Tokens& credits)
{
    Tokens tokens { "Machine", "Model1,1", "1000.0", "CPU", "100.0", "DATAEND", "120.0", "DATAEND", "SENSOREND" };
    tokens.insert(tokens.end(), credits.begin(), credits.end());
    tokens.push_back("END");
    return tokens;
}

}

// The whole database reads entry by entry: a token read too many or too few shifts every later entry.
TEST(ComparisonDatabase, EveryEntryReadsInFull)
{
    const std::vector<int16_t> dividers { 4, 7, 10, 17, 20, 32, 45, 57, 59, 65 };
    ASSERT_EQ(ComparisonMaster::Get()->GetSystemCount(), 66);
    int32_t sensors = 0, points = 0;
    for (int16_t n = 1; n <= 66; ++n) {
        SCOPED_TRACE(n);
        ComparisonSystem* system = Entry(n);
        const bool divider = std::count(dividers.begin(), dividers.end(), n) > 0;
        ASSERT_EQ(system->IsDivider(), divider);
        char name[ComparisonSystem::kNameSize];
        if (divider) {
            EXPECT_STREQ(system->GetSystemName(name), "SYSTEM_DIVIDER");
            EXPECT_EQ(SystemRange(system), Range(100, 0));
        }
        // Every model but the two telling ones carries the one credit of the reference data.
        EXPECT_EQ(Credits(*system), divider || n == 48 || n == 66 ? "" : "Kelvara reference data.");
        ComparisonSensorArray* array = system->GetSensorArray();
        for (ArrayIndexT i = 1; i <= array->GetCount(); ++i)
            points += (*array)[i]->GetDataCount();
        sensors += array->GetCount();
    }
    EXPECT_EQ(sensors, 189);
    EXPECT_EQ(points, 6402);
    // A model's extremes span all its sensors': entry 48 reads (21, 52) and (16, 30), entry 66 (26, 47) and
    // (28, 52).
    EXPECT_EQ(SystemRange(Entry(48)), Range(16, 52));
    EXPECT_EQ(SystemRange(Entry(66)), Range(26, 52));

    using Counts = std::vector<std::pair<const char*, int32_t>>;
    const std::tuple<int16_t, const char*, const char*, int32_t, Counts> rows[] = {
        { 11, "iBook G4, 12-in, 800MHz", "PowerBook6,3", 799,
            { { "PWR/MEMORY BOTTOMSIDE", 51 }, { "CPU BOTTOMSIDE", 51 }, { "GPU ON DIE", 51 }, { "BATTERY", 51 } } },
        { 48, "Power Mac G5, 1.8GHz (OCT 2004)", "PowerMac9,1", 1800, { { "CPU T-Diode", 1 }, { "DRIVE BAY", 1 } } },
        { 66, "Mac Pro Quad 3.0GHz", "MacPro1,1", 3000, { { "Thermal Sensor 1", 1 }, { "Thermal Sensor 2", 1 } } },
    };
    for (const auto& [entry, modelName, id, speed, sensorCounts] : rows) {
        SCOPED_TRACE(modelName);
        ComparisonSystem* system = Entry(entry);
        char name[ComparisonSystem::kNameSize], identifier[ComparisonSystem::kIDSize];
        EXPECT_STREQ(system->GetSystemName(name), modelName);
        EXPECT_STREQ(system->GetSystemID(identifier), id);
        EXPECT_EQ(system->GetSystemSpeed(), speed);
        ComparisonSensorArray* array = system->GetSensorArray();
        ASSERT_EQ(array->GetCount(), static_cast<int32_t>(sensorCounts.size()));
        for (ArrayIndexT i = 1; i <= array->GetCount(); ++i) {
            char sensorName[ComparisonSensor::kNameSize];
            EXPECT_STREQ((*array)[i]->GetSensorName(sensorName), sensorCounts[i - 1].first);
            EXPECT_EQ((*array)[i]->GetDataCount(), sensorCounts[i - 1].second);
        }
    }
}

TEST(ComparisonDatabase, ModelIdentifiersBecomeTheFirstModelOfThatIdentifier)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        { "entries 46, 47, 49 and 51 share it", "PowerMac7,2", "Power Mac G5, 1.6GHz" },
        { "the last entry", "MacPro1,1", "Mac Pro Quad 3.0GHz" },
        { "speed plays no part", "PowerMac7,3", "Power Mac G5, Dual 1.8GHz (June 2004)" },
        { "unknown", "PowerMac99,9", "PowerMac99,9" },
        { "case counts", "powermac7,2", "powermac7,2" },
        { "whole identifiers only", "PowerMac7", "PowerMac7" },
        { "not even a divider's empty identifier matches", "", "" },
    };
    for (auto [why, id, expected] : cases) {
        char buffer[255], before[255];
        std::memset(buffer, 'x', sizeof buffer);
        std::strcpy(buffer, id);
        std::memcpy(before, buffer, sizeof buffer);
        ComparisonMaster::Get()->MatchSystemID(buffer);
        EXPECT_STREQ(buffer, expected) << why;
        if (std::strcmp(id, expected) == 0) {
            EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0) << why << ": the buffer is left as it is";
        }
    }
}

// Fahrenheit tokens become whole degrees Celsius truncated toward zero; a sensor's extremes start from
// 100 and 0, so minima above 100 C and maxima below 0 C do not move them.
TEST(ComparisonDatabase, SensorsReadWholeCelsiusAndTheirExtremes)
{
    const std::tuple<const char*, Tokens, Points, Range> cases[] = {
        { "23.9 is 23, not 24", { "S", "32.0", "DATAEND", "75.0", "DATAEND" }, { { 0, 23 } }, { 0, 23 } },
        { "bare integer; exact", { "S", "80", "DATAEND", "104.0", "DATAEND" }, { { 26, 40 } }, { 26, 40 } },
        { "-17.8 is -17; the hottest", { "S", "0", "DATAEND", "262.0", "DATAEND" }, { { -17, 127 } }, { -17, 127 } },
        { "scales meet; 98 of 98.9", { "S", "-40.0", "DATAEND", "98.9", "DATAEND" }, { { -40, 36 } }, { -40, 36 } },
        { "two points", { "S", "104.0", "95", "DATAEND", "149.0", "131.0", "DATAEND" }, { { 40, 65 }, { 35, 55 } },
            { 35, 65 } },
        { "minima above 100 C", { "S", "230.0", "250.0", "DATAEND", "240.0", "262.0", "DATAEND" },
            { { 110, 115 }, { 121, 127 } }, { 100, 127 } },
        { "maxima below 0 C", { "S", "10.0", "DATAEND", "20.0", "DATAEND" }, { { -12, -6 } }, { -12, 0 } },
        { "no data points", { "S", "DATAEND", "DATAEND" }, {}, { 100, 0 } },
    };
    for (const auto& [name, tokens, points, range] : cases) {
        SCOPED_TRACE(name);
        ComparisonSensor sensor(tokens.data());
        EXPECT_EQ(DataPoints(&sensor), points);
        Range extremes;
        sensor.GetSensorMinMaxC(extremes.first, extremes.second);
        EXPECT_EQ(extremes, range);
        EXPECT_EQ(sensor.GetElementsAdded(), static_cast<int32_t>(tokens.size()));
    }
}

TEST(ComparisonDatabase, CreditTokensJoinIntoOneSentence)
{
    const std::pair<Tokens, const char*> cases[] = {
        { {}, "" }, { { "Ann Example" }, "Ann Example." },
        { { "Ann Example", "bob", "example.org" }, "Ann Example, bob, example.org." },
        { { "end", "DATAEND " }, "end, DATAEND ." }, // text that only resembles a reserved token is a credit
    };
    for (const auto& [credits, text] : cases) {
        ComparisonSystem system(Model(credits).data());
        EXPECT_EQ(Credits(system), text);
        EXPECT_EQ(system.GetSensorArray()->GetCount(), 1) << text;
    }

    // Credits longer than a caller's field are cut where the field ends.
    const std::string credit(98, 'x');
    std::string cut = Credits(ComparisonSystem(Model(Tokens(400, credit.c_str())).data()));
    EXPECT_EQ(cut.size(), static_cast<size_t>(ComparisonSystem::kCreditsSize - 1));
    EXPECT_EQ(cut.substr(0, 2 * credit.size() + 4), credit + ", " + credit + ", ");
}

TEST(ComparisonDatabase, ABrokenEntryFailsWithItsCode)
{
    const std::tuple<const char*, Tokens, int32_t> cases[] = {
        { "speed 0", { "Machine", "Model1,1", "0.0", "SENSOREND", "END" }, err_NilPointer },
        { "more minima than maxima",
            { "Machine", "Model1,1", "1000.0", "CPU", "100.0", "101.0", "DATAEND", "120.0", "DATAEND", "SENSOREND",
                "END" },
            err_AssertionFailed },
        { "well formed", { "Machine", "Model1,1", "1.0", "SENSOREND", "END" }, 0 },
    };
    for (const auto& [name, tokens, expected] : cases) {
        int32_t code = 0;
        try {
            ComparisonSystem system(tokens.data());
        } catch (const LException& failure) {
            code = failure.GetErrorCode();
        }
        EXPECT_EQ(code, expected) << name;
    }
}
