#include "framework/LTextEditView.h"

#include "framework/UFonts.h"

#include <QApplication>
#include <QPlainTextEdit>

LTextEditView::LTextEditView(const LPaneEntry& entry)
    : LTextEditView(entry.GetPaneInfo(), entry.GetString("text"), static_cast<ResIDT>(entry.GetInt("traits", 0)))
{
    SetReadOnly(entry.GetBool("readOnly", true));
    SetWrapping(entry.GetBool("wrap", true));
}

LTextEditView::LTextEditView(const SPaneInfo& info, std::string_view text, ResIDT traitsID)
    : LView(info, new QPlainTextEdit)
{
    QPlainTextEdit* editor = Editor();
    editor->setFrameShape(QFrame::NoFrame);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor->document()->setDocumentMargin(0);
    SetReadOnly(true);
    SetWrapping(true);
    SetDescriptor(text);
    SetTextTraitsID(traitsID);
}

QPlainTextEdit* LTextEditView::Editor() const
{
    return static_cast<QPlainTextEdit*>(GetWidget());
}

std::string LTextEditView::GetDescriptor() const
{
    return Editor()->toPlainText().toStdString();
}

void LTextEditView::SetDescriptor(std::string_view text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (Editor()->toPlainText() != shown)
        Editor()->setPlainText(shown);
}

void LTextEditView::SetTextTraitsID(ResIDT traitsID)
{
    mTraitsID = traitsID;
    TextTraits traits = UResources::GetTextTraits(traitsID);
    QFont font = UFonts::ForFamily(traits.family);
    font.setPixelSize(traits.size);
    font.setBold(traits.bold);
    font.setItalic(traits.italic);
    Editor()->setFont(font);
    // Without a colour of its own, the text keeps the palette's, light or dark.
    if (traits.fixedColor) {
        QPalette palette = Editor()->palette();
        palette.setColor(
            QPalette::Text, QColor::fromRgb(traits.color.red >> 8, traits.color.green >> 8, traits.color.blue >> 8));
        Editor()->setPalette(palette);
    }
}

bool LTextEditView::IsReadOnly() const
{
    return Editor()->isReadOnly();
}

void LTextEditView::SetReadOnly(bool readOnly)
{
    QPlainTextEdit* editor = Editor();
    editor->setReadOnly(readOnly);
    // Text to read sits on the window's own background, like any other text of the window; text to edit
    // on the field colour.
    QPalette palette = editor->palette();
    QPalette standard = QApplication::palette(editor);
    palette.setColor(QPalette::Base, standard.color(readOnly ? QPalette::Window : QPalette::Base));
    editor->setPalette(palette);
    // Text to read takes the focus only when clicked (to copy from it), and shows no caret.
    editor->setTextInteractionFlags(readOnly ? Qt::TextSelectableByMouse : Qt::TextEditorInteraction);
    editor->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
}

bool LTextEditView::IsWrapping() const
{
    return Editor()->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void LTextEditView::SetWrapping(bool wrap)
{
    Editor()->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
