#include "util/SensorMenus.h"
#include "framework/LBevelButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(SensorNameList& list)
{
    std::vector<std::string> names;
    for (ArrayIndexT i = 1; i <= list.GetCount(); ++i)
        names.push_back(Str255ToString(list[i]));
    return names;
}

void Fill(SensorNameList& list, const std::vector<std::string>& names)
{
    list.RemoveAllItems();
    for (const std::string& name : names)
        list.AddItem(MakeStr255(name));
}

std::string Checks(const LBevelButton& button)
{
    std::string marks;
    for (int16_t item = 1; item <= button.CountMenuItems(); ++item)
        marks += button.IsMenuItemChecked(item) ? 'x' : '-';
    return marks;
}

class SensorMenus : public ::testing::Test {
protected:
    SensorMenus()
        : mButton(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck)
    {
        for (const char* name : { "CPU", "CPU 2", "GPU", "Drive", "GPU" })
            mButton.AppendMenuItem(name);
    }
    LBevelButton mButton;
    SensorNameList mList;
};

}

TEST_F(SensorMenus, GetSensorMenuListsTheCheckedItemsInMenuOrder)
{
    const struct {
        const char* name;
        std::vector<int16_t> checked;
        std::vector<std::string> expected;
    } cases[] = {
        { "items 2 and 4", { 4, 2 }, { "CPU 2", "Drive" } },
        { "none", {}, {} },
        { "every item", { 1, 2, 3, 4, 5 }, { "CPU", "CPU 2", "GPU", "Drive", "GPU" } },
    };
    for (const auto& each : cases) {
        Fill(mList, { "left over", "from before" });
        for (int16_t item = 1; item <= 5; ++item)
            mButton.SetMenuItemMark(item, noMark);
        for (int16_t item : each.checked)
            mButton.SetMenuItemMark(item, checkMark);
        mButton.SetMenuItemMark(5, each.checked.size() == 5 ? checkMark : '*'); // only mark 18 counts
        GetSensorMenu(&mButton, &mList);
        EXPECT_EQ(Names(mList), each.expected) << each.name;
    }
}

TEST_F(SensorMenus, SetSensorMenuChecksTheFirstItemOfEachName)
{
    const struct {
        const char* name;
        std::vector<std::string> names;
        std::string expected;
    } cases[] = {
        { "empty list unchecks all", {}, "-----" },
        { "whole names only", { "CPU 2" }, "-x---" },
        { "first of two equal items", { "GPU" }, "--x--" },
        { "unknown and prefix names change nothing", { "Disk", "CP", "CPU 22" }, "-----" },
        { "list order does not matter", { "Drive", "CPU" }, "x--x-" },
    };
    for (const auto& each : cases) {
        for (int16_t item = 1; item <= 5; ++item)
            mButton.SetMenuItemMark(item, checkMark);
        Fill(mList, each.names);
        SetSensorMenu(&mButton, &mList);
        EXPECT_EQ(Checks(mButton), each.expected) << each.name;
    }
}
