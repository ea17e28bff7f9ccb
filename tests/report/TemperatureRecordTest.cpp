#include "report/TemperatureRecord.h"

#include <gtest/gtest.h>

namespace {

struct RecordCase {
    std::string name;
    TemperatureRecord record;
    std::string text;
};

const std::string kStart = "mailto:records@kelvara.example?Subject=Kelvara Temperature Record&Body=Kelvara\n"
                           "My name is: <FILL IN FOR CREDITS>\n";

TemperatureRecord Machine(const std::string& label, uint32_t processors, int16_t speed,
    std::vector<RecordedSensor> sensors = { { "CPU T-Diode", 1, 95, 160, 300 } })
{
    return { "records@kelvara.example", "1.0.0", label, processors, speed, std::move(sensors) };
}

std::vector<RecordCase> RecordCases()
{
    const std::string diode = "Sensor:CPU T-Diode\n  Type:1\n  Min:95\n  Max:160\n  Samples:300\n";
    std::vector<RecordedSensor> forty;
    std::string fortyBlocks;
    for (int i = 1; i <= 40; ++i) {
        forty.push_back({ "nct6798 SYSTIN " + std::to_string(i), 1, 70 + i, 120 + i, 15000 });
        fortyBlocks += "Sensor:nct6798 SYSTIN " + std::to_string(i) + "\n  Type:1\n  Min:" + std::to_string(70 + i)
            + "\n  Max:" + std::to_string(120 + i) + "\n  Samples:15000\n";
    }
    return {
        { "ExampleMachine", Machine("iMac G5, 1.6GHz", 1, 2000),
            kStart + "Key:iMac G5, 1.6GHz_1_2000\nVersion:1.0.0\nMachine:iMac G5, 1.6GHz\nProcessors:1\nSpeed:2000\n"
                + diode + "ENDDATA" },
        { "UnknownModel", Machine("PowerMac99,1", 2, 2500),
            kStart + "Key:PowerMac99,1_2_2500\nVersion:1.0.0\nMachine:PowerMac99,1\nProcessors:2\nSpeed:2500\n" + diode
                + "ENDDATA" },
        { "SpeedBelowAThousand", Machine("PowerMac3,6", 1, 867),
            kStart + "Key:PowerMac3,6_1_867\nVersion:1.0.0\nMachine:PowerMac3,6\nProcessors:1\nSpeed:0867\n" + diode
                + "ENDDATA" },
        { "NoSensor", Machine("PowerMac8,1", 1, 2000, {}),
            kStart + "Key:PowerMac8,1_1_2000\nVersion:1.0.0\nMachine:PowerMac8,1\nProcessors:1\nSpeed:2000\nENDDATA" },
        // Far beyond the 1024 bytes a fixed message buffer would hold.
        { "FortySensors", Machine("Workstation", 32, 5200, forty),
            kStart + "Key:Workstation_32_5200\nVersion:1.0.0\nMachine:Workstation\nProcessors:32\nSpeed:5200\n"
                + fortyBlocks + "ENDDATA" },
    };
}

class TemperatureRecordText : public ::testing::TestWithParam<RecordCase> { };

}

TEST_P(TemperatureRecordText, IsTheRecordLineByLine)
{
    EXPECT_EQ(ComposeTemperatureRecord(GetParam().record), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Machines, TemperatureRecordText, ::testing::ValuesIn(RecordCases()),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return info.param.name; });
