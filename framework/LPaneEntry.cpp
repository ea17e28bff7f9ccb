#include "framework/LPaneEntry.h"

#include <QJsonArray>

#include <cstdio>

PaneIDT LPaneEntry::RowPaneID(const std::string& prefix, int32_t row)
{
    char text[64];
    if (row >= 100 && row < kLastRowWithID + 1 && prefix.size() == 2) {
        // "%s%02d" would need a third digit and lose it to the four-character cut (row 100 would be row 10):
        // the tens take a letter instead, A for 10 tens, B for 11 and so on, then a to z.
        int32_t tens = row / 10 - 10;
        char letter = static_cast<char>(tens < 26 ? 'A' + tens : 'a' + (tens - 26));
        std::snprintf(text, sizeof text, "%s%c%d", prefix.c_str(), letter, static_cast<int>(row % 10));
    } else {
        std::snprintf(text, sizeof text, "%s%02d", prefix.c_str(), static_cast<int>(row));
    }
    return FourCCFromText(text);
}

LPaneEntry::LPaneEntry(QJsonObject object, int32_t row)
    : mObject(std::move(object))
{
    std::string id = GetString("id");
    mInfo.paneID = row >= 0 ? RowPaneID(id, row) : (id.empty() ? 0 : FourCCFromText(id));
    QJsonArray frame = mObject.value("frame").toArray();
    if (frame.size() == 4) {
        mInfo.left = frame[0].toInt();
        mInfo.top = frame[1].toInt();
        mInfo.width = static_cast<int16_t>(frame[2].toInt());
        mInfo.height = static_cast<int16_t>(frame[3].toInt());
    }
    if (row >= 0) {
        QJsonObject rows = mObject.value("rows").toObject();
        mInfo.top += (row - rows.value("first").toInt()) * rows.value("step").toInt();
    }
    mInfo.visible = GetBool("visible", true);
    mInfo.enabled = GetBool("enabled", true);
    if (Has("bind")) {
        std::string bind = GetString("bind");
        mInfo.bindings = SBooleanRect { bind.find('l') != std::string::npos, bind.find('t') != std::string::npos,
            bind.find('r') != std::string::npos, bind.find('b') != std::string::npos };
    }
}

ClassIDT LPaneEntry::GetClassID() const
{
    return FourCCFromText(GetString("class"));
}

bool LPaneEntry::Has(const char* key) const
{
    return mObject.contains(QLatin1String(key));
}

std::string LPaneEntry::GetString(const char* key, const std::string& fallback) const
{
    QJsonValue value = mObject.value(QLatin1String(key));
    return value.isString() ? value.toString().toStdString() : fallback;
}

int32_t LPaneEntry::GetInt(const char* key, int32_t fallback) const
{
    QJsonValue value = mObject.value(QLatin1String(key));
    return value.isDouble() ? value.toInt() : fallback;
}

bool LPaneEntry::GetBool(const char* key, bool fallback) const
{
    QJsonValue value = mObject.value(QLatin1String(key));
    return value.isBool() ? value.toBool() : fallback;
}

std::vector<std::string> LPaneEntry::GetStrings(const char* key) const
{
    std::vector<std::string> strings;
    for (const QJsonValue& value : mObject.value(QLatin1String(key)).toArray())
        strings.push_back(value.toString().toStdString());
    return strings;
}

bool LPaneEntry::GetPair(const char* key, int32_t& first, int32_t& second) const
{
    QJsonArray pair = mObject.value(QLatin1String(key)).toArray();
    if (pair.size() != 2)
        return false;
    first = pair[0].toInt();
    second = pair[1].toInt();
    return true;
}

std::vector<LPaneEntry> LPaneEntry::GetSubpanes() const
{
    std::vector<LPaneEntry> subpanes;
    for (const QJsonValue& value : mObject.value("panes").toArray()) {
        QJsonObject object = value.toObject();
        if (object.contains("rows")) {
            QJsonObject rows = object.value("rows").toObject();
            int32_t first = rows.value("first").toInt();
            int32_t count = rows.value("count").toInt();
            for (int32_t row = first; row < first + count; ++row)
                subpanes.emplace_back(object, row);
        } else {
            subpanes.emplace_back(object);
        }
    }
    return subpanes;
}

std::vector<LPaneEntry> LPaneEntry::GetRowEntries(int32_t row) const
{
    std::vector<LPaneEntry> entries;
    for (const QJsonValue& value : mObject.value("panes").toArray()) {
        QJsonObject object = value.toObject();
        if (object.contains("rows"))
            entries.emplace_back(object, row);
    }
    return entries;
}

bool LPaneEntry::HasSubpanes() const
{
    return !mObject.value("panes").toArray().isEmpty();
}
