#include "util/SensorMenus.h"
#include "framework/LBevelButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SensorMenus : public ::testing::Test {
protected:
    SensorMenus()
        : mButton(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck)
    {
        for (const char* name : { "CPU", "CPU 2", "GPU", "Drive", "GPU" })
            mButton.AppendMenuItem(name);
    }

    // What GetSensorMenu lists, into a list holding a name from before, when the items are marked as marks
    // says: 'x' the check mark, '-' none, any other character that mark.
    std::vector<std::string> Get(const std::string& marks)
    {
        for (int16_t item = 1; item <= 5; ++item) {
            char mark = marks[static_cast<size_t>(item - 1)];
            mButton.SetMenuItemMark(item, mark == 'x' ? checkMark : mark == '-' ? noMark : mark);
        }
        SensorNameList list;
        list.AddItem(MakeStr255("left over"));
        GetSensorMenu(&mButton, &list);
        std::vector<std::string> names;
        for (ArrayIndexT i = 1; i <= list.GetCount(); ++i)
            names.push_back(Str255ToString(list[i]));
        return names;
    }

    // The items that SetSensorMenu leaves checked ('x') for names when every item was checked before.
    std::string Set(const std::vector<std::string>& names)
    {
        SensorNameList list;
        for (const std::string& name : names)
            list.AddItem(MakeStr255(name));
        for (int16_t item = 1; item <= 5; ++item)
            mButton.SetMenuItemMark(item, checkMark);
        SetSensorMenu(&mButton, &list);
        std::string marks;
        for (int16_t item = 1; item <= 5; ++item)
            marks += mButton.IsMenuItemChecked(item) ? 'x' : '-';
        return marks;
    }

    LBevelButton mButton;
};

TEST_F(SensorMenus, GetSensorMenuListsTheCheckedItemsInMenuOrder)
{
    EXPECT_EQ(Get("-x-x*"), (std::vector<std::string> { "CPU 2", "Drive" })) << "only mark 18 counts";
    EXPECT_EQ(Get("----*"), std::vector<std::string> {});
    EXPECT_EQ(Get("xxxxx"), (std::vector<std::string> { "CPU", "CPU 2", "GPU", "Drive", "GPU" }));
}

TEST_F(SensorMenus, SetSensorMenuChecksTheFirstItemOfEachName)
{
    EXPECT_EQ(Set({}), "-----") << "an empty list unchecks all";
    EXPECT_EQ(Set({ "CPU 2" }), "-x---") << "whole names only";
    EXPECT_EQ(Set({ "GPU" }), "--x--") << "the first of two equal items";
    EXPECT_EQ(Set({ "Disk", "CP", "CPU 22" }), "-----") << "unknown and prefix names change nothing";
    EXPECT_EQ(Set({ "Drive", "CPU" }), "x--x-") << "list order does not matter";
}
