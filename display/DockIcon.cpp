#include "display/DockIcon.h"

#include "display/DockTile.h"
#include "display/TextFitting.h"
#include "framework/CGContext.h"
#include "framework/LException.h"
#include "prefs/Preferences.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/SensorRange.h"
#include "util/TemperatureUnits.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int16_t kGraphFormatPercent = 2;
constexpr int16_t kShortTermTimescale = 1;
constexpr int16_t kTextFormatTemperature = 1;

// The name and value baselines: one sensor in the middle, two one above the other.
constexpr int16_t kSingleBaseline = 80;
constexpr int16_t kUpperBaseline = 114;
constexpr int16_t kLowerBaseline = 40;
constexpr int16_t kValueDrop = 34;

// Graph geometry, in the tile's points with y upward.
constexpr int kAxisX = 36;
constexpr int kAxisY = 20;
constexpr int kAxisBottom = 15;
constexpr int kLabelRight = 35;
constexpr int kTimescaleRight = 124;
// 108 pixels from the horizontal axis at y = 20 up to the top edge.
constexpr int32_t kPlotHeight = 108;

// The tile's arithmetic is 32-bit and wraps; done in 64 bits and wrapped here, it cannot be undefined.
int32_t Wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t Divide(int32_t numerator, int32_t denominator)
{
    return denominator == -1 ? Wrap(-static_cast<int64_t>(numerator)) : numerator / denominator;
}

// A tile drawing is described by everything it shows, so that one that would show the same picture as the
// tile already does is left out.
void Describe(std::string& description, int32_t value)
{
    description.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void Describe(std::string& description, std::string_view text)
{
    Describe(description, static_cast<int32_t>(text.size()));
    description += text;
}

void Describe(std::string& description, const RGBColor& color)
{
    for (uint16_t channel : { color.red, color.green, color.blue })
        Describe(description, channel);
}

}

DockIcon* DockIcon::sInstance = nullptr;

DockIcon* DockIcon::Get()
{
    if (sInstance == nullptr)
        sInstance = ThrowIfNil_(new DockIcon);
    return sInstance;
}

void DockIcon::DeleteInstanceForTesting()
{
    delete sInstance;
    sInstance = nullptr;
}

DockIcon::DockIcon()
    : mSensors(12)
{
    Preferences::Get()->AddListener(this);
    SensorMaster::Get()->AddListener(this);
    UpdateIconSettings();
}

DockIcon::~DockIcon() = default;

void DockIcon::UpdateIconSettings()
{
    ClearSensors();
    Preferences* prefs = Preferences::Get();
    uint32_t type = prefs->GetDockIconType();
    if (type != kGraphIcon && type != kTextIcon)
        return;
    SensorNameList& names
        = *ThrowIfNil_(type == kGraphIcon ? prefs->GetDockGraphDisplayArray() : prefs->GetDockTextDisplayArray());
    SensorArray& sensors = *SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= names.GetCount(); ++i) {
        std::string wanted = Str255ToString(names[i]);
        for (ArrayIndexT k = 1; k <= sensors.GetCount(); ++k) {
            TemperatureSensor* sensor = ThrowIfNil_(sensors[k]);
            if (sensor->GetSensorName() == wanted) {
                AddSensor(sensor);
                break;
            }
        }
    }
}

void DockIcon::AddSensor(TemperatureSensor* sensor)
{
    mSensors.AddItem(sensor);
    mFollowsSamples = true;
}

void DockIcon::ClearSensors()
{
    while (!mSensors.IsEmpty()) {
        ThrowIfNil_(mSensors[1]);
        mSensors.RemoveItemsAt(1, 1);
    }
    mFollowsSamples = false;
}

void DockIcon::UpdateIcon()
{
    Preferences* prefs = Preferences::Get();
    uint32_t type = prefs->GetDockIconType();
    if (type == kGraphIcon) {
        DrawGraph(prefs->GetDockGraphTimescale() == kShortTermTimescale);
    } else if (type == kTextIcon) {
        DrawText();
    } else {
        RestoreApplicationDockTileImage();
        mFollowsSamples = false;
        UpdateTray();
        return;
    }
    UpdateTray();
    mFollowsSamples = true;
}

CGContext* DockIcon::BeginTileDrawing(const std::string& description)
{
    if (DockTile::Get()->Shows(description))
        return nullptr;
    CGContext* context = BeginCGContextForApplicationDockTile();
    if (context == nullptr)
        return nullptr;
    DockTile::Get()->DescribeDrawing(description);
    CGRect tile = CGRectMake(0, 0, kTileSize, kTileSize);
    context->ClearRect(tile);
    context->SetRGBFillColor(0.7, 0.7, 0.7, 0.9);
    context->FillRect(tile);
    context->StrokeRect(tile);
    return context;
}

void DockIcon::DrawText()
{
    struct Shown {
        TemperatureSensor* sensor;
        int16_t baseline;
    };
    Shown shown[2] = {};
    int shownCount = 0;
    ArrayIndexT count = mSensors.GetCount();
    if (count == 1) {
        shown[shownCount++] = { ThrowIfNil_(mSensors[1]), kSingleBaseline };
    } else if (count == 2) {
        shown[shownCount++] = { ThrowIfNil_(mSensors[1]), kUpperBaseline };
        shown[shownCount++] = { ThrowIfNil_(mSensors[2]), kLowerBaseline };
    } else if (count >= 3) {
        // The pair advances by one each tick: (1, 2), (2, 3), ..., (n, 1). A list that shrank under the
        // index starts the round again.
        if (mRotationIndex > count || mRotationIndex < 1)
            mRotationIndex = 1;
        shown[shownCount++] = { ThrowIfNil_(mSensors[mRotationIndex]), kUpperBaseline };
        if (++mRotationIndex > count)
            mRotationIndex = 1;
        shown[shownCount++] = { ThrowIfNil_(mSensors[mRotationIndex]), kLowerBaseline };
    }

    struct Text {
        int16_t baseline;
        int16_t sensorIndex;
        std::string name;
        std::string value;
    };
    std::vector<Text> texts;
    std::string description = "text,";
    bool asTemperature = Preferences::Get()->GetDockTextDisplayFormat() == kTextFormatTemperature;
    for (int i = 0; i < shownCount; ++i) {
        TemperatureSensor* sensor = shown[i].sensor;
        char value[kScaledTemperatureTextSize] = "";
        if (asTemperature)
            sensor->GetSensorTemperatureAsString(value);
        else
            sensor->GetSensorTemperatureAsPercent(value);
        Text& text
            = texts.emplace_back(Text { shown[i].baseline, sensor->GetSensorIndex(), sensor->GetShownName(), value });
        Describe(description, text.baseline);
        Describe(description, GetSensorIndexColor(text.sensorIndex));
        Describe(description, text.name);
        Describe(description, text.value);
    }
    CGContext* context = BeginTileDrawing(description);
    if (context == nullptr)
        return;
    for (const Text& text : texts)
        DrawTextPrimitive(context, text.baseline, text.sensorIndex, text.name.c_str(), text.value.c_str());
    EndCGContextForApplicationDockTile(context);
}

void DockIcon::DrawTextPrimitive(
    CGContext* context, int16_t baseline, int16_t sensorIndex, const char* name, const char* value)
{
    ThrowIfNil_(context);
    std::string shortName = ThrowIfNil_(name);
    context->SelectFont("Helvetica", 14);
    SwitchContextFillColor(context, sensorIndex);
    TruncText(kTileSize, shortName, *context);
    context->ShowTextAtPoint((kTileSize - TextWidth(*context, shortName)) / 2, baseline, shortName);

    // The value is not shortened: a value wider than the tile overflows both edges, centred.
    std::string_view valueText = ThrowIfNil_(value);
    context->SelectFont("Courier", 40);
    context->ShowTextAtPoint((kTileSize - TextWidth(*context, valueText)) / 2, baseline - kValueDrop, valueText);
}

DockGraphLabels DockIcon::MakeGraphLabels(int16_t format, int32_t lo, int32_t hi, bool shortTerm)
{
    DockGraphLabels labels;
    if (format == 1) {
        char text[kScaledTemperatureTextSize];
        FormatScaledTemperatureAsString(ConvertCToScale(lo), text);
        labels.bottom = text;
        FormatScaledTemperatureAsString(ConvertCToScale(hi), text);
        labels.top = text;
    } else {
        labels.bottom = "0%";
        labels.top = "100%";
    }
    labels.timescale = shortTerm ? "short term" : "Long term";
    return labels;
}

void DockIcon::DrawGraph(bool shortTerm)
{
    int32_t lo = 0;
    int32_t hi = 0;
    GetMinMaxTemperaturesAsCelcius(mSensors, lo, hi);
    int16_t format = Preferences::Get()->GetDockGraphDisplayFormat();
    DockGraphLabels labels = MakeGraphLabels(format, lo, hi, shortTerm);
    std::string description = "graph,";
    description.reserve(static_cast<size_t>(mSensors.GetCount()) * (kMaxGraphPoints + 5) * sizeof(int32_t) + 64);
    for (const std::string* label : { &labels.bottom, &labels.top, &labels.timescale })
        Describe(description, *label);

    // Each sensor's line: its index, then the heights of its points, the newest first.
    bool percent = format == kGraphFormatPercent;
    std::vector<std::vector<int32_t>> lines;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(mSensors[i]);
        const TempElementArray& history = *ThrowIfNil_(shortTerm ? sensor->GetSTTempArray() : sensor->GetLTTempArray());
        int32_t points = std::min(history.GetCount(), kMaxGraphPoints);
        std::vector<int32_t>& line = lines.emplace_back(std::vector<int32_t> { sensor->GetSensorIndex() });
        Describe(description, GetSensorIndexColor(sensor->GetSensorIndex()));
        Describe(description, points);
        for (int32_t j = 1; j <= points; ++j) {
            int32_t raw = ThrowIfNil_(history[j])->GetRawTemperature();
            int32_t v = 0;
            if (percent) {
                v = Wrap(static_cast<int64_t>(sensor->ConvertRawToPercent(raw)) * kPlotHeight);
            } else if (hi != lo) {
                int32_t scaled = Wrap((static_cast<int64_t>(sensor->ConvertRawToCelcius(raw)) - lo) * 100);
                v = Wrap(static_cast<int64_t>(Divide(scaled, Wrap(static_cast<int64_t>(hi) - lo))) * kPlotHeight);
            }
            line.push_back(v / 100 + kAxisY);
            Describe(description, line.back());
        }
    }
    CGContext* context = BeginTileDrawing(description);
    if (context == nullptr)
        return;
    context->SetLineWidth(1.0);

    context->BeginPath();
    context->MoveToPoint(kAxisX, kTileSize);
    context->AddLineToPoint(kAxisX, kAxisBottom);
    context->MoveToPoint(kAxisX, kAxisY);
    context->AddLineToPoint(kTileSize, kAxisY);
    context->StrokePath();

    context->SelectFont("Helvetica", 12);
    context->SetRGBFillColor(0, 0, 0.5, 1.0);
    context->ShowTextAtPoint(kLabelRight - TextWidth(*context, labels.bottom), 26, labels.bottom);
    context->ShowTextAtPoint(kLabelRight - TextWidth(*context, labels.top), 114, labels.top);
    context->ShowTextAtPoint(25, 6, "Now");
    context->ShowTextAtPoint(kTimescaleRight - TextWidth(*context, labels.timescale), 6, labels.timescale);

    for (const std::vector<int32_t>& line : lines) {
        SwitchContextStrokeColor(context, line[0]);
        context->BeginPath();
        for (size_t j = 1; j < line.size(); ++j) {
            CGFloat x = kAxisX + static_cast<CGFloat>(j);
            CGFloat y = line[j];
            if (j == 1)
                context->MoveToPoint(x, y);
            else
                context->AddLineToPoint(x, y);
        }
        context->StrokePath();
    }
    EndCGContextForApplicationDockTile(context);
}

void DockIcon::UpdateTray()
{
    DockTile* tile = DockTile::Get();
    std::vector<std::string> lines;
    TemperatureSensor* hottest = nullptr;
    double hottestCelsius = 0;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(mSensors[i]);
        char value[kScaledTemperatureTextSize] = "";
        sensor->GetSensorTemperatureAsString(value);
        lines.push_back(sensor->GetShownName() + ": " + value);
        // Sensors of different kinds keep their readings differently: they are compared in degrees.
        if (std::optional<int32_t> raw = sensor->GetCurrentReading()) {
            double celsius = ConvertRawToExactCelsius(sensor->GetSensorType(), *raw);
            if (hottest == nullptr || celsius > hottestCelsius) {
                hottest = sensor;
                hottestCelsius = celsius;
            }
        }
    }
    tile->SetTrayReadings(lines);
    if (mSensors.IsEmpty()) {
        tile->SetTrayPicture(std::nullopt);
        return;
    }
    TemperatureSensor* shown = hottest;
    if (Preferences::Get()->GetDockIconType() == kTextIcon) {
        mTrayRotationIndex = mTrayRotationIndex % mSensors.GetCount() + 1;
        shown = mSensors[mTrayRotationIndex];
    }
    std::string value;
    if (std::optional<int32_t> raw = shown != nullptr ? shown->GetCurrentReading() : std::nullopt)
        value = std::to_string(ConvertCToScale(shown->ConvertRawToCelcius(*raw)));

    bool atLimit = false;
    SensorArray& sensors = *SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= sensors.GetCount() && !atLimit; ++i) {
        TemperatureSensor* sensor = sensors[i];
        std::optional<int32_t> raw = sensor != nullptr ? sensor->GetCurrentReading() : std::nullopt;
        atLimit = raw && sensor->GetRawHighThreshold() != kNoThreshold && *raw >= sensor->GetRawHighThreshold();
    }
    tile->SetTrayPicture(TrayPicture(value, atLimit));
}

void DockIcon::ListenToMessage(MessageT message, void*)
{
    // The first readings come on worker threads just after start-up: even the application's icon gives the
    // tray its first values.
    if (message == msg_SamplesRecorded && (mFollowsSamples || !mShownReadings)) {
        mShownReadings = true;
        UpdateIcon();
        return;
    }
    // A sensor the tile was set to show may join only now, with its hardware.
    if (message != msg_PrefsChanged && message != msg_SensorsAdded)
        return;
    UpdateIconSettings();
    UpdateIcon();
}
