// Every committed fuzz input runs through its entry point at every test run, so a crash once found stays
// found; an entry point stops the process when a reader breaks one of its rules.
#include "fuzz/FuzzEntries.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(FuzzCorpora, EveryCommittedInputReadsCleanly)
{
    const struct {
        const char* target;
        int (*entry)(const uint8_t*, size_t);
    } targets[] = {
        { "data_file", FuzzDataFile },
        { "preferences", FuzzPreferences },
        { "timeline_file", FuzzTimelineFile },
        { "version_reply", FuzzVersionReply },
    };
    for (const auto& target : targets) {
        SCOPED_TRACE(target.target);
        std::string folder = std::string(KELVARA_FUZZ_CORPORA) + "/" + target.target;
        std::vector<std::string> inputs = TestFiles::List(folder);
        EXPECT_FALSE(inputs.empty()) << "a seed corpus is committed for every target";
        for (const std::string& input : inputs) {
            std::vector<uint8_t> bytes = TestFiles::ReadBytes(folder + "/" + input);
            EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0) << input;
        }
    }
}
