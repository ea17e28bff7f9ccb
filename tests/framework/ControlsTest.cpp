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

std::string Text(const RGBColor& c)
{
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

// Every message of the window's controls, as "pane=value".
struct ControlLog : LListener {
    void ListenToMessage(MessageT message, void* parameter) override
    {
        log += (log.empty() ? "" : " ") + FourCCToText(message) + "="
            + (message == FourCC("Swat") ? Text(*static_cast<const RGBColor*>(parameter))
                                         : std::to_string(*static_cast<const int32_t*>(parameter)));
    }
    std::string log;
};

template <typename T = QAbstractButton> T* Widget(LWindow* window, const char* id)
{
    return static_cast<T*>(window->FindPaneByID(FourCCFromText(id))->GetWidget());
}

template <typename T> T* Pane(LWindow* window, const char* id)
{
    return dynamic_cast<T*>(window->FindPaneByID(FourCCFromText(id)));
}

}

// The plain clicks on radio buttons, check boxes, pop-ups and swatches are seen on the preferences dialog;
// here the cases that dialog never meets.
TEST(Controls, UserActionsChangeTheValueAndBroadcastEachChange)
{
    const struct {
        const char* name;
        std::function<void(LWindow*)> act;
        // The radio buttons' widgets, the check box's, the pop-up's value and the swatch's colour.
        std::string messages, state;
        bool picks = true; // whether the user picks a colour in the chooser or cancels it
    } cases[] = {
        { "the group turns a button on by its ID",
            [](LWindow* w) { Pane<LRadioGroupView>(w, "Grup")->SetCurrentRadioID(FourCC("Rad3")); }, "Rad1=0 Rad3=1",
            "--x 0 2 0,0,0" },
        { "an ID outside the group changes nothing",
            [](LWindow* w) { Pane<LRadioGroupView>(w, "Grup")->SetCurrentRadioID(FourCC("Chek")); }, "",
            "x-- 0 2 0,0,0" },
        { "a value beyond the items stops at the last", [](LWindow* w) { Pane<LControl>(w, "Popp")->SetValue(9); },
            "Popp=3", "x-- 0 3 0,0,0" },
        { "a colour chosen for the swatch", [](LWindow* w) { Widget(w, "Swat")->click(); }, "Swat=65535,0,257",
            "x-- 0 2 65535,0,257" },
        { "a colour chooser cancelled", [](LWindow* w) { Widget(w, "Swat")->click(); }, "", "x-- 0 2 0,0,0", false },
        { "a swatch that is disabled opens no chooser",
            [](LWindow* w) {
                Pane<LColorSwatch>(w, "Swat")->Disable();
                Pane<LColorSwatch>(w, "Swat")->UserClicked();
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
        SCOPED_TRACE(each.name);
        picks = each.picks;
        LWindow* window = LWindow::CreateWindow(LPaneEntry(QJsonDocument::fromJson(kControlsLayout).object()), nullptr);
        ControlLog log;
        for (const char* id : { "Rad1", "Rad2", "Rad3", "Chek", "Popp", "Swat" })
            Pane<LBroadcaster>(window, id)->AddListener(&log);

        each.act(window);

        std::string state;
        for (const char* id : { "Rad1", "Rad2", "Rad3" })
            state += Widget(window, id)->isChecked() ? 'x' : '-';
        state += " " + std::to_string(Pane<LControl>(window, "Chek")->GetValue()) + " "
            + std::to_string(Widget<QComboBox>(window, "Popp")->currentIndex() + 1) + " "
            + Text(Pane<LColorSwatch>(window, "Swat")->GetSwatchColor());
        EXPECT_EQ(log.log, each.messages);
        EXPECT_EQ(state, each.state);
        delete window;
    }
    LColorSwatch::SetChooser({});
}
