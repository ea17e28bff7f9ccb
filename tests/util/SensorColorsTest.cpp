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
    // The colours drawn after choosing the sensor index: the port's pen, a context's fill and stroke.
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
    std::vector<RGBColor> seen(12); // the colours a first run stores
    for (int32_t position = 0; position < 12; ++position) {
        prefs->GetSensorColor(position, seen[static_cast<size_t>(position)]);
        prefs->SetSensorColor(position, RGBColor { static_cast<uint16_t>(position * 0x1500), 0x4000, 0xFFFF });
    }
    EXPECT_EQ(Painted(1), std::vector<QRgb>(3, Rgb(RGBColor { 0, 0x4000, 0xFFFF })));
    EXPECT_EQ(Painted(12), std::vector<QRgb>(3, Rgb(RGBColor { 11 * 0x1500, 0x4000, 0xFFFF })));
    prefs->SetSensorColor(2, RGBColor { 0xFFFF, 0, 0 });
    EXPECT_EQ(Painted(3), std::vector<QRgb>(3, qRgb(255, 0, 0))) << "a changed colour counts at the next call";

    // From 13 on a fixed extension, every colour its own and none of the twelve a first run stores.
    for (int32_t index : { 13, 14, 28, 29, 40, 640, INT32_MAX }) {
        EXPECT_EQ(GetSensorIndexColor(index), ExtendedSensorColor(index)) << "index " << index;
        EXPECT_EQ(Painted(index), std::vector<QRgb>(3, Rgb(ExtendedSensorColor(index)))) << "index " << index;
    }
    for (int32_t index = 13; index <= 640; ++index) {
        RGBColor colour = ExtendedSensorColor(index);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), colour), 0) << "index " << index;
        seen.push_back(colour);
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
