// The long-term history written out as CSV, one file per sensor, from the data files alone: it reads them
// without changing or locking anything, so it works while Kelvara runs elsewhere.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

class SampleTimeline;

struct HistoryExportResult {
    // The CSV files written, by path.
    std::vector<std::string> written;
    // One line for each data file (or folder) that could not be exported, and why.
    std::vector<std::string> problems;
};

class HistoryExport {
public:
    // Writes "<data file name>.csv" into destination (made when missing) for every data file in
    // dataFolder. Each problem is also reported on standard error; files that were written stay.
    static HistoryExportResult ExportFolder(const std::string& dataFolder, const std::string& destination);
    // The same from the program's folder, which it does not create.
    static HistoryExportResult ExportProgramFolder(const std::string& destination);
    // --export: the program folder's histories into destination, with a line on standard output saying how many
    // were written. Returns the program's exit status: 0, or 1 when anything went wrong.
    static int ExportForCommandLine(const std::string& destination);

    // The long-term samples of a data file's bytes, newest first; throws eofErr for a file that ends
    // before its counts say, and the version for one whose version is neither 2 nor 3.
    static std::vector<int32_t> ReadLongTermHistory(const std::vector<uint8_t>& bytes);

    // The CSV of one sensor of type: a header, then one line a sample, oldest first, each dated by the
    // timeline (which dates as many samples), time stamps in ISO 8601 local time with the offset from UTC,
    // values in degrees Celsius with all their precision.
    static std::string MakeCsv(const std::vector<int32_t>& newestFirst, int32_t type, const SampleTimeline& timeline);

    // The recorded timelines in dataFolder by data file name, through the sensors' keys in the settings
    // file; none when either cannot be read (the samples are then dated a minute apart).
    static std::map<std::string, SampleTimeline> ReadTimelines(const std::string& dataFolder);

    // Whether name (in the program's folder) is a sensor's data file: "NN name", not a copy set aside as
    // damaged, not a copy beside a data file, not a hidden file (the lock, a file being written), not a CSV.
    static bool IsDataFileName(const std::string& name, const std::vector<std::string>& folderNames);
};
