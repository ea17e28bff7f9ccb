#include "platform/SingleInstance.h"

#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Role = SingleInstance::Role;

TEST(SingleInstance, ASecondLaunchHandsOverToTheRunningOne)
{
    TemporaryFolder home;
    std::string folder = home / "kelvara";
    SingleInstance running(folder);
    ASSERT_EQ(running.Claim(), Role::Primary);
    struct stat info { };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "the folder is the user's alone";

    // The running one takes the hand-over as its event loop would, when the socket is readable.
    std::optional<bool> taken;
    std::thread loop([&] {
        pollfd wanted { running.GetListeningSocket(), POLLIN, 0 };
        if (::poll(&wanted, 1, 5000) == 1)
            taken = running.AcceptHandOver();
    });
    SingleInstance second(folder);
    EXPECT_EQ(second.Claim(5000), Role::HandedOver);
    loop.join();
    EXPECT_EQ(taken, true);
}

// What a crash leaves behind blocks nothing; a running one that does not answer keeps a launch out (two
// samplers would write the same files), and one that quits lets a waiting launch start.
TEST(SingleInstance, NothingLeftByACrashBlocksAndOnlyOneRunsAtATime)
{
    TemporaryFolder home;
    std::string folder = home / "kelvara";
    pid_t crashing = ::fork();
    ASSERT_GE(crashing, 0);
    if (crashing == 0) {
        SingleInstance doomed(folder);
        if (doomed.Claim() == Role::Primary)
            ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(crashing, &status, 0), crashing);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the first one held the lock, then crashed";
    EXPECT_TRUE(TestFiles::Exists(folder + "/kelvara.lock") && TestFiles::Exists(folder + "/kelvara.socket"));

    auto running = std::make_unique<SingleInstance>(folder);
    ASSERT_EQ(running->Claim(), Role::Primary);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SingleInstance(folder).Claim(300), Role::Busy) << "it never takes the hand-over";
    EXPECT_NE(testing::internal::GetCapturedStderr().find("does not answer"), std::string::npos);

    // It quits once the waiting launch knocks, without answering.
    std::thread quitting([&] {
        pollfd knock { running->GetListeningSocket(), POLLIN, 0 };
        EXPECT_EQ(::poll(&knock, 1, 5000), 1);
        running.reset();
    });
    EXPECT_EQ(SingleInstance(folder).Claim(5000), Role::Primary);
    quitting.join();
}

// Where the lock cannot be had safely, the launch runs on its own and says why.
TEST(SingleInstance, AFolderThatIsNotTheUsersAloneIsNotUsed)
{
    TemporaryFolder home;
    TestFiles::Write(home / "a file", "");
    TestFiles::MakeFolder(home / "open to all");
    ::chmod((home / "open to all").c_str(), 0777);
    TestFiles::Symlink(home / "elsewhere", home / "a link");
    TestFiles::MakeFolder(home / "elsewhere");
    for (const char* name : { "a file", "open to all", "a link", "missing/below" }) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(SingleInstance(home / name).Claim(), Role::Alone) << name;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("without checking"), std::string::npos) << name;
    }
}
