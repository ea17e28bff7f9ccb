#include "prefs/KelvaraSettings.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "util/UtilitiesFolder.h"

#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

const QString kWarnAtLimitsKey = QStringLiteral("Notifications/WarnAtLimits");
// One entry per recorded graph window, from 1, as "GraphWindows/2/PixelsPerMinute"; no key for a window that
// chooses its own time scale.
const QString kGraphWindowsGroup = QStringLiteral("GraphWindows");
const QString kPixelsPerMinuteKey = QStringLiteral("PixelsPerMinute");
const QString kShareReadingsKey = QStringLiteral("Metrics/ShareReadings");
const QString kMetricsListenKey = QStringLiteral("Metrics/Listen");
const QString kMetricsTokenFileKey = QStringLiteral("Metrics/TokenFile");
const QString kMetricsFileKey = QStringLiteral("Metrics/File");
constexpr int32_t kTimeScales[] = { 1, 2, 5, 10, 30 };
// No desktop shows more windows than this; a larger count is a damaged file.
constexpr int kMostGraphWindows = 4096;

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
    ReadGraphWindowTimeScales(file, path);
    ReadMetrics(file, path);
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
    WriteValues({ { kWarnAtLimitsKey, warn } }, "the notification setting");
}

void KelvaraSettings::SetShareReadings(bool share, const std::string& listen)
{
    mShareReadings = share;
    mMetricsListen = listen;
    WriteValues({ { kShareReadingsKey, share }, { kMetricsListenKey, QString::fromStdString(listen) } },
        "sharing with Prometheus");
}

void KelvaraSettings::WriteValues(const std::vector<std::pair<QString, QVariant>>& values, const char* what)
{
    if (!mFileWritable) {
        std::fprintf(stderr, "Kelvara: %s holds until quit; its file is left as it was found\n", what);
        return;
    }
    std::string path = GetPath(true);
    if (path.empty()) {
        std::fprintf(stderr, "Kelvara: the program's folder cannot be made; %s holds until quit\n", what);
        return;
    }
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    for (const auto& [key, value] : values)
        file.setValue(key, value);
    file.sync();
    if (file.status() != QSettings::NoError)
        std::fprintf(stderr, "Kelvara: \"%s\" cannot be written; %s holds until quit\n", path.c_str(), what);
}

void KelvaraSettings::ReadMetrics(QSettings& file, const std::string& path)
{
    QString share = file.value(kShareReadingsKey, false).toString();
    if (share != "true" && share != "false") {
        std::fprintf(stderr,
            "Kelvara: \"%s\" holds \"%s\" for %s, which is neither true nor false; the readings are not shared\n",
            path.c_str(), qPrintable(share), qPrintable(kShareReadingsKey));
    }
    mShareReadings = share == "true";
    mMetricsListen = file.value(kMetricsListenKey, kDefaultMetricsListen).toString().toStdString();
    mMetricsTokenFile = file.value(kMetricsTokenFileKey).toString().toStdString();
    mMetricsFile = file.value(kMetricsFileKey).toString().toStdString();
}

void KelvaraSettings::ReadGraphWindowTimeScales(QSettings& file, const std::string& path)
{
    int count = file.beginReadArray(kGraphWindowsGroup);
    if (count > kMostGraphWindows) {
        std::fprintf(stderr, "Kelvara: \"%s\" names %d graph windows; only the first %d keep their time scale\n",
            path.c_str(), count, kMostGraphWindows);
        count = kMostGraphWindows;
    }
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        int32_t scale = 0;
        if (file.contains(kPixelsPerMinuteKey)) {
            QString text = file.value(kPixelsPerMinuteKey).toString();
            bool number = false;
            scale = text.toInt(&number);
            if (!number || std::find(std::begin(kTimeScales), std::end(kTimeScales), scale) == std::end(kTimeScales)) {
                std::fprintf(stderr,
                    "Kelvara: \"%s\" holds \"%s\" as the time scale of graph window %d, which is none of 1, 2, 5, "
                    "10 and 30 pixels per minute; the window chooses its own\n",
                    path.c_str(), qPrintable(text), i + 1);
                scale = 0;
            }
        }
        mGraphWindowTimeScales.push_back(scale);
    }
    file.endArray();
    while (!mGraphWindowTimeScales.empty() && mGraphWindowTimeScales.back() == 0)
        mGraphWindowTimeScales.pop_back();
}

void KelvaraSettings::SetGraphWindowTimeScales(const std::vector<int32_t>& given)
{
    // Windows that choose their own time scale at the end of the list need no entry.
    std::vector<int32_t> scales = given;
    while (!scales.empty() && scales.back() == 0)
        scales.pop_back();
    if (scales == mGraphWindowTimeScales)
        return;
    mGraphWindowTimeScales = scales;
    if (!mFileWritable)
        return;
    std::string path = GetPath(true);
    if (path.empty()) {
        std::fprintf(stderr, "Kelvara: the program's folder cannot be made; the graphs' time scales are not kept\n");
        return;
    }
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    file.remove(kGraphWindowsGroup);
    file.beginWriteArray(kGraphWindowsGroup, static_cast<int>(scales.size()));
    for (size_t i = 0; i < scales.size(); ++i) {
        file.setArrayIndex(static_cast<int>(i));
        if (scales[i] > 0)
            file.setValue(kPixelsPerMinuteKey, scales[i]);
    }
    file.endArray();
    file.sync();
    if (file.status() != QSettings::NoError)
        std::fprintf(stderr, "Kelvara: \"%s\" cannot be written; the graphs' time scales are not kept\n", path.c_str());
}
