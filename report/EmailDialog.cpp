#include "report/EmailDialog.h"

#include "compare/ComparisonMaster.h"
#include "framework/LPushButton.h"
#include "framework/USound.h"
#include "platform/Platform.h"
#include "report/ProductAddresses.h"
#include "report/ReportResources.h"
#include "report/TemperatureRecord.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/SharedUtils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr PaneIDT kNoMailProgramNote = FourCC("NoMl");

}

EmailDialog::EmailDialog(const LPaneEntry& layout)
    : ReportDialog(layout)
{
}

void EmailDialog::FinishCreateSelf()
{
    auto* prepare = FindPane<LPushButton>(msg_PrepareRecord);
    auto* decline = FindPane<LPushButton>(msg_DeclineRecord);
    prepare->AddListener(this);
    decline->AddListener(this);
    if (!Platform::Launcher().HasHandlerFor("mailto")) {
        prepare->Disable();
        if (LPane* note = FindPaneByID(kNoMailProgramNote))
            note->Show();
    }
    ReportDialog::FinishCreateSelf();
}

void EmailDialog::ListenToMessage(MessageT message, void* parameter)
{
    switch (message) {
    case msg_PrepareRecord:
        if (!IsClosing())
            PrepareMessage();
        CloseSoon();
        break;
    case msg_DeclineRecord:
        CloseSoon();
        break;
    default:
        ReportDialog::ListenToMessage(message, parameter);
        break;
    }
}

std::string EmailDialog::ComposeMessage()
{
    TemperatureRecord record;
    record.address = RecordAddress();
    record.version = UResources::GetIndString(kKelvaraStrings, kVersionTextItem);

    // The model identifier becomes the name that the comparison database knows it by, when it does.
    Str255 model {};
    SharedUtils_GetMacName(&model);
    char label[256] {};
    std::string identifier = Str255ToString(model);
    std::memcpy(label, identifier.data(), std::min(identifier.size(), sizeof label - 1));
    ComparisonMaster::Get()->MatchSystemID(label);
    record.machine = label;

    record.processors = SharedUtils_ProcessorCount();
    record.speedMHz = static_cast<int16_t>(Platform::Machine().MaximumProcessorSpeedMHz());

    SensorArray* sensors = ThrowIfNil_(SensorMaster::Get()->GetSensorArray());
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_((*sensors)[i]);
        // A sensor that never gave a reading has no range to tell of.
        if (!sensor->HasRecordedRange())
            continue;
        char name[256] {};
        sensor->GetSensorName(name, sizeof name);
        record.sensors.push_back(RecordedSensor { name, sensor->GetSensorType(),
            sensor->ConvertRawToFahrenheit(sensor->GetRawMinimumReading()),
            sensor->ConvertRawToFahrenheit(sensor->GetRawMaximumReading()),
            static_cast<int32_t>(sensor->GetLTTempArray()->GetCount()) });
    }
    return ComposeTemperatureRecord(record);
}

void EmailDialog::PrepareMessage()
{
    if (!Platform::Launcher().LaunchURL(ComposeMessage()))
        SysBeep(10);
}
