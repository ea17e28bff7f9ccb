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

class PickLog : public LListener {
public:
    void ListenToMessage(MessageT message, void* parameter) override
    {
        picks.push_back({ message, *static_cast<int32_t*>(parameter) });
    }
    std::vector<std::pair<MessageT, int32_t>> picks;
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
        std::string expected;
    } cases[] = {
        { "multi-check toggles", MultiCheck, true, { 1, 3, 1 }, "--x current 1" },
        { "single choice moves the mark", SingleChoice, true, { 3, 2 }, "-x- current 2" },
        { "items outside the menu are ignored", MultiCheck, true, { 0, 4, -1 }, "--- current 1" },
        { "a disabled button ignores picks", MultiCheck, false, { 2 }, "--- current 1" },
    };
    for (const auto& each : cases) {
        LBevelButton button(FourCC("GraB"), each.behavior);
        for (const char* text : { "One", "Two", "Three" })
            button.AppendMenuItem(text);
        button.SetMenuItemMark(1, noMark);
        if (!each.enabled)
            button.Disable();
        PickLog log;
        button.AddListener(&log);
        std::vector<std::pair<MessageT, int32_t>> expected;
        for (int16_t item : each.picks) {
            button.UserChoseItem(item);
            if (each.enabled && item >= 1 && item <= 3)
                expected.push_back({ FourCC("GraB"), item });
        }
        EXPECT_EQ(Marks(button), each.expected) << each.name;
        EXPECT_EQ(log.picks, expected) << each.name;
    }
}

TEST(LBevelButtonWidget, ItsMenuShowsTheButtonAndPicksReachTheButton)
{
    LBevelButton owner(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck);
    owner.SetDescriptor("Sensors");
    LBevelButton* button = &owner;
    LBevelButtonWidget& widget = *owner.GetButtonWidget();
    button->AppendMenuItem("Fan & Case");
    button->AppendMenuItem("CPU");
    button->SetMenuItemMark(2, checkMark);
    PickLog log;
    button->AddListener(&log);

    QList<QAction*> actions = widget.menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QString("Fan && Case")) << "texts are literal, not shortcuts";
    EXPECT_FALSE(actions[0]->isChecked());
    EXPECT_TRUE(actions[1]->isChecked());
    EXPECT_EQ(widget.text(), QString("Sensors"));

    actions[0]->trigger();
    EXPECT_TRUE(button->IsMenuItemChecked(1));
    EXPECT_TRUE(actions[0]->isChecked());
    EXPECT_EQ(log.picks, (std::vector<std::pair<MessageT, int32_t>> { { FourCC("Show"), 1 } }));

    button->Disable();
    EXPECT_FALSE(widget.isEnabled());
    button->RemoveAllMenuItems();
    EXPECT_TRUE(widget.menu()->actions().isEmpty());
}

// A single-choice button shows its current item; a hyphen in markup makes a separator that cannot be chosen.
TEST(LBevelButtonWidget, ASingleChoiceButtonShowsItsCurrentItemAndSkipsSeparators)
{
    LBevelButton button(FourCC("Syst"), LBevelButton::MenuBehavior::SingleChoice);
    button.AppendMenuItemWithMarkup("-----");
    EXPECT_EQ(button.GetCurrentMenuItem(), 0) << "a separator is never current";
    button.AppendMenuItemWithMarkup("iBook G3 (300MHz)");
    button.AppendMenuItem("-----");
    EXPECT_EQ(Marks(button), "-x- current 2");
    PickLog log;
    button.AddListener(&log);

    LBevelButtonWidget& widget = *button.GetButtonWidget();
    EXPECT_EQ(widget.text(), QString("iBook G3 (300MHz)"));
    QList<QAction*> actions = widget.menu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_FALSE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isSeparator()) << "a literal item's hyphens are text";
    EXPECT_EQ(actions[2]->text(), QString("-----"));
    EXPECT_TRUE(button.IsMenuItemSeparator(1));
    EXPECT_FALSE(button.IsMenuItemSeparator(3));

    button.UserChoseItem(1);
    button.SetCurrentMenuItem(1);
    EXPECT_EQ(Marks(button), "-x- current 2");
    EXPECT_TRUE(log.picks.empty());
    actions[2]->trigger();
    EXPECT_EQ(Marks(button), "--x current 3");
    EXPECT_EQ(widget.text(), QString("-----"));
    EXPECT_FALSE(actions[1]->isChecked());

    // The menu opens on the current item, and scrolls rather than spreading into columns when it is
    // taller than the screen.
    widget.menu()->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.menu()->activeAction(), actions[2]);
    widget.menu()->hide();
    EXPECT_EQ(widget.menu()->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, widget.menu()), 1);
}
