#include "util/SensorRange.h"
#include "framework/LException.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/prefs/SettingsFixture.h"

#include <tuple>

class SensorRange : public SettingsTest {
protected:
    // The range over the sensors numbered (from 1; 0 for a null entry), and the code of the error thrown.
    std::tuple<int32_t, int32_t, int32_t> Range(const std::vector<int>& indices)
    {
        TArray<TemperatureSensor*> list;
        for (int index : indices)
            list.AddItem(index == 0 ? nullptr : (*SensorMaster::Get()->GetSensorArray())[index]);
        int32_t low = -999;
        int32_t high = -999;
        int32_t error = ErrorOf([&] { GetMinMaxTemperaturesAsCelcius(list, low, high); });
        return { low, high, error };
    }
};

TEST_F(SensorRange, SpansTheLowestMinimumAndHighestMaximum)
{
    // Sensors A from 40 to 45, B from 30 to 35, C from 20 to 50 and a hot spot D from 60 to 110, above the
    // 100 C that old chips stopped at.
    auto entries = InstallMachine({ { "A", 40 }, { "B", 30 }, { "C", 50 }, { "D", 60 } });
    const double next[] = { 45, 35, 20, 110 };
    for (size_t i = 0; i < 4; ++i) {
        TemperatureSensor* sensor = (*SensorMaster::Get()->GetSensorArray())[i + 1]; // discovery reads first
        platform->Registry().SetProperty(entries[i], "current-value", FixturePlatform::Fixed16(next[i]));
        sensor->CreateNewEvent();
    }

    EXPECT_EQ(Range({}), std::make_tuple(0, 0, 0));
    EXPECT_EQ(Range({ 1 }), std::make_tuple(40, 45, 0));
    EXPECT_EQ(Range({ 1, 2 }), std::make_tuple(30, 45, 0));
    EXPECT_EQ(Range({ 2, 1, 3 }), std::make_tuple(20, 50, 0));
    EXPECT_EQ(Range({ 3, 3 }), std::make_tuple(20, 50, 0));
    EXPECT_EQ(Range({ 1, 4 }), std::make_tuple(40, 110, 0));
    EXPECT_EQ(Range({ 2, 0, 3 }), std::make_tuple(30, 35, err_NilPointer)) << "a null entry keeps what was found";
}
