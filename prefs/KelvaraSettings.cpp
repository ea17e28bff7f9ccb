#include "prefs/KelvaraSettings.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "util/UtilitiesFolder.h"

#include <QSettings>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    if (path.empty() || !IsReadable(path))
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

bool KelvaraSettings::IsReadable(const std::string& path)
{
    // The settings reader takes whatever the path names: a named pipe would hold the start-up for good, and
    // a link to /dev/zero would fill the memory.
    try {
        LFileStream check;
        check.OpenForReading(path, kMostFileBytes);
        return true;
    } catch (const LException& e) {
        if (e.GetErrorCode() == fnfErr)
            return false;
        std::string problem = LFileStream::DescribeReadFailure(e);
        std::string keptAs = SetAsideDamagedFile(path);
        if (!keptAs.empty()) {
            std::fprintf(stderr,
                "Kelvara: \"%s\" %s; it is kept as \"%s\" and the settings in it keep their defaults\n", path.c_str(),
                problem.c_str(), keptAs.c_str());
        } else {
            int error = errno;
            mFileWritable = false;
            std::fprintf(stderr,
                "Kelvara: \"%s\" %s and cannot be set aside (%s); it is left as it is and not written while Kelvara "
                "runs, and the settings in it keep their defaults\n",
                path.c_str(), problem.c_str(), std::strerror(error));
        }
        return false;
    }
}

std::string KelvaraSettings::GetUsablePath(bool createFolder) const
{
    return mFileWritable ? GetPath(createFolder) : std::string();
}

void KelvaraSettings::SetWarnAtLimits(bool warn)
{
    mWarnAtLimits = warn;
    if (!mFileWritable) {
        std::fprintf(stderr, "Kelvara: the notification setting holds until quit; its file is left as it was found\n");
        return;
    }
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
