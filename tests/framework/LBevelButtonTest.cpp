#include "framework/LBevelButton.h"
#include "framework/LBevelButtonWidget.h"
#include "framework/LListener.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QStyle>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every broadcast, as "pane ID item ".
struct PickLog : LListener {
    void ListenToMessage(MessageT message, void* parameter) override
    {
        picks += FourCCToText(message) + std::to_string(*static_cast<int32_t*>(parameter)) + " ";
    }
    std::string picks;
};

std::string Marks(const LBevelButton& button)
{
    std::string marks;
    for (int16_t item = 1; item <= button.CountMenuItems(); ++item)
        marks += button.IsMenuItemChecked(item) ? 'x' : '-';
    return marks + " current " + std::to_string(button.GetCurrentMenuItem());
}

}

TEST(LBevelButton, PicksFollowTheMenuBehaviourAndBroadcastThePaneID)
{
    using enum LBevelButton::MenuBehavior;
    const struct {
        const char* name;
        LBevelButton::MenuBehavior behavior;
        bool enabled;
        std::vector<int16_t> picks;
        std::string marks, heard;
    } cases[] = {
        { "multi-check toggles", MultiCheck, true, { 1, 3, 1 }, "--x current 1", "GraB1 GraB3 GraB1 " },
        { "single choice moves the mark", SingleChoice, true, { 3, 2 }, "-x- current 2", "GraB3 GraB2 " },
        { "items outside the menu are ignored", MultiCheck, true, { 0, 4, -1 }, "--- current 1", "" },
        { "a disabled button ignores picks", MultiCheck, false, { 2 }, "--- current 1", "" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        LBevelButton button(FourCC("GraB"), each.behavior);
        for (const char* text : { "One", "Two", "Three" })
            button.AppendMenuItem(text);
        button.SetMenuItemMark(1, noMark);
        if (!each.enabled)
            button.Disable();
        PickLog log;
        button.AddListener(&log);
        for (int16_t item : each.picks)
            button.UserChoseItem(item);
        EXPECT_EQ(Marks(button), each.marks);
        EXPECT_EQ(log.picks, each.heard);
    }
}

// Menu texts are literal ("&" makes no shortcut, an item's hyphens are text) but a hyphen in markup makes a
// separator that cannot be chosen; a single-choice button shows its current item, and its menu opens there.
TEST(LBevelButtonWidget, TheMenuShowsTheButtonsItemsAndPicksReachTheButton)
{
    LBevelButton button(FourCC("Syst"), LBevelButton::MenuBehavior::SingleChoice);
    button.AppendMenuItemWithMarkup("-----");
    EXPECT_EQ(button.GetCurrentMenuItem(), 0) << "a separator is never current";
    button.AppendMenuItemWithMarkup("iBook G3 (300MHz)");
    button.AppendMenuItem("-----");
    button.AppendMenuItem("Fan & Case");
    PickLog log;
    button.AddListener(&log);
    button.UserChoseItem(1);
    button.SetCurrentMenuItem(1);
    EXPECT_EQ(Marks(button), "-x-- current 2");
    EXPECT_TRUE(log.picks.empty());

    LBevelButtonWidget& widget = *button.GetButtonWidget();
    EXPECT_EQ(widget.text(), QString("iBook G3 (300MHz)"));
    QList<QAction*> actions = widget.menu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_FALSE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QString("Fan && Case"));
    EXPECT_TRUE(actions[1]->isChecked());
    actions[2]->trigger();
    EXPECT_EQ(Marks(button), "--x- current 3");
    EXPECT_EQ(log.picks, "Syst3 ");
    EXPECT_EQ(widget.text(), QString("-----"));
    EXPECT_FALSE(actions[1]->isChecked());

    // Taller than the screen, the menu scrolls rather than spreading into columns.
    widget.menu()->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.menu()->activeAction(), actions[2]);
    widget.menu()->hide();
    EXPECT_EQ(widget.menu()->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, widget.menu()), 1);
    button.Disable();
    EXPECT_FALSE(widget.isEnabled());
    button.RemoveAllMenuItems();
    EXPECT_TRUE(widget.menu()->actions().isEmpty());

    LBevelButton sensors(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck);
    sensors.SetDescriptor("Sensors");
    sensors.AppendMenuItem("CPU");
    EXPECT_EQ(sensors.GetButtonWidget()->text(), QString("Sensors")) << "a multi-check button shows its title";
}
