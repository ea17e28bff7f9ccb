#include "framework/LPopupButton.h"

#include "framework/LException.h"

#include <QComboBox>

LPopupButton::LPopupButton(const LPaneEntry& entry)
    : LControl(entry.GetPaneInfo(), new QComboBox, 0, 0, 0)
{
    for (const std::string& item : entry.GetStrings("items"))
        AppendMenuItem(item);
    SetValue(entry.GetInt("value", 1));
    ShowValue();
    QObject::connect(Box(), &QComboBox::activated,
        [this](int index) { LException::ReportAndDrop("pop-up menu", [&] { SetValue(index + 1); }); });
}

QComboBox* LPopupButton::Box() const
{
    return static_cast<QComboBox*>(GetWidget());
}

int16_t LPopupButton::CountMenuItems() const
{
    return static_cast<int16_t>(Box()->count());
}

void LPopupButton::AppendMenuItem(std::string_view text)
{
    Box()->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    SetValueRange(1, CountMenuItems());
}

std::string LPopupButton::GetMenuItemText(int16_t item) const
{
    if (item < 1 || item > CountMenuItems())
        return {};
    return Box()->itemText(item - 1).toStdString();
}

void LPopupButton::ShowValue()
{
    Box()->setCurrentIndex(GetValue() - 1);
}
