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
