#include "compare/ComparisonWindow.h"
#include "compare/ComparisonMaster.h"
#include "compare/ComparisonSystem.h"
#include "compare/ComparisonWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LBevelButtonWidget.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/URegistrar.h"
#include "tests/support/FixturePlatform.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QMenu>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr ResIDT kLayout = 133;

class ComparisonWindowTest : public ::testing::Test {
protected:
    ComparisonWindowTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<ComparisonWindow>(FourCC("Comp"));
        URegistrar::RegisterClass<ComparisonWindowView>(FourCC("CViw"));
    }
    ~ComparisonWindowTest() override { LWindow::DeleteAllWindows(); }

    static ComparisonWindow* NewWindow()
    {
        auto* window = dynamic_cast<ComparisonWindow*>(LWindow::CreateWindow(kLayout, nullptr));
        EXPECT_NE(window, nullptr);
        return window;
    }

    static std::string Shown(ComparisonWindow* window)
    {
        char name[ComparisonSystem::kNameSize] = "none";
        if (ComparisonSystem* system = window->GetView()->GetSystem())
            system->GetSystemName(name);
        return name;
    }

    static std::string ItemText(ComparisonWindow* window, int16_t item)
    {
        Str255 text;
        window->GetSystemPopup()->GetMenuItemText(item, text);
        return Str255ToString(text);
    }
};

}

TEST_F(ComparisonWindowTest, OpensOnTheLastModelWithThisMachinesIdentifier)
{
    const struct {
        const char* machine;
        int16_t item;
        const char* shown;
    } cases[] = {
        { "PowerMac7,2", 51, "Power Mac G5, Dual 2.0GHz" },
        { "PowerMac7,3", 55, "Power Mac G5, Dual 2.7GHz" },
        { "MacPro1,1", 66, "Mac Pro Quad 3.0GHz" },
        { "ThinkPad1,1", 1, "iBook G3, 300MHz" },
        { "", 1, "iBook G3, 300MHz" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.machine);
        FixturePlatform platform(each.machine);
        ComparisonWindow* window = NewWindow();
        EXPECT_EQ(window->GetDescriptor(), "Compare Machines");
        EXPECT_EQ(window->GetSystemPopup()->GetCurrentMenuItem(), each.item);
        EXPECT_EQ(Shown(window), each.shown);
        EXPECT_EQ(window->GetSystemPopup()->GetButtonWidget()->text().toStdString(), each.shown);
        EXPECT_EQ(window->GetCreditsText()->GetDescriptor(), each.item == 66 ? "" : "Kelvara reference data.");
        delete window;
    }
}

TEST_F(ComparisonWindowTest, TheMenuListsEveryEntryAndAChoiceRedrawsAtOnce)
{
    FixturePlatform platform("PowerMac7,3");
    ComparisonWindow* window = NewWindow();
    ComparisonWindow* other = NewWindow();
    LBevelButton* popup = window->GetSystemPopup();

    ASSERT_EQ(popup->CountMenuItems(), 66);
    QList<QAction*> actions = popup->GetButtonWidget()->menu()->actions();
    ASSERT_EQ(actions.size(), 66);
    std::vector<int16_t> separators;
    for (int16_t item = 1; item <= 66; ++item) {
        if (popup->IsMenuItemSeparator(item)) {
            separators.push_back(item);
            EXPECT_TRUE(actions[item - 1]->isSeparator()) << item;
        }
    }
    EXPECT_EQ(separators, (std::vector<int16_t> { 4, 7, 10, 17, 20, 32, 45, 57, 59, 65 }));
    // Names are literal: parentheses, commas and slashes mean nothing.
    EXPECT_EQ(ItemText(window, 48), "Power Mac G5, 1.8GHz (OCT 2004)");
    EXPECT_EQ(actions[47]->text().toStdString(), "Power Mac G5, 1.8GHz (OCT 2004)");
    EXPECT_EQ(ItemText(window, 37), "PowerBook G4, 15-in (Al), 1.0GHz");

    // A choice shows that model at once, from its first column, in this window only.
    auto* scroller = dynamic_cast<LScroller*>(window->GetView()->GetSuperView());
    ASSERT_NE(scroller, nullptr);
    popup->UserChoseItem(51);
    QCoreApplication::processEvents();
    scroller->ScrollImageTo(9000);
    EXPECT_EQ(scroller->GetImageOriginH(), -9000);
    actions[47]->trigger();
    EXPECT_EQ(Shown(window), "Power Mac G5, 1.8GHz (OCT 2004)");
    EXPECT_EQ(window->GetCreditsText()->GetDescriptor(), "");
    EXPECT_EQ(scroller->GetImageOriginH(), 0);
    EXPECT_EQ(Shown(other), "Power Mac G5, Dual 2.7GHz");

    // Dividers cannot be chosen.
    popup->UserChoseItem(45);
    EXPECT_EQ(popup->GetCurrentMenuItem(), 48);
    EXPECT_EQ(Shown(window), "Power Mac G5, 1.8GHz (OCT 2004)");
}

TEST_F(ComparisonWindowTest, TheImageHeightFollowsTheWindow)
{
    FixturePlatform platform("PowerMac7,2");
    ComparisonWindow* window = NewWindow();
    ComparisonWindowView* view = window->GetView();
    for (int16_t height : { 500, 300, 440 }) {
        window->ResizeWindowTo(700, height);
        QCoreApplication::processEvents();
        EXPECT_EQ(view->GetImageHeight(), view->GetHeight()) << height;
        EXPECT_EQ(view->GetImageWidth(), 7 * (254 * 14 + 40) + 6 * 20) << height;
        // The credits keep their place above the window's bottom edge.
        Rect credits;
        window->GetCreditsText()->CalcPortFrameRect(credits);
        EXPECT_EQ(credits.top, height - 440 + 377) << height;
    }
    EXPECT_GT(view->GetHeight(), 150) << "the window opens tall enough for the grid";
}

TEST_F(ComparisonWindowTest, ALayoutWithoutOneOfItsPanesFailsToOpen)
{
    FixturePlatform platform;
    const char* layout = R"({ "class": "Comp", "title": "Broken", "panes": [
        { "class": "bevl", "id": "Syst", "frame": [0, 0, 100, 20], "menu": "single" },
        { "class": "CViw", "id": "Cviw", "frame": [0, 20, 100, 100] } ] })";
    try {
        LWindow::CreateWindow(LPaneEntry(QJsonDocument::fromJson(layout).object()), nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const LException& failure) {
        EXPECT_EQ(failure.GetErrorCode(), err_NilPointer);
    }
    EXPECT_TRUE(LWindow::GetWindowList().empty());
}
