#include "framework/LColorSwatch.h"

#include "framework/LException.h"

#include <QColorDialog>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {

QColor ToQColor(const RGBColor& color)
{
    return QColor::fromRgba64(color.red, color.green, color.blue);
}

bool ChooseWithDesktop(RGBColor& color, const std::string& title, QWidget* parent)
{
    QColor chosen = QColorDialog::getColor(ToQColor(color), parent, QString::fromStdString(title));
    if (!chosen.isValid())
        return false;
    QRgba64 channels = chosen.rgba64();
    color = RGBColor { channels.red(), channels.green(), channels.blue() };
    return true;
}

LColorSwatch::Chooser& CurrentChooser()
{
    static LColorSwatch::Chooser chooser = ChooseWithDesktop;
    return chooser;
}

// A push button with the colour in its face, inside a thin border that keeps light colours visible.
class SwatchButton : public QPushButton {
public:
    explicit SwatchButton(const QColor& color)
        : mColor(color)
    {
    }
    void SetColor(const QColor& color)
    {
        mColor = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPushButton::paintEvent(event);
        QPainter painter(this);
        QRect face = rect().adjusted(5, 5, -5, -5);
        painter.setPen(isEnabled() ? palette().color(QPalette::Dark) : palette().color(QPalette::Mid));
        painter.setBrush(mColor);
        painter.drawRect(face.adjusted(0, 0, -1, -1));
    }

private:
    QColor mColor;
};

}

LColorSwatch::LColorSwatch(const LPaneEntry& entry)
    : LPane(entry.GetPaneInfo(), new SwatchButton(QColor()))
{
    SetDescriptor(entry.GetString("title"));
    QObject::connect(static_cast<QPushButton*>(GetWidget()), &QPushButton::clicked,
        [this] { LException::ReportAndDrop("colour swatch", [this] { UserClicked(); }); });
}

void LColorSwatch::SetSwatchColor(const RGBColor& color)
{
    mColor = color;
    static_cast<SwatchButton*>(GetWidget())->SetColor(ToQColor(color));
}

void LColorSwatch::SetDescriptor(std::string_view title)
{
    mTitle = title;
    GetWidget()->setToolTip(QString::fromStdString(mTitle));
    GetWidget()->setAccessibleName(QString::fromStdString(mTitle));
}

void LColorSwatch::UserClicked()
{
    if (!IsEnabled())
        return;
    RGBColor color = mColor;
    // The chooser runs an event loop of its own, in which the swatch's window may be closed.
    QPointer<QWidget> widget(GetWidget());
    if (!CurrentChooser()(color, mTitle, widget->window()) || !widget || color == mColor)
        return;
    SetSwatchColor(color);
    BroadcastMessage(GetPaneID(), &mColor);
}

void LColorSwatch::SetChooser(Chooser chooser)
{
    CurrentChooser() = chooser ? std::move(chooser) : Chooser(ChooseWithDesktop);
}
