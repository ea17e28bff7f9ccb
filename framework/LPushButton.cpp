#include "framework/LPushButton.h"

#include "framework/LException.h"

#include <QPushButton>

namespace {

MessageT MessageOf(const LPaneEntry& entry)
{
    std::string code = entry.GetString("message");
    return code.empty() ? entry.GetInt("message") : FourCCFromText(code);
}

}

LPushButton::LPushButton(const LPaneEntry& entry)
    : LPushButton(entry.GetPaneInfo(), entry.GetString("title"), MessageOf(entry))
{
    auto* button = static_cast<QPushButton*>(GetWidget());
    button->setDefault(entry.GetBool("default", false));
    mCancel = entry.GetBool("cancel", false);
    if (entry.GetBool("link", false)) {
        // Like a link in a text: at the left of its frame, where the text above begins.
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(
            QStringLiteral("QPushButton { text-align: left; padding: 0px; border: none; color: palette(link); }"));
        QFont font = button->font();
        font.setUnderline(true);
        button->setFont(font);
    }
}

LPushButton::LPushButton(const SPaneInfo& info, std::string_view title, MessageT message)
    : LPane(info, new QPushButton)
    , mMessage(message)
{
    SetDescriptor(title);
    QObject::connect(static_cast<QPushButton*>(GetWidget()), &QPushButton::clicked,
        [this] { LException::ReportAndDrop("button", [this] { SimulateHotSpotClick(); }); });
}

bool LPushButton::IsDefaultButton() const
{
    return static_cast<QPushButton*>(GetWidget())->isDefault();
}

std::string LPushButton::GetDescriptor() const
{
    return static_cast<QPushButton*>(GetWidget())->text().toStdString();
}

void LPushButton::SetDescriptor(std::string_view title)
{
    static_cast<QPushButton*>(GetWidget())
        ->setText(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void LPushButton::SimulateHotSpotClick()
{
    BroadcastMessage(mMessage, this);
}
