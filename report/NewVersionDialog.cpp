#include "report/NewVersionDialog.h"

#include "framework/LPushButton.h"
#include "framework/USound.h"
#include "platform/Platform.h"
#include "prefs/Preferences.h"
#include "report/ParamText.h"
#include "report/ReportResources.h"

namespace {

constexpr PaneIDT kPublishedPane = FourCC("Pubd");
constexpr PaneIDT kNotesPane = FourCC("Note");
// The notes are a teaser for the web page: the dialog keeps its size whatever the file holds.
constexpr size_t kShownNotesBytes = 300;
constexpr size_t kShownVersionBytes = 40;

std::string Shortened(const std::string& text, size_t bytes)
{
    return text.size() <= bytes ? text : std::string(TruncateUtf8(text, bytes)) + "…";
}

// The file's text with the XML entities it may use written as the characters they stand for.
std::string DecodeEntities(const std::string& text)
{
    static const std::pair<std::string_view, char> entities[]
        = { { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&apos;", '\'' }, { "&amp;", '&' } };
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            if (text.compare(i, entity.size(), entity) == 0) {
                decoded += character;
                i += entity.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            decoded += text[i];
    }
    return decoded;
}

}

NewVersionDialog::NewVersionDialog(const LPaneEntry& layout)
    : ReportDialog(layout)
{
}

void NewVersionDialog::FinishCreateSelf()
{
    for (PaneIDT button : { msg_DontTellAgain, msg_NewVersionOK, msg_VisitWebSite })
        FindPane<LPushButton>(button)->AddListener(this);
    ReportDialog::FinishCreateSelf();
}

void NewVersionDialog::ListenToMessage(MessageT message, void* parameter)
{
    switch (message) {
    case msg_DontTellAgain:
        Preferences::Get()->SetVersionCheck(false);
        CloseSoon();
        break;
    case msg_NewVersionOK:
        CloseSoon();
        break;
    case msg_VisitWebSite:
        if (!IsClosing())
            VisitWebsite();
        CloseSoon();
        break;
    default:
        ReportDialog::ListenToMessage(message, parameter);
        break;
    }
}

void NewVersionDialog::SetPublishedVersion(const std::string& version, const std::string& releaseNotes)
{
    if (LPane* published = FindPaneByID(kPublishedPane)) {
        published->SetDescriptor(ParamText(published->GetDescriptor(),
            { Shortened(DecodeEntities(version), kShownVersionBytes),
                UResources::GetIndString(kKelvaraStrings, kVersionTextItem) }));
        published->Show();
    }
    if (LPane* notes = FindPaneByID(kNotesPane)) {
        notes->SetDescriptor(Shortened(DecodeEntities(releaseNotes), kShownNotesBytes));
    }
}

void NewVersionDialog::VisitWebsite()
{
    if (!Platform::Launcher().LaunchURL(UResources::GetIndString(kKelvaraStrings, kWebSiteItem)))
        SysBeep(10);
}
