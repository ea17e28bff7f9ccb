// "Kelvara Timeline", beside the data files: when the samples of each sensor's long-term history were
// taken, by the sensor's stable key. The data files keep their format (older and newer Kelvaras read them
// alike); losing this file loses only the dating, never a sample. A small text file:
//
//     Kelvara Timeline 1
//     <key> <start> <count> <start> <count> ...
//
// one line a sensor, its stretches oldest first, each start in seconds since 1970 UTC; bytes of the key
// outside printable ASCII, spaces and '%' are written as %XX.
#pragma once

#include "sensors/SampleTimeline.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class TimelineFile {
public:
    static constexpr const char* kFileName = "Kelvara Timeline";
    // Far more than forty sensors' timelines of a stretch every other sample; a larger file is no timeline.
    static constexpr size_t kMostFileBytes = 16 << 20;

    using Timelines = std::map<std::string, SampleTimeline>;

    struct Loaded {
        Timelines timelines;
        // False when the file was there but could be neither read nor set aside: it is then not written.
        bool writable = true;
    };

    static std::string Format(const Timelines& timelines);
    // The timelines of a file's text; nullopt, with the reason in problem, for text that is not one.
    static std::optional<Timelines> Parse(std::string_view text, std::string& problem);

    // The file in folder; none there is an empty one. One that cannot be used is named on standard error and,
    // with setAside, kept as "Kelvara Timeline.damaged" (a reader that changes nothing leaves it).
    static Loaded Load(const std::string& folder, bool setAside);
    static std::string PathIn(const std::string& folder) { return folder + "/" + kFileName; }
};
