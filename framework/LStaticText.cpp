#include "framework/LStaticText.h"

#include "framework/UColorContrast.h"
#include "framework/UFonts.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QTextDocument>

#include <algorithm>
#include <functional>

namespace {

// A label that hears when the desktop's palette changes (a switch between light and dark), so that a fixed
// colour can be made legible on the new background.
class TextLabel : public QLabel {
public:
    std::function<void()> paletteChanged;

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && paletteChanged)
            paletteChanged();
    }
};

}

LStaticText::LStaticText(const LPaneEntry& entry)
    : LStaticText(entry.GetPaneInfo(), entry.GetString("text"), static_cast<ResIDT>(entry.GetInt("traits", 0)))
{
    mWraps = entry.GetBool("wrap", false);
    Label()->setWordWrap(mWraps);
    ApplyTraits();
}

LStaticText::LStaticText(const SPaneInfo& info, std::string_view text, ResIDT traitsID)
    : LPane(info, new TextLabel)
{
    static_cast<TextLabel*>(Label())->paletteChanged = [this] { ApplyColor(); };
    Label()->setTextFormat(Qt::PlainText);
    Label()->setContentsMargins(0, 0, 0, 0);
    Label()->setIndent(0);
    SetDescriptor(text);
    SetTextTraitsID(traitsID);
}

QLabel* LStaticText::Label() const
{
    return static_cast<QLabel*>(GetWidget());
}

std::string LStaticText::GetDescriptor() const
{
    return mText.toStdString();
}

void LStaticText::SetDescriptor(std::string_view text)
{
    // Rows set their texts every few seconds, mostly to what they already show: that costs a comparison
    // and no repaint.
    if (text == mTextBytes)
        return;
    mTextBytes = text;
    QString whole = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (whole == mText)
        return;
    mText = whole;
    ShowFittingText();
}

std::string LStaticText::GetShownText() const
{
    return Label()->text().toStdString();
}

void LStaticText::ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh)
{
    LPane::ResizeFrameBy(dWidth, dHeight, refresh);
    ShowFittingText();
}

void LStaticText::ShowFittingText()
{
    // A name cut in the middle of a letter reads as another name; one that ends in "…" says it goes on.
    if (mWraps) {
        // A paragraph wraps at the pane's width instead.
        if (Label()->text() != mText)
            Label()->setText(mText);
        return;
    }
    QMargins margins = Label()->contentsMargins();
    int room = std::max(0, mInfo.width - margins.left() - margins.right());
    QString shown = QFontMetrics(Label()->font()).elidedText(mText, Qt::ElideRight, room);
    if (Label()->text() != shown)
        Label()->setText(shown);
    QString tip = !mToolTip.isEmpty() ? mToolTip : shown == mText ? QString() : mText;
    // A name is plain text: one that looks like markup ("<b>") is shown as it is, not read as markup.
    if (Qt::mightBeRichText(tip))
        tip = Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal);
    if (Label()->toolTip() != tip)
        Label()->setToolTip(tip);
}

void LStaticText::SetToolTip(std::string_view tip)
{
    mToolTip = QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size()));
    ShowFittingText();
}

std::string LStaticText::GetToolTip() const
{
    return Label()->toolTip().toStdString();
}

void LStaticText::SetValue(int32_t value)
{
    mValue = value;
    SetDescriptor(std::to_string(value));
}

void LStaticText::SetTextTraitsID(ResIDT traitsID)
{
    mTraitsID = traitsID;
    mTraits = UResources::GetTextTraits(traitsID);
    ApplyTraits();
}

void LStaticText::SetForeColor(const RGBColor& color)
{
    mTraits.color = color;
    mTraits.fixedColor = true;
    ApplyTraits();
}

void LStaticText::ApplyColor()
{
    QLabel* label = Label();
    if (!mTraits.fixedColor) {
        // The palette's own text colour: the label sets none of its own.
        if (label->testAttribute(Qt::WA_SetPalette))
            label->setPalette(QPalette());
        return;
    }
    QColor background = label->palette().color(QPalette::Window);
    QColor shown
        = UColorContrast::ToQColor(UColorContrast::LegibleOn(mTraits.color, UColorContrast::FromQColor(background)));
    // Setting the colour changes the palette again; the same colour is not set twice.
    if (label->testAttribute(Qt::WA_SetPalette) && label->palette().color(QPalette::WindowText) == shown)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, shown);
    label->setPalette(palette);
}

void LStaticText::ApplyTraits()
{
    QFont font = UFonts::ForFamily(mTraits.family);
    font.setPixelSize(mTraits.size);
    font.setBold(mTraits.bold);
    font.setItalic(mTraits.italic);
    Label()->setFont(font);
    ApplyColor();
    Qt::Alignment vertical = mWraps ? Qt::AlignTop : Qt::AlignVCenter;
    Qt::Alignment alignment = vertical | Qt::AlignLeft;
    if (mTraits.alignment == "center")
        alignment = vertical | Qt::AlignHCenter;
    else if (mTraits.alignment == "right")
        alignment = vertical | Qt::AlignRight;
    Label()->setAlignment(alignment);
    if (mTraits.alignment == "right")
        Label()->setContentsMargins(0, 0, mTraits.inset, 0);
    else
        Label()->setContentsMargins(mTraits.inset, 0, 0, 0);
    ShowFittingText();
}
