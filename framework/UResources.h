// The program's resources, compiled into it: window layouts by number, string lists, text traits, menus
// and alert texts.
#pragma once

#include "framework/LPaneEntry.h"
#include "framework/PString.h"
#include "framework/QuickDrawTypes.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdint>
#include <string>
#include <vector>

using ResIDT = int16_t;

struct TextTraits {
    std::string family = "Helvetica";
    int size = 12;
    bool bold = false;
    bool italic = false;
    // The text's colour where the record fixes one; otherwise the text takes the palette's text colour, so
    // that it reads on a light and a dark desktop alike.
    RGBColor color {};
    bool fixedColor = false;
    // "left", "center" or "right".
    std::string alignment = "left";
    // Space kept between the text and the pane's edge it is aligned to.
    int inset = 0;
};

class UResources {
public:
    // The layout of window layoutID; throws nilP when the program has no such layout.
    static LPaneEntry GetLayout(ResIDT layoutID);
    static std::vector<ResIDT> GetLayoutIDs();

    // Item index (from 1) of string list listID; an empty string when there is no such item.
    static void GetIndString(Str255& outText, ResIDT listID, int16_t index);
    static std::string GetIndString(ResIDT listID, int16_t index);

    // Text traits record traitsID; the defaults for an unknown record.
    static TextTraits GetTextTraits(ResIDT traitsID);

    // The menus of every window's menu bar.
    static QJsonArray GetMenus();

private:
    static QJsonObject ReadJson(const char* path);
};
