// The textfile for node_exporter: replaced whole, never seen half written under its own name, readable by all.
#include "metrics/MetricsTextfile.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What happened in a folder, by file name: C created, W closed after writing, M moved in.
std::vector<std::string> Events(int fd)
{
    std::vector<std::string> events;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            auto* event = reinterpret_cast<inotify_event*>(at);
            std::string kind = (event->mask & IN_CREATE) ? "C " : (event->mask & IN_CLOSE_WRITE) ? "W " : "M ";
            events.push_back(kind + (event->len > 0 ? event->name : ""));
            at += sizeof(inotify_event) + event->len;
        }
    }
    return events;
}

}

TEST(MetricsTextfile, ReplacesTheFileAtomically)
{
    TemporaryFolder folder;
    std::string path = folder / "kelvara.prom";
    int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, folder.Path().c_str(), IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO);
    mode_t old = ::umask(077);
    MetricsTextfile textfile(path);
    bool first = textfile.Write("a 1\n");
    bool second = textfile.Write("a 2\nb 3\n");
    ::umask(old);

    EXPECT_TRUE(first && second);
    TestFiles::Write(folder / "check", "");
    auto bytes = TestFiles::ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a 2\nb 3\n");
    struct stat status { };
    ::stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0644u) << "node_exporter's user reads it, whatever the umask";
    EXPECT_EQ(TestFiles::List(folder.Path()), (std::vector<std::string> { "check", "kelvara.prom" }))
        << "no temporary file is left";
    std::vector<std::string> events = Events(watch);
    ::close(watch);
    int movedIn = 0;
    for (const std::string& event : events) {
        std::string name = event.substr(2);
        if (name == "check")
            continue;
        if (name == "kelvara.prom")
            EXPECT_TRUE(event.starts_with("M ")) << "written under its own name: " << event;
        else
            EXPECT_FALSE(name.ends_with(".prom")) << "the collector would read " << name;
        movedIn += event == "M kelvara.prom" ? 1 : 0;
    }
    EXPECT_EQ(movedIn, 2);
}

TEST(MetricsTextfile, ReportsAFolderItCannotWrite)
{
    TemporaryFolder folder;
    MetricsTextfile textfile(folder / "missing/kelvara.prom");
    testing::internal::CaptureStderr();
    bool first = textfile.Write("a 1\n");
    bool second = textfile.Write("a 1\n");
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(first || second);
    EXPECT_NE(said.find("kelvara.prom"), std::string::npos);
    EXPECT_EQ(said.find("kelvara.prom"), said.rfind("kelvara.prom")) << "said once, not at every sample: " << said;
}
