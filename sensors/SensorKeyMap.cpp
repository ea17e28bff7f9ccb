#include "sensors/SensorKeyMap.h"

#include "framework/PString.h"
#include "sensors/DataFileName.h"

#include <QSettings>

#include <cstdio>
#include <set>

namespace {

const QString kGroup = QStringLiteral("Sensors");
constexpr size_t kMaximumNameBytes = 255;

// Names and keys are bytes as the kernel gave them: text where they are UTF-8, else the bytes themselves,
// so that a name of any bytes comes back the same and keeps naming its data file.
QVariant Stored(const std::string& bytes)
{
    QByteArray array = QByteArray::fromStdString(bytes);
    QString text = QString::fromUtf8(array);
    if (text.toUtf8() == array)
        return text;
    return array;
}

std::string Loaded(const QVariant& value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    return value.toString().toStdString();
}

// The name with " 2", " 3", ... when another sensor has it; the suffix is kept whole when the name is cut.
std::string UniqueName(const std::string& wanted, std::set<std::string>& used)
{
    std::string base(TruncateUtf8(wanted, kMaximumNameBytes));
    std::string name = base;
    for (int copy = 2; used.contains(name); ++copy) {
        std::string suffix = " " + std::to_string(copy);
        name = std::string(TruncateUtf8(base, kMaximumNameBytes - suffix.size())) + suffix;
    }
    used.insert(name);
    return name;
}

}

void SensorKeyMap::Load(const std::string& path)
{
    mKnown.clear();
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    int count = file.beginReadArray(kGroup);
    std::set<std::string> keys;
    std::set<int16_t> indices;
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        SensorIdentity known { Loaded(file.value("key")), 0, Loaded(file.value("name")), {} };
        bool isNumber = false;
        int index = file.value("index").toInt(&isNumber);
        if (known.key.empty() || !isNumber || index < 1 || index > INT16_MAX || keys.contains(known.key)
            || indices.contains(static_cast<int16_t>(index))) {
            std::fprintf(stderr,
                "Kelvara: \"%s\" holds a sensor entry that makes no sense (number %d); it is left out\n", path.c_str(),
                i + 1);
            continue;
        }
        known.index = static_cast<int16_t>(index);
        std::string given = Loaded(file.value("givenName"));
        known.givenName = CleanGivenName(given, known.name);
        if (known.givenName != given && !(given == known.name && known.givenName.empty())) {
            std::fprintf(stderr,
                "Kelvara: \"%s\" holds a sensor name that cannot be shown as it is (number %d); it is shown as "
                "\"%s\"\n",
                path.c_str(), i + 1, (known.givenName.empty() ? known.name : known.givenName).c_str());
        }
        keys.insert(known.key);
        indices.insert(known.index);
        mKnown.push_back(std::move(known));
    }
    file.endArray();
}

bool SensorKeyMap::Save(const std::string& path) const
{
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    file.remove(kGroup);
    file.beginWriteArray(kGroup, static_cast<int>(mKnown.size()));
    for (size_t i = 0; i < mKnown.size(); ++i) {
        file.setArrayIndex(static_cast<int>(i));
        file.setValue("key", Stored(mKnown[i].key));
        file.setValue("index", mKnown[i].index);
        file.setValue("name", Stored(mKnown[i].name));
        if (!mKnown[i].givenName.empty())
            file.setValue("givenName", QString::fromStdString(mKnown[i].givenName));
    }
    file.endArray();
    file.sync();
    if (file.status() != QSettings::NoError) {
        std::fprintf(stderr,
            "Kelvara: \"%s\" cannot be written; sensors new to this launch get the same indices at the next only "
            "while the hardware stays as it is\n",
            path.c_str());
        return false;
    }
    return true;
}

const SensorIdentity* SensorKeyMap::Find(const std::string& key) const
{
    for (const SensorIdentity& known : mKnown) {
        if (known.key == key)
            return &known;
    }
    return nullptr;
}

std::vector<SensorIdentity> SensorKeyMap::Assign(
    const std::vector<SensorDescription>& found, const std::vector<std::string>& dataFileNames)
{
    std::vector<SensorIdentity> assigned(found.size());
    std::set<int32_t> knownIndices;
    std::set<std::string> names;
    for (const SensorIdentity& known : mKnown) {
        knownIndices.insert(known.index);
        names.insert(known.name);
    }
    // An index whose data file is there belongs to that file's sensor, present or not.
    std::set<int32_t> usedIndices = knownIndices;
    for (const std::string& file : dataFileNames) {
        if (auto index = DataFileIndex(file))
            usedIndices.insert(*index);
    }

    std::vector<bool> isNew(found.size(), true);
    for (size_t i = 0; i < found.size(); ++i) {
        if (const SensorIdentity* known = Find(found[i].key)) {
            assigned[i] = *known;
            isNew[i] = false;
        }
    }
    for (size_t i = 0; i < found.size(); ++i) {
        if (!isNew[i])
            continue;
        if (const SensorIdentity* known = Find(found[i].key)) {
            // The same key twice in one discovery: the second is the first sensor again.
            assigned[i] = *known;
            continue;
        }
        SensorIdentity identity { found[i].key, 0, UniqueName(found[i].name, names), {} };
        // The first launch that keeps a map takes each sensor's history from the file its name gave it.
        std::optional<int32_t> fromFile;
        int matches = 0;
        for (const std::string& file : dataFileNames) {
            std::optional<int32_t> index = DataFileIndex(file);
            if (!index || knownIndices.contains(*index) || *index > INT16_MAX
                || MakeDataFileName(*index, identity.name) != file)
                continue;
            fromFile = index;
            ++matches;
        }
        int32_t index = 1;
        if (matches == 1) {
            index = *fromFile;
        } else {
            while (usedIndices.contains(index))
                ++index;
        }
        identity.index = static_cast<int16_t>(index);
        knownIndices.insert(index);
        usedIndices.insert(index);
        mKnown.push_back(identity);
        assigned[i] = identity;
    }
    return assigned;
}

bool SensorKeyMap::SetGivenName(const std::string& key, const std::string& givenName)
{
    for (SensorIdentity& known : mKnown) {
        if (known.key != key)
            continue;
        if (known.givenName == givenName)
            return false;
        known.givenName = givenName;
        return true;
    }
    return false;
}

std::string SensorKeyMap::CleanGivenName(const std::string& typed, const std::string& hardwareName)
{
    // A name is one line of text: a line break or a tab would break the rows, legends and menus that show it.
    QString text = QString::fromUtf8(QByteArray::fromStdString(typed));
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    std::string cleaned = text.simplified().toStdString();
    cleaned = std::string(TruncateUtf8(cleaned, kMaximumNameBytes));
    return cleaned == hardwareName ? std::string() : cleaned;
}
