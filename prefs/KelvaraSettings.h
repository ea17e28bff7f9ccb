// The settings that the preferences file has no field for, kept in a small key file beside it,
// "Kelvara Settings.ini", so that the preferences file stays exactly as it always was.
#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr const char* kSettingsFileName = "Kelvara Settings.ini";
// Where the metrics endpoint listens unless the user says otherwise: this machine only.
constexpr const char* kDefaultMetricsListen = "127.0.0.1:9947";

class KelvaraSettings {
public:
    // The instance; the first call reads the file (a missing file gives the defaults).
    static KelvaraSettings* Get();
    // The file holds one line or two; a larger one is no file of Kelvara's and is set aside unread.
    static constexpr size_t kMostFileBytes = 1 << 20;
    // For tests: deletes the instance, so that the next Get reads the file again.
    static void DeleteInstanceForTesting();

    // Whether a sensor that reaches its high limit is announced with a desktop notification.
    bool GetWarnAtLimits() const { return mWarnAtLimits; }
    // Stores the value and writes the file at once; a file that cannot be written is reported on
    // standard error and the value holds for this run.
    void SetWarnAtLimits(bool warn);

    // Sharing the readings with Prometheus: whether the endpoint is on, and where it listens ("[ADDRESS:]PORT",
    // as the user wrote it; checked when the endpoint starts).
    bool GetShareReadings() const { return mShareReadings; }
    const std::string& GetMetricsListen() const { return mMetricsListen; }
    // Both stored at once and written to the file, as SetWarnAtLimits does.
    void SetShareReadings(bool share, const std::string& listen);
    // Set in the file only: the bearer token's file, and the textfile for node_exporter (empty: none).
    const std::string& GetMetricsTokenFile() const { return mMetricsTokenFile; }
    const std::string& GetMetricsFile() const { return mMetricsFile; }

    // The time scale of each graph window recorded in the preferences, in the order of their records:
    // pixels per minute, or 0 where the window chooses its own. A window past the end of the list has none.
    const std::vector<int32_t>& GetGraphWindowTimeScales() const { return mGraphWindowTimeScales; }
    // Writes the file when the list differs from the one it holds; a file that cannot be written is reported
    // on standard error.
    void SetGraphWindowTimeScales(const std::vector<int32_t>& scales);
    // The file's path, for others that keep their settings in it (the sensors' indices): empty when there is
    // no folder, or when the file found at start-up could be neither used nor set aside.
    std::string GetUsablePath(bool createFolder) const;

private:
    KelvaraSettings();
    void ReadGraphWindowTimeScales(class QSettings& file, const std::string& path);
    // The file's path in the program's folder; empty when there is no such folder.
    static std::string GetPath(bool createFolder);
    // Whether the file at path may be handed to the settings reader: a regular file of at most
    // kMostFileBytes. One that is not is set aside as damaged, or, when it cannot be moved, left alone and
    // not written.
    bool IsReadable(const std::string& path);
    void ReadMetrics(class QSettings& file, const std::string& path);
    // Writes values into the file at once; what names the setting in the messages of a failure.
    void WriteValues(const std::vector<std::pair<QString, QVariant>>& values, const char* what);

    bool mWarnAtLimits = true;
    bool mShareReadings = false;
    std::string mMetricsListen = kDefaultMetricsListen;
    std::string mMetricsTokenFile;
    std::string mMetricsFile;
    std::vector<int32_t> mGraphWindowTimeScales;
    bool mFileWritable = true;
    static KelvaraSettings* sInstance;
};
