#include "framework/UResources.h"

#include "framework/LException.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <map>

QJsonObject UResources::ReadJson(const char* path)
{
    // Resources are compiled in and never change: each is parsed once. A data window alone asks for the
    // text traits of several hundred panes.
    static std::map<std::string, QJsonObject> parsed;
    if (auto found = parsed.find(path); found != parsed.end())
        return found->second;
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonParseError error {};
    QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        Throw_(
            err_NilPointer, std::string("resource ") + path + " cannot be read: " + error.errorString().toStdString());
    return parsed[path] = document.object();
}

LPaneEntry UResources::GetLayout(ResIDT layoutID)
{
    std::string path = ":/resources/layouts/" + std::to_string(layoutID) + ".json";
    QJsonObject layout = ReadJson(path.c_str());
    if (layout.isEmpty())
        Throw_(err_NilPointer, "no window layout " + std::to_string(layoutID));
    return LPaneEntry(layout);
}

std::vector<ResIDT> UResources::GetLayoutIDs()
{
    std::vector<ResIDT> ids;
    for (const QString& name : QDir(QStringLiteral(":/resources/layouts")).entryList({ QStringLiteral("*.json") })) {
        bool ok = false;
        int id = name.chopped(5).toInt(&ok);
        if (ok)
            ids.push_back(static_cast<ResIDT>(id));
    }
    return ids;
}

void UResources::GetIndString(Str255& outText, ResIDT listID, int16_t index)
{
    SetStr255(outText, GetIndString(listID, index));
}

std::string UResources::GetIndString(ResIDT listID, int16_t index)
{
    QJsonArray list = ReadJson(":/resources/Strings.json").value(QString::number(listID)).toArray();
    if (index < 1 || index > list.size())
        return {};
    return list[index - 1].toString().toStdString();
}

TextTraits UResources::GetTextTraits(ResIDT traitsID)
{
    TextTraits traits;
    QJsonObject record = ReadJson(":/resources/TextTraits.json").value(QString::number(traitsID)).toObject();
    if (record.isEmpty())
        return traits;
    traits.family = record.value("family").toString(QStringLiteral("Helvetica")).toStdString();
    traits.size = record.value("size").toInt(12);
    traits.bold = record.value("bold").toBool(false);
    traits.italic = record.value("italic").toBool(false);
    QJsonArray color = record.value("color").toArray();
    if (color.size() == 3) {
        traits.color = RGBColor { static_cast<uint16_t>(color[0].toInt()), static_cast<uint16_t>(color[1].toInt()),
            static_cast<uint16_t>(color[2].toInt()) };
        traits.fixedColor = true;
    }
    traits.alignment = record.value("align").toString(QStringLiteral("left")).toStdString();
    traits.inset = record.value("inset").toInt(0);
    return traits;
}

QJsonArray UResources::GetMenus()
{
    return ReadJson(":/resources/Menus.json").value("menus").toArray();
}
