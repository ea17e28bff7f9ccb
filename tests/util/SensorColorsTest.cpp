#include "util/SensorColors.h"
#include "framework/CGContext.h"
#include "framework/LException.h"
#include "framework/QDPort.h"
#include "prefs/Preferences.h"
#include "tests/prefs/SettingsFixture.h"

#include <QImage>
#include <QPainter>

class SensorColors : public SettingsTest {
protected:
    // The colour of a square painted by the given way of drawing after choosing the sensor index.
    enum Way { Pen, Fill, Stroke };
    QRgb Painted(Way way, int32_t sensorIndex)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QDPort port(painter);
        QDPort* previous = QDPort::SetPort(&port);
        CGContext context(painter, 8);
        if (way == Pen) {
            SwitchColor(sensorIndex);
            port.PaintRect(Rect { 0, 0, 8, 8 });
        } else if (way == Fill) {
            SwitchContextFillColor(&context, sensorIndex);
            context.FillRect(CGRectMake(0, 0, 8, 8));
        } else {
            SwitchContextStrokeColor(&context, sensorIndex);
            context.SetLineWidth(4);
            context.MoveToPoint(0, 4);
            context.AddLineToPoint(8, 4);
            context.StrokePath();
        }
        QDPort::SetPort(previous);
        painter.end();
        return image.pixel(4, 4);
    }
    static QRgb Rgb(const RGBColor& color) { return QColor::fromRgba64(color.red, color.green, color.blue).rgb(); }
};

TEST_F(SensorColors, EverySensorIndexFromOneDrawsInTheColourOfItsPositionModuloTwelve)
{
    Preferences* prefs = Preferences::Get();
    for (int32_t position = 0; position < 12; ++position)
        prefs->SetSensorColor(position, RGBColor { static_cast<uint16_t>(position * 0x1500), 0x4000, 0xFFFF });
    const struct {
        int32_t index;
        int32_t position;
    } cases[] = { { 1, 0 }, { 12, 11 }, { 13, 0 }, { 14, 1 }, { 24, 11 }, { INT32_MAX, (INT32_MAX - 1) % 12 } };
    for (const auto& each : cases) {
        RGBColor colour;
        prefs->GetSensorColor(each.position, colour);
        for (Way way : { Pen, Fill, Stroke })
            EXPECT_EQ(Painted(way, each.index), Rgb(colour)) << "index " << each.index << ", way " << way;
    }
    prefs->SetSensorColor(2, RGBColor { 0xFFFF, 0, 0 });
    EXPECT_EQ(Painted(Pen, 3), qRgb(255, 0, 0)) << "a changed colour counts at the next call";
}

TEST_F(SensorColors, IndicesBelowOneThrowAsrtAndChangeNoColour)
{
    auto errorOf = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const LException& error) {
            return error.GetErrorCode();
        }
        return 0;
    };
    QImage image(2, 2, QImage::Format_RGB32);
    QPainter painter(&image);
    QDPort port(painter);
    QDPort* previous = QDPort::SetPort(&port);
    port.RGBForeColor(RGBColor { 1, 2, 3 });
    CGContext context(painter, 2);
    for (int32_t index : { 0, -1, INT32_MIN }) {
        EXPECT_EQ(errorOf([&] { SwitchColor(index); }), err_AssertionFailed) << index;
        EXPECT_EQ(errorOf([&] { SwitchContextStrokeColor(&context, index); }), err_AssertionFailed) << index;
        EXPECT_EQ(errorOf([&] { SwitchContextFillColor(&context, index); }), err_AssertionFailed) << index;
    }
    EXPECT_EQ(port.GetForeColor(), (RGBColor { 1, 2, 3 }));
    QDPort::SetPort(nullptr);
    EXPECT_EQ(errorOf([] { SwitchColor(1); }), err_NilPointer) << "no current port";
    QDPort::SetPort(previous);
}
