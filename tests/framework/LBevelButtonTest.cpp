#include "framework/LBevelButton.h"
#include "framework/LBevelButtonWidget.h"
#include "framework/LListener.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

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
    for (int16_t item : { 1, 0, 5, -1 }) // a separator, then items outside the menu
        button.UserChoseItem(item);
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
    actions[1]->trigger();
    EXPECT_EQ(log.picks, "Syst3 ") << "a disabled button ignores picks";
    button.RemoveAllMenuItems();
    EXPECT_TRUE(widget.menu()->actions().isEmpty());

    LBevelButton sensors(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck);
    sensors.SetDescriptor("Sensors");
    sensors.AppendMenuItem("CPU");
    EXPECT_EQ(sensors.GetButtonWidget()->text(), QString("Sensors")) << "a multi-check button shows its title";
}

// A sensor menu offers "All" and "None" above its items, and stays open while items are checked, so that several
// are chosen in one opening; each choice broadcasts once.
TEST(LBevelButtonWidget, ASensorMenuOffersAllAndNoneAndStaysOpen)
{
    LBevelButton sensors(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck);
    sensors.SetOffersAllAndNone(true);
    for (const char* name : { "CPU", "GPU", "Disk" })
        sensors.AppendMenuItem(name);
    sensors.SetMenuItemMark(2, checkMark);
    PickLog log;
    sensors.AddListener(&log);
    QMenu* menu = sensors.GetButtonWidget()->menu();
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->text(), QString("All"));
    EXPECT_EQ(actions[1]->text(), QString("None"));
    EXPECT_TRUE(actions[2]->isSeparator());

    menu->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    // Clicks on the menu's entries, and the marks after each.
    const std::pair<int, const char*> clicks[]
        = { { 0, "xxx current 1" }, { 1, "--- current 1" }, { 4, "-x- current 2" }, { 5, "-xx current 3" } };
    for (auto [entry, marks] : clicks) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(actions[entry]).center());
        EXPECT_EQ(Marks(sensors), marks) << entry;
        EXPECT_TRUE(menu->isVisible()) << entry;
        EXPECT_EQ(actions[entry]->isChecked(), entry >= 3);
    }
    EXPECT_EQ(log.picks, "Show0 Show0 Show2 Show3 ");
    menu->hide();
    sensors.Disable();
    sensors.UserChoseAll(true);
    EXPECT_EQ(Marks(sensors), "-xx current 3") << "a disabled button ignores All";
}
