#include "fuzz/FuzzEntries.h"
#include "sensors/TimelineFile.h"

#include <string>
#include <string_view>

int FuzzTimelineFile(const uint8_t* data, size_t size)
{
    std::string problem;
    std::optional<TimelineFile::Timelines> timelines
        = TimelineFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), problem);
    if (!timelines) {
        FuzzCheck(!problem.empty(), "a damaged timeline says why");
        return 0;
    }
    for (const auto& [key, timeline] : *timelines) {
        FuzzCheck(!key.empty(), "every timeline has a key");
        FuzzCheck(timeline.Count() <= SampleTimeline::kCapacity, "no more samples than a history holds");
        // Where a graph places them, samples never come out of order.
        std::vector<SampleTimeline::Placement> placed = timeline.PlaceBefore(0);
        for (size_t i = 1; i < placed.size(); ++i)
            FuzzCheck(placed[i].secondsAgo > placed[i - 1].secondsAgo, "placed in order");
    }
    // What was read, written again, reads back the same.
    std::string written = TimelineFile::Format(*timelines);
    std::optional<TimelineFile::Timelines> again = TimelineFile::Parse(written, problem);
    FuzzCheck(again && *again == *timelines, "a timeline written again reads back the same");
    return 0;
}
