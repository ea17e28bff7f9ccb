#include "framework/LColorSwatch.h"
#include "framework/LControl.h"
#include "framework/LListener.h"
#include "framework/LRadioGroupView.h"
#include "framework/LWindow.h"
#include "framework/URegistrar.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const char* kControlsLayout = R"({
    "class": "wind", "size": [300, 120], "showOnCreate": false,
    "panes": [
        { "class": "rgrp", "id": "Grup", "frame": [0, 0, 100, 60], "panes": [
            { "class": "radb", "id": "Rad1", "frame": [0, 0, 100, 20], "title": "One", "value": 1 },
            { "class": "radb", "id": "Rad2", "frame": [0, 20, 100, 20], "title": "Two" },
            { "class": "radb", "id": "Rad3", "frame": [0, 40, 100, 20], "title": "Three" } ] },
        { "class": "chbx", "id": "Chek", "frame": [110, 0, 150, 20], "title": "Check" },
        { "class": "popb", "id": "Popp", "frame": [110, 30, 150, 24], "items": ["A", "B", "C"], "value": 2 },
        { "class": "cswt", "id": "Swat", "frame": [110, 60, 40, 24], "title": "Colour of Swat" }
    ]
})";

// Every message of the window's controls, as "pane=value".
class ControlLog : public LListener {
public:
    void ListenToMessage(MessageT message, void* parameter) override
    {
        std::string text = FourCCToText(message) + "=";
        if (message == FourCC("Swat")) {
            const auto* color = static_cast<const RGBColor*>(parameter);
            text += std::to_string(color->red) + "," + std::to_string(color->green) + "," + std::to_string(color->blue);
        } else {
            text += std::to_string(*static_cast<const int32_t*>(parameter));
        }
        log += (log.empty() ? "" : " ") + text;
    }
    std::string log;
};

}

TEST(Controls, UserActionsChangeTheValueAndBroadcastEachChange)
{
    const struct {
        const char* name;
        std::function<void(LWindow*)> act;
        std::string messages;
        // The radio buttons' widgets, the check box's, the pop-up's value and the swatch's colour.
        std::string state;
        // Whether the user picks a colour in the chooser or cancels it.
        bool picks = true;
    } cases[] = {
        { "a click turns a radio button on and the one that was on off",
            [](LWindow* w) { static_cast<QAbstractButton*>(w->FindPaneByID(FourCC("Rad2"))->GetWidget())->click(); },
            "Rad1=0 Rad2=1", "-x- 0 2 0,0,0" },
        { "a click on the radio button that is on changes nothing",
            [](LWindow* w) { static_cast<QAbstractButton*>(w->FindPaneByID(FourCC("Rad1"))->GetWidget())->click(); },
            "", "x-- 0 2 0,0,0" },
        { "the group turns a button on by its ID",
            [](LWindow* w) {
                static_cast<LRadioGroupView*>(w->FindPaneByID(FourCC("Grup")))->SetCurrentRadioID(FourCC("Rad3"));
            },
            "Rad1=0 Rad3=1", "--x 0 2 0,0,0" },
        { "an ID outside the group changes nothing",
            [](LWindow* w) {
                static_cast<LRadioGroupView*>(w->FindPaneByID(FourCC("Grup")))->SetCurrentRadioID(FourCC("Chek"));
            },
            "", "x-- 0 2 0,0,0" },
        { "a click toggles the check box",
            [](LWindow* w) { static_cast<QAbstractButton*>(w->FindPaneByID(FourCC("Chek"))->GetWidget())->click(); },
            "Chek=1", "x-- 1 2 0,0,0" },
        { "a pop-up's value is the item picked",
            [](LWindow* w) { static_cast<QComboBox*>(w->FindPaneByID(FourCC("Popp"))->GetWidget())->activated(2); },
            "Popp=3", "x-- 0 3 0,0,0" },
        { "a value beyond the items stops at the last",
            [](LWindow* w) { static_cast<LControl*>(w->FindPaneByID(FourCC("Popp")))->SetValue(9); }, "Popp=3",
            "x-- 0 3 0,0,0" },
        { "a colour chosen for the swatch",
            [](LWindow* w) { static_cast<QAbstractButton*>(w->FindPaneByID(FourCC("Swat"))->GetWidget())->click(); },
            "Swat=65535,0,257", "x-- 0 2 65535,0,257" },
        { "a colour chooser cancelled",
            [](LWindow* w) { static_cast<QAbstractButton*>(w->FindPaneByID(FourCC("Swat"))->GetWidget())->click(); },
            "", "x-- 0 2 0,0,0", false },
        { "a swatch that is disabled opens no chooser",
            [](LWindow* w) {
                LPane* swatch = w->FindPaneByID(FourCC("Swat"));
                swatch->Disable();
                static_cast<LColorSwatch*>(swatch)->UserClicked();
            },
            "", "x-- 0 2 0,0,0" },
    };
    URegistrar::RegisterFrameworkClasses();
    bool picks = true;
    LColorSwatch::SetChooser([&picks](RGBColor& color, const std::string& title, QWidget*) {
        EXPECT_EQ(title, "Colour of Swat");
        color = RGBColor { 65535, 0, 257 };
        return picks;
    });
    for (const auto& each : cases) {
        picks = each.picks;
        QJsonDocument layout = QJsonDocument::fromJson(kControlsLayout);
        LWindow* window = LWindow::CreateWindow(LPaneEntry(layout.object()), nullptr);
        ControlLog log;
        for (const char* id : { "Rad1", "Rad2", "Rad3", "Chek", "Popp", "Swat" })
            dynamic_cast<LBroadcaster*>(window->FindPaneByID(FourCCFromText(id)))->AddListener(&log);

        each.act(window);

        std::string state;
        for (const char* id : { "Rad1", "Rad2", "Rad3" })
            state += static_cast<QAbstractButton*>(window->FindPaneByID(FourCCFromText(id))->GetWidget())->isChecked()
                ? 'x'
                : '-';
        state += " " + std::to_string(static_cast<LControl*>(window->FindPaneByID(FourCC("Chek")))->GetValue());
        state += " "
            + std::to_string(
                static_cast<QComboBox*>(window->FindPaneByID(FourCC("Popp"))->GetWidget())->currentIndex() + 1);
        RGBColor color = static_cast<LColorSwatch*>(window->FindPaneByID(FourCC("Swat")))->GetSwatchColor();
        state += " " + std::to_string(color.red) + "," + std::to_string(color.green) + "," + std::to_string(color.blue);
        EXPECT_EQ(log.log, each.messages) << each.name;
        EXPECT_EQ(state, each.state) << each.name;
        delete window;
    }
    LColorSwatch::SetChooser({});
}
