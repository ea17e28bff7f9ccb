#include "platform/DataFolderLock.h"

#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Outcome = DataFolderLock::Outcome;

namespace {

// Whether the process at pid runs the program named name (its exec is done).
bool Runs(pid_t pid, const std::string& name)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string line;
    return std::getline(comm, line) && line == name;
}

}

// One writer per folder: another is refused and told which process writes. The lock goes with its holder,
// not with a program the holder started (a mail program opened through xdg-open may outlive Kelvara), and
// a launch waits for a holder that is quitting.
TEST(DataFolderLock, OneWriterPerFolderAndTheRefusalNamesIt)
{
    TemporaryFolder folder;
    const std::string lockFile = folder / ".kelvara-lock";
    auto writer = std::make_unique<DataFolderLock>(folder.Path());
    ASSERT_EQ(writer->Take(0), Outcome::Held);
    std::vector<uint8_t> named = TestFiles::ReadBytes(lockFile);
    EXPECT_EQ(std::string(named.begin(), named.end()), std::to_string(::getpid()) + "\n");

    pid_t started = ::fork();
    ASSERT_GE(started, 0);
    if (started == 0) {
        ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int wait = 0; wait < 1000 && !Runs(started, "sleep"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(Runs(started, "sleep"));

    DataFolderLock second(folder.Path());
    EXPECT_EQ(second.Take(0), Outcome::HeldByAnother);
    EXPECT_EQ(second.GetHolder(), ::getpid());
    // Only a whole line names a process: the holder may be writing it.
    const std::pair<const char*, std::optional<pid_t>> holders[] = {
        { "4242\n", 4242 },
        { "", std::nullopt },
        { "42", std::nullopt },
        { "x1\n", std::nullopt },
        { "99999999999\n", std::nullopt },
    };
    for (const auto& [text, holder] : holders) {
        TestFiles::Write(lockFile, text);
        DataFolderLock refused(folder.Path());
        EXPECT_EQ(refused.Take(0), Outcome::HeldByAnother) << text;
        EXPECT_EQ(refused.GetHolder(), holder) << text;
    }

    writer.reset();
    auto next = std::make_unique<DataFolderLock>(folder.Path());
    EXPECT_EQ(next->Take(0), Outcome::Held) << "the program the holder started holds nothing";
    ::kill(started, SIGKILL);
    ::waitpid(started, nullptr, 0);

    std::thread quitting([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        next.reset();
    });
    EXPECT_EQ(DataFolderLock(folder.Path()).Take(10000), Outcome::Held);
    quitting.join();
}
