#include "util/SensorColors.h"
#include "framework/CGContext.h"
#include "framework/LException.h"
#include "framework/QDPort.h"
#include "prefs/Preferences.h"
#include "tests/prefs/SettingsFixture.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

class SensorColors : public SettingsTest {
protected:
    // The colours drawn after choosing the sensor index: by the current port's pen, and by filling and by
    // stroking in a context.
    std::vector<QRgb> Painted(int32_t sensorIndex)
    {
        QImage image(24, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QDPort port(painter);
        QDPort* previous = QDPort::SetPort(&port);
        CGContext context(painter, 8);
        SwitchColor(sensorIndex);
        port.PaintRect(Rect { 0, 0, 8, 8 });
        SwitchContextFillColor(&context, sensorIndex);
        context.FillRect(CGRectMake(8, 0, 8, 8));
        SwitchContextStrokeColor(&context, sensorIndex);
        context.SetLineWidth(4);
        context.MoveToPoint(16, 4);
        context.AddLineToPoint(24, 4);
        context.StrokePath();
        QDPort::SetPort(previous);
        painter.end();
        return { image.pixel(4, 4), image.pixel(12, 4), image.pixel(20, 4) };
    }
    static QRgb Rgb(const RGBColor& color) { return QColor::fromRgba64(color.red, color.green, color.blue).rgb(); }
};

TEST_F(SensorColors, IndicesOneToTwelveDrawInTheStoredColoursAndLaterOnesInTheExtension)
{
    Preferences* prefs = Preferences::Get();
    std::vector<RGBColor> stored;
    for (int32_t position = 0; position < 12; ++position) {
        RGBColor colour;
        prefs->GetSensorColor(position, colour);
        stored.push_back(colour);
    }
    for (int32_t position = 0; position < 12; ++position)
        prefs->SetSensorColor(position, RGBColor { static_cast<uint16_t>(position * 0x1500), 0x4000, 0xFFFF });
    for (auto [index, position] : std::initializer_list<std::pair<int32_t, int32_t>> { { 1, 0 }, { 12, 11 } }) {
        RGBColor colour;
        prefs->GetSensorColor(position, colour);
        EXPECT_EQ(Painted(index), std::vector<QRgb>(3, Rgb(colour))) << "index " << index;
    }
    prefs->SetSensorColor(2, RGBColor { 0xFFFF, 0, 0 });
    EXPECT_EQ(Painted(3), std::vector<QRgb>(3, qRgb(255, 0, 0))) << "a changed colour counts at the next call";

    // From 13 on, a fixed extension: every colour its own, none of the twelve a first run stores, whatever
    // the stored ones are now. Far beyond any machine's count, they still differ.
    std::vector<RGBColor> extension;
    for (int32_t index : { 13, 14, 28, 29, 40, 640, INT32_MAX }) {
        RGBColor colour = GetSensorIndexColor(index);
        EXPECT_EQ(Painted(index), std::vector<QRgb>(3, Rgb(colour))) << "index " << index;
        EXPECT_EQ(colour, ExtendedSensorColor(index)) << "index " << index;
    }
    for (int32_t index = 13; index <= 640; ++index)
        extension.push_back(ExtendedSensorColor(index));
    for (size_t i = 0; i < extension.size(); ++i) {
        EXPECT_EQ(std::count(stored.begin(), stored.end(), extension[i]), 0) << "index " << i + 13;
        EXPECT_EQ(std::count(extension.begin() + static_cast<ptrdiff_t>(i) + 1, extension.end(), extension[i]), 0)
            << "index " << i + 13;
    }
}

TEST_F(SensorColors, IndicesBelowOneThrowAsrtAndChangeNoColour)
{
    QImage image(2, 2, QImage::Format_RGB32);
    QPainter painter(&image);
    QDPort port(painter);
    QDPort* previous = QDPort::SetPort(&port);
    port.RGBForeColor(RGBColor { 1, 2, 3 });
    CGContext context(painter, 2);
    for (int32_t index : { 0, -1, INT32_MIN }) {
        EXPECT_EQ(ErrorOf([&] { SwitchColor(index); }), err_AssertionFailed) << index;
        EXPECT_EQ(ErrorOf([&] { SwitchContextStrokeColor(&context, index); }), err_AssertionFailed) << index;
        EXPECT_EQ(ErrorOf([&] { SwitchContextFillColor(&context, index); }), err_AssertionFailed) << index;
    }
    EXPECT_EQ(port.GetForeColor(), (RGBColor { 1, 2, 3 }));
    QDPort::SetPort(nullptr);
    EXPECT_EQ(ErrorOf([] { SwitchColor(1); }), err_NilPointer) << "no current port";
    QDPort::SetPort(previous);
}
