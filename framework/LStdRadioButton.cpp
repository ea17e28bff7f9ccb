#include "framework/LStdRadioButton.h"

#include "framework/LException.h"

#include <QRadioButton>

LStdRadioButton::LStdRadioButton(const LPaneEntry& entry)
    : LStdRadioButton(entry.GetPaneInfo(), entry.GetString("title"), entry.GetInt("value", 0))
{
}

LStdRadioButton::LStdRadioButton(const SPaneInfo& info, std::string_view title, int32_t value)
    : LControl(info, new QRadioButton, value, 0, 1)
{
    // The radio group, not Qt, keeps one button on: Qt would switch siblings off without telling them.
    Button()->setAutoExclusive(false);
    SetDescriptor(title);
    ShowValue();
    QObject::connect(Button(), &QRadioButton::clicked, [this] {
        LException::ReportAndDrop("radio button", [this] {
            SetValue(1);
            // A click on the button that is already on would otherwise show it off.
            ShowValue();
        });
    });
}

QRadioButton* LStdRadioButton::Button() const
{
    return static_cast<QRadioButton*>(GetWidget());
}

std::string LStdRadioButton::GetDescriptor() const
{
    return Button()->text().toStdString();
}

void LStdRadioButton::SetDescriptor(std::string_view title)
{
    Button()->setText(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void LStdRadioButton::ShowValue()
{
    Button()->setChecked(GetValue() != 0);
}
