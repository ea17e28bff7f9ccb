#include "util/SensorRange.h"
#include "framework/LException.h"
#include "sensors/TemperatureSensor.h"
#include "tests/prefs/SettingsFixture.h"

class SensorRange : public SettingsTest {
protected:
    std::pair<int32_t, int32_t> Range(const std::vector<TemperatureSensor*>& sensors)
    {
        TArray<TemperatureSensor*> list;
        for (TemperatureSensor* sensor : sensors)
            list.AddItem(sensor);
        int32_t low = -999;
        int32_t high = -999;
        GetMinMaxTemperaturesAsCelcius(list, low, high);
        return { low, high };
    }
};

TEST_F(SensorRange, SpansTheLowestMinimumAndHighestMaximum)
{
    InstallMachine({ { "A", 40 }, { "B", 30 }, { "C", 50 } });
    Sample(1, 45); // A: 40 to 45
    Sample(2, 35); // B: 30 to 35
    Sample(3, 20); // C: 20 to 50
    TemperatureSensor* a = SensorAt(1);
    TemperatureSensor* b = SensorAt(2);
    TemperatureSensor* c = SensorAt(3);

    EXPECT_EQ(Range({}), std::make_pair(0, 0));
    EXPECT_EQ(Range({ a }), std::make_pair(40, 45));
    EXPECT_EQ(Range({ a, b }), std::make_pair(30, 45));
    EXPECT_EQ(Range({ b, a, c }), std::make_pair(20, 50));
    EXPECT_EQ(Range({ c, c }), std::make_pair(20, 50));
}

TEST_F(SensorRange, ANullEntryThrowsNilPAndKeepsWhatWasFound)
{
    InstallMachine({ { "A", 40 } });
    TArray<TemperatureSensor*> list;
    list.AddItem(SensorAt(1));
    list.AddItem(nullptr);
    int32_t low = 0;
    int32_t high = 0;
    try {
        GetMinMaxTemperaturesAsCelcius(list, low, high);
        ADD_FAILURE();
    } catch (const LException& error) {
        EXPECT_EQ(error.GetErrorCode(), err_NilPointer);
    }
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(40, 40));
}
