#include "framework/LPushButton.h"

#include "framework/LException.h"

#include <QPushButton>

namespace {

MessageT MessageOf(const LPaneSpec& spec)
{
    std::string code = spec.GetString("message");
    return code.empty() ? spec.GetInt("message") : FourCCFromText(code);
}

}

LPushButton::LPushButton(const LPaneSpec& spec)
    : LPushButton(spec.GetPaneInfo(), spec.GetString("title"), MessageOf(spec))
{
    static_cast<QPushButton*>(GetWidget())->setDefault(spec.GetBool("default", false));
}

LPushButton::LPushButton(const SPaneInfo& info, std::string_view title, MessageT message)
    : LPane(info, new QPushButton)
    , mMessage(message)
{
    SetDescriptor(title);
    QObject::connect(static_cast<QPushButton*>(GetWidget()), &QPushButton::clicked, [this] {
        LException::ReportAndDrop("button", [this] { SimulateHotSpotClick(); });
    });
}

std::string LPushButton::GetDescriptor() const
{
    return static_cast<QPushButton*>(GetWidget())->text().toStdString();
}

void LPushButton::SetDescriptor(std::string_view title)
{
    static_cast<QPushButton*>(GetWidget())->setText(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void LPushButton::SimulateHotSpotClick()
{
    BroadcastMessage(mMessage, this);
}
