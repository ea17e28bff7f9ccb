#include "sensors/HistoryExport.h"

#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "prefs/KelvaraSettings.h"
#include "sensors/DataFileName.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SampleTimeline.h"
#include "sensors/SensorKeyMap.h"
#include "sensors/TemperatureSensor.h"
#include "sensors/TimelineFile.h"
#include "util/UtilitiesFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

namespace {

// "2026-03-29T03:04:00+02:00": the local time and its offset, so that the hour that repeats when the
// clocks go back is still told apart.
std::string LocalTimeStamp(std::time_t moment)
{
    std::tm local {};
    if (::localtime_r(&moment, &local) == nullptr)
        return std::to_string(static_cast<long long>(moment));
    char text[40];
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    long offset = local.tm_gmtoff;
    char sign = offset < 0 ? '-' : '+';
    offset = offset < 0 ? -offset : offset;
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", sign, offset / 3600, offset / 60 % 60);
    return text;
}

mode_t ProcessUmask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string Describe(const LException& e)
{
    return LException::DescribeCode(e.GetErrorCode());
}

}

std::vector<int32_t> HistoryExport::ReadLongTermHistory(const std::vector<uint8_t>& bytes)
{
    LMemoryStream stream(bytes);
    int32_t version = 0;
    int32_t count = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    stream >> version;
    if (version == 2)
        stream >> count >> minimum >> maximum;
    else if (version == 3)
        stream >> minimum >> maximum >> count;
    else
        Throw_(version, "the file's version is " + std::to_string(version) + ", neither 2 nor 3");
    if (count < 0 || static_cast<size_t>(count) > (stream.GetLength() - stream.GetMarker()) / 4)
        Throw_(eofErr, "the long-term sample count runs past the end of the file");
    std::vector<int32_t> samples(static_cast<size_t>(count));
    for (int32_t& sample : samples)
        stream >> sample;
    return samples;
}

std::string HistoryExport::MakeCsv(
    const std::vector<int32_t>& newestFirst, int32_t type, const SampleTimeline& timeline)
{
    std::vector<int64_t> times = timeline.TimesOldestFirst();
    std::string csv = "Time,Celsius\n";
    for (size_t i = newestFirst.size(); i-- > 0 && times.size() == newestFirst.size();) {
        std::time_t moment = static_cast<std::time_t>(times[newestFirst.size() - 1 - i]);
        csv += LocalTimeStamp(moment) + "," + FormatExactCelsius(type, newestFirst[i]) + "\n";
    }
    return csv;
}

std::map<std::string, SampleTimeline> HistoryExport::ReadTimelines(const std::string& dataFolder)
{
    std::map<std::string, SampleTimeline> byFile;
    TimelineFile::Loaded loaded = TimelineFile::Load(dataFolder, false);
    if (loaded.timelines.empty())
        return byFile;
    // The keys lead to the data files' names through the settings file, which is read only when it is a
    // regular file of a sane size (a named pipe in its place would hold the export forever).
    const std::string settings = dataFolder + "/" + kSettingsFileName;
    try {
        LFileStream check;
        check.OpenForReading(settings, KelvaraSettings::kMostFileBytes);
    } catch (const LException& e) {
        std::fprintf(stderr, "Kelvara: the settings file \"%s\" %s; the samples are dated a minute apart\n",
            settings.c_str(), LFileStream::DescribeReadFailure(e).c_str());
        return byFile;
    }
    SensorKeyMap keys;
    keys.Load(settings);
    for (const SensorIdentity& identity : keys.Known()) {
        if (auto timeline = loaded.timelines.find(identity.key); timeline != loaded.timelines.end())
            byFile[MakeDataFileName(identity.index, identity.name)] = timeline->second;
    }
    return byFile;
}

bool HistoryExport::IsDataFileName(const std::string& name, const std::vector<std::string>& folderNames)
{
    // Hidden files (the folder's lock, the temporary file of a save in progress) start with a dot, never
    // with an index.
    static const std::regex sensorFile("[0-9]{2,} .*");
    static const std::regex setAside(".*\\.damaged( [0-9]+)?");
    static const std::regex copyBeside("(.*)\\.[A-Za-z0-9]{6}");
    if (!std::regex_match(name, sensorFile) || std::regex_match(name, setAside))
        return false;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
        return false;
    // A copy beside a data file, with six letters or digits after a dot (the user's "name.backup", or the
    // temporary file of a save by an older Kelvara), is no sensor of its own.
    std::smatch parts;
    if (std::regex_match(name, parts, copyBeside)
        && std::find(folderNames.begin(), folderNames.end(), parts[1].str()) != folderNames.end())
        return false;
    return true;
}

HistoryExportResult HistoryExport::ExportFolder(const std::string& dataFolder, const std::string& destination)
{
    HistoryExportResult result;
    auto problem = [&](const std::string& text) {
        std::fprintf(stderr, "Kelvara: %s\n", text.c_str());
        result.problems.push_back(text);
    };

    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dataFolder, error)) {
        if (entry.is_regular_file(error))
            names.push_back(entry.path().filename().string());
    }
    if (error) {
        problem("the data files in \"" + dataFolder + "\" cannot be listed (" + error.message() + ")");
        return result;
    }
    std::sort(names.begin(), names.end());
    names.erase(std::remove_if(
                    names.begin(), names.end(), [&](const std::string& name) { return !IsDataFileName(name, names); }),
        names.end());
    if (names.empty()) {
        problem("there is no history to export yet: \"" + dataFolder + "\" holds no data file");
        return result;
    }
    std::filesystem::create_directories(destination, error);
    if (error) {
        problem("the folder \"" + destination + "\" cannot be made (" + error.message() + "); nothing was exported");
        return result;
    }

    std::map<std::string, SampleTimeline> timelines = ReadTimelines(dataFolder);
    for (const std::string& name : names) {
        std::string path = dataFolder + "/" + name;
        std::string csvPath = destination + "/" + name + ".csv";
        std::vector<int32_t> samples;
        struct stat info { };
        try {
            LFileStream file;
            file.OpenForReading(path, TemperatureSensor::kMostDataFileBytes);
            if (::stat(path.c_str(), &info) != 0)
                Throw_(errno);
            samples = ReadLongTermHistory(file.GetBytesHeld());
        } catch (const LException& e) {
            problem("the data file \"" + path + "\" cannot be exported: " + e.what() + " (" + Describe(e)
                + "); it is left as it is");
            continue;
        }
        // The name after the index is the sensor's; it tells the unit of the raw readings.
        std::string sensorName = name.substr(name.find(' ') + 1);
        // Without a recorded timeline, a minute a sample back from the file's last save.
        SampleTimeline timeline;
        if (auto recorded = timelines.find(name); recorded != timelines.end())
            timeline = recorded->second;
        else
            timeline = SampleTimeline::MinuteApart(static_cast<int32_t>(samples.size()), info.st_mtime);
        timeline.FitTo(static_cast<int32_t>(samples.size()), info.st_mtime);
        std::string csv = MakeCsv(samples, SensorTypeOfName(sensorName), timeline);
        try {
            LFileStream out;
            out.WriteBlock(csv.data(), csv.size());
            out.Commit(csvPath, false);
            // The data files are the user's alone; an export is made to be shared, as any new file.
            ::chmod(csvPath.c_str(), 0666 & ~ProcessUmask());
        } catch (const LException& e) {
            problem("\"" + csvPath + "\" cannot be written (" + Describe(e) + ")");
            continue;
        }
        result.written.push_back(csvPath);
    }
    return result;
}

HistoryExportResult HistoryExport::ExportProgramFolder(const std::string& destination)
{
    std::string folder;
    if (int16_t status = FindUtilitiesFolder(false, folder); status != 0) {
        HistoryExportResult result;
        result.problems.push_back("Kelvara has no folder of data files yet (" + LException::DescribeCode(status)
            + "): there is no history to export");
        std::fprintf(stderr, "Kelvara: %s\n", result.problems.back().c_str());
        return result;
    }
    return ExportFolder(folder, destination);
}

int HistoryExport::ExportForCommandLine(const std::string& destination)
{
    HistoryExportResult result = ExportProgramFolder(destination);
    if (!result.written.empty())
        std::printf("Kelvara exported the history of %zu sensors to %s\n", result.written.size(), destination.c_str());
    return result.problems.empty() ? 0 : 1;
}
