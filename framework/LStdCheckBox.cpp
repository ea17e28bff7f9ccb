#include "framework/LStdCheckBox.h"

#include "framework/LException.h"

#include <QCheckBox>

LStdCheckBox::LStdCheckBox(const LPaneEntry& entry)
    : LStdCheckBox(entry.GetPaneInfo(), entry.GetString("title"), entry.GetInt("value", 0))
{
}

LStdCheckBox::LStdCheckBox(const SPaneInfo& info, std::string_view title, int32_t value)
    : LControl(info, new QCheckBox, value, 0, 1)
{
    SetDescriptor(title);
    ShowValue();
    QObject::connect(Box(), &QCheckBox::clicked,
        [this](bool checked) { LException::ReportAndDrop("check box", [&] { SetValue(checked ? 1 : 0); }); });
}

QCheckBox* LStdCheckBox::Box() const
{
    return static_cast<QCheckBox*>(GetWidget());
}

std::string LStdCheckBox::GetDescriptor() const
{
    return Box()->text().toStdString();
}

void LStdCheckBox::SetDescriptor(std::string_view title)
{
    Box()->setText(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void LStdCheckBox::ShowValue()
{
    Box()->setChecked(GetValue() != 0);
}
