#include "framework/UFonts.h"

#include <QFontDatabase>

QFont UFonts::ForFamily(const std::string& family)
{
    QFont font;
    if (family == "Courier") {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setStyleHint(QFont::Monospace);
    } else if (family == "Helvetica") {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
    } else {
        font = QFont(QString::fromStdString(family));
    }
    return font;
}
