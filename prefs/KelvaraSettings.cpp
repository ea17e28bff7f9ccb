#include "prefs/KelvaraSettings.h"

#include "util/UtilitiesFolder.h"

#include <QSettings>

#include <cstdio>

namespace {

const QString kWarnAtLimitsKey = QStringLiteral("Notifications/WarnAtLimits");

}

KelvaraSettings* KelvaraSettings::sInstance = nullptr;

KelvaraSettings* KelvaraSettings::Get()
{
    if (sInstance == nullptr)
        sInstance = new KelvaraSettings;
    return sInstance;
}

void KelvaraSettings::DeleteInstanceForTesting()
{
    delete sInstance;
    sInstance = nullptr;
}

std::string KelvaraSettings::GetPath(bool createFolder)
{
    std::string folder;
    if (FindUtilitiesFolder(createFolder, folder) != 0)
        return {};
    return folder + "/" + kSettingsFileName;
}

KelvaraSettings::KelvaraSettings()
{
    std::string path = GetPath(false);
    if (path.empty())
        return;
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        std::fprintf(stderr, "Kelvara: \"%s\" cannot be read; the settings in it keep their defaults\n", path.c_str());
        return;
    }
    QVariant warn = file.value(kWarnAtLimitsKey, true);
    if (warn.toString() != "true" && warn.toString() != "false") {
        std::fprintf(stderr,
            "Kelvara: \"%s\" holds \"%s\" for %s, which is neither true nor false; it counts as true\n", path.c_str(),
            qPrintable(warn.toString()), qPrintable(kWarnAtLimitsKey));
        return;
    }
    mWarnAtLimits = warn.toString() == "true";
}

void KelvaraSettings::SetWarnAtLimits(bool warn)
{
    mWarnAtLimits = warn;
    std::string path = GetPath(true);
    if (path.empty()) {
        std::fprintf(
            stderr, "Kelvara: the program's folder cannot be made; the notification setting holds until quit\n");
        return;
    }
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    file.setValue(kWarnAtLimitsKey, warn);
    file.sync();
    if (file.status() != QSettings::NoError)
        std::fprintf(
            stderr, "Kelvara: \"%s\" cannot be written; the notification setting holds until quit\n", path.c_str());
}
