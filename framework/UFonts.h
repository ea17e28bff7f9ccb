// The desktop's fonts for the family names the program draws with.
#pragma once

#include <QFont>

#include <string>

class UFonts {
public:
    // "Helvetica" stands for the desktop's sans-serif family, "Courier" for its monospace family; other
    // names are asked of the font system as they are.
    static QFont ForFamily(const std::string& family);
};
