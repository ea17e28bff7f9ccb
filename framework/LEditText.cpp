#include "framework/LEditText.h"

#include "framework/LPaneEntry.h"
#include "framework/UFonts.h"

#include <QLineEdit>

LEditText::LEditText(const LPaneEntry& entry)
    : LEditText(entry.GetPaneInfo(), entry.GetString("text"), static_cast<ResIDT>(entry.GetInt("traits", 0)))
{
    SetPlaceholder(entry.GetString("placeholder"));
}

LEditText::LEditText(const SPaneInfo& info, std::string_view text, ResIDT traitsID)
    : LPane(info, new QLineEdit)
{
    SetDescriptor(text);
    SetTextTraitsID(traitsID);
}

QLineEdit* LEditText::GetLineEdit() const
{
    return static_cast<QLineEdit*>(GetWidget());
}

std::string LEditText::GetDescriptor() const
{
    return GetLineEdit()->text().toStdString();
}

void LEditText::SetDescriptor(std::string_view text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (GetLineEdit()->text() != shown)
        GetLineEdit()->setText(shown);
    // A long name shows from its start, not scrolled to its end.
    GetLineEdit()->setCursorPosition(0);
}

void LEditText::SetPlaceholder(std::string_view text)
{
    GetLineEdit()->setPlaceholderText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void LEditText::SetMaxBytes(int bytes)
{
    // QLineEdit counts UTF-16 units; a UTF-8 character takes at most three bytes per unit, so this is safe
    // for any text. The owner cuts at its own byte limit on top.
    GetLineEdit()->setMaxLength(bytes);
}

void LEditText::SetTextTraitsID(ResIDT traitsID)
{
    TextTraits traits = UResources::GetTextTraits(traitsID);
    QFont font = UFonts::ForFamily(traits.family);
    if (traits.size > 0)
        font.setPixelSize(traits.size);
    font.setBold(traits.bold);
    font.setItalic(traits.italic);
    GetLineEdit()->setFont(font);
}
