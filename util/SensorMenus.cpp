#include "util/SensorMenus.h"

#include "framework/LBevelButton.h"
#include "framework/LException.h"

#include <cstring>

namespace {

bool SameText(const Str255& a, const Str255& b)
{
    // Names and items both come from the sensors' own names, so equal names are equal bytes.
    return a[0] == b[0] && std::memcmp(a.data() + 1, b.data() + 1, a[0]) == 0;
}

// The position of name in names, 0 when it is not there.
ArrayIndexT PositionOf(const SensorNameList& names, const Str255& name)
{
    for (ArrayIndexT i = 1; i <= names.GetCount(); ++i) {
        if (SameText(names[i], name))
            return i;
    }
    return 0;
}

bool MenuCarries(LBevelButton* button, const Str255& name)
{
    int16_t count = button->CountMenuItems();
    for (int16_t item = 1; item <= count; ++item) {
        Str255 text;
        button->GetMenuItemText(item, text);
        if (SameText(text, name))
            return true;
    }
    return false;
}

}

void CopySensorNames(const SensorNameList& from, SensorNameList& names)
{
    names.RemoveAllItems();
    for (ArrayIndexT i = 1; i <= from.GetCount(); ++i)
        names.AddItem(from[i]);
}

void GetSensorMenuKeepingAbsent(LBevelButton* button, SensorNameList* names)
{
    ThrowIfNil_(button);
    ThrowIfNil_(names);
    SensorNameList before;
    CopySensorNames(*names, before);
    GetSensorMenu(button, names);
    ArrayIndexT after = 0;
    for (ArrayIndexT i = 1; i <= before.GetCount(); ++i) {
        if (!MenuCarries(button, before[i])) {
            names->InsertItemAt(++after, before[i]);
        } else if (ArrayIndexT position = PositionOf(*names, before[i]); position > after) {
            after = position;
        }
    }
}

void GetSensorMenu(LBevelButton* button, SensorNameList* names)
{
    ThrowIfNil_(button);
    ThrowIfNil_(names);
    while (names->GetCount() > 0)
        names->RemoveItemsAt(1, index_Last);
    int16_t count = button->CountMenuItems();
    for (int16_t item = 1; item <= count; ++item) {
        if (button->GetMenuItemMark(item) == checkMark) {
            Str255 text;
            button->GetMenuItemText(item, text);
            names->AddItem(text);
        }
    }
}

void SetSensorMenu(LBevelButton* button, SensorNameList* names)
{
    ThrowIfNil_(button);
    ThrowIfNil_(names);
    int16_t itemCount = button->CountMenuItems();
    for (int16_t item = 1; item <= itemCount; ++item)
        button->SetMenuItemMark(item, noMark);
    auto nameCount = static_cast<int16_t>(names->GetCount());
    for (int16_t name = 1; name <= nameCount; ++name) {
        for (int16_t item = 1; item <= itemCount; ++item) {
            Str255 text;
            button->GetMenuItemText(item, text);
            if (SameText(text, (*names)[name])) {
                button->SetMenuItemMark(item, checkMark);
                break;
            }
        }
    }
}

void RenewSensorMenu(LBevelButton* button, const std::vector<std::string>& names, SensorNameList* checked)
{
    ThrowIfNil_(button);
    ThrowIfNil_(checked);
    button->RemoveAllMenuItems();
    for (const std::string& name : names)
        button->AppendMenuItem(name);
    SetSensorMenu(button, checked);
}

void LabelSensorMenu(LBevelButton* button, const std::vector<std::string>& names, const std::vector<std::string>& shown)
{
    ThrowIfNil_(button);
    int16_t count = button->CountMenuItems();
    for (int16_t item = 1; item <= count; ++item) {
        Str255 text;
        button->GetMenuItemText(item, text);
        std::string label;
        for (size_t i = 0; i < names.size() && i < shown.size(); ++i) {
            if (SameText(text, MakeStr255(names[i]))) {
                label = shown[i] == names[i] ? std::string() : shown[i];
                break;
            }
        }
        button->SetMenuItemLabel(item, label);
    }
}
