#include "platform/SingleInstance.h"

#include "platform/HandOverWatch.h"
#include "tests/support/LoopbackHttp.h"
#include "tests/support/TestFolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <future>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Role = SingleInstance::Role;
using Activation = SingleInstance::Activation;

namespace {

// A client of the running one's socket in folder; reads give up after 3 seconds.
int ConnectTo(const std::string& folder)
{
    int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/kelvara.socket", folder.c_str());
    EXPECT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval wait { 3, 0 };
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return client;
}

// Launches another Kelvara on a thread of its own, turning the event loop (and calling turned after each turn)
// until its claim ends.
Role LaunchWhileServing(
    const std::string& folder, int timeout, SingleInstance::Launch launch, const std::function<void()>& turned)
{
    std::atomic<bool> launched = false;
    Role role = Role::Alone;
    std::thread launching([&] {
        role = SingleInstance(folder).Claim(timeout, launch);
        launched = true;
    });
    QElapsedTimer limit;
    limit.start();
    while (!launched && limit.elapsed() < 20000) {
        QCoreApplication::processEvents();
        turned();
    }
    launching.join();
    return role;
}

}

// A second launch hands over to the running one, whose event loop serves it. Regression: a client that
// connected and said nothing froze the windows for 2 seconds a connection; now the loop turns while it is
// connected, it is dropped after its own time limit, and the launch waiting behind it is served. Requests
// of an older Kelvara carry no tokens, and a damaged second line is refused.
TEST(SingleInstance, ASecondLaunchHandsOverAndASilentClientHoldsNothing)
{
    TemporaryFolder home;
    std::string folder = home / "kelvara";
    SingleInstance running(folder);
    ASSERT_EQ(running.Claim(0), Role::Primary);
    struct stat info { };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "the folder is the user's alone";
    std::vector<Activation> received;
    HandOverWatch watch(running, [&](const Activation& activation) { received.push_back(activation); });
    // The launcher's tokens go with the hand-over, so that the running one may take the focus.
    ::setenv("DESKTOP_STARTUP_ID", "openbox/kelvara-7-host-0_TIME123456", 1);
    ::setenv("XDG_ACTIVATION_TOKEN", "f3a9-0c1d", 1);

    int silent = ConnectTo(folder);
    auto dropped = [silent] {
        pollfd hangUp { silent, POLLIN, 0 };
        return ::poll(&hangUp, 1, 0) == 1;
    };
    int turnsWhileConnected = 0;
    Role second = LaunchWhileServing(folder, 8000, SingleInstance::Launch::Desktop, [&] {
        if (!dropped())
            ++turnsWhileConnected;
    });
    ::unsetenv("DESKTOP_STARTUP_ID");
    ::unsetenv("XDG_ACTIVATION_TOKEN");
    EXPECT_EQ(second, Role::HandedOver);
    EXPECT_EQ(received, (std::vector { Activation { "openbox/kelvara-7-host-0_TIME123456", "f3a9-0c1d" } }));
    EXPECT_TRUE(dropped());
    EXPECT_GT(turnsWhileConnected, 10);
    ::close(silent);

    const struct {
        std::string request;
        std::string answer;
        std::vector<Activation> received;
    } cases[] = {
        { "reopen\n", "ok\n", { Activation {} } },
        { "reopen\nactivate XDG_ACTIVATION_TOKEN=\"\n", "", {} },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.request);
        received.clear();
        int client = ConnectTo(folder);
        ::send(client, each.request.data(), each.request.size(), MSG_NOSIGNAL);
        auto answer = std::async(std::launch::async, [client] { return LoopbackHttp::ReadAll(client); });
        LoopbackHttp::Serve([&] { return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; });
        ::close(client);
        EXPECT_EQ(answer.get(), each.answer);
        EXPECT_EQ(received, each.received);
    }
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
        if (doomed.Claim(0) == Role::Primary)
            ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(crashing, &status, 0), crashing);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the first one held the lock, then crashed";
    EXPECT_TRUE(TestFiles::Exists(folder + "/kelvara.lock") && TestFiles::Exists(folder + "/kelvara.socket"));

    auto running = std::make_unique<SingleInstance>(folder);
    ASSERT_EQ(running->Claim(0), Role::Primary);
    EXPECT_EQ(SingleInstance(folder).Claim(300), Role::Busy) << "it never takes the hand-over";

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
        EXPECT_EQ(SingleInstance(home / name).Claim(0), Role::Alone) << name;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("takes no hand-over"), std::string::npos) << name;
    }
}

// What a hand-over may carry on its second line: the launcher's tokens, or fields of a later Kelvara, which
// are passed by; anything else is refused whole.
TEST(SingleInstance, AHandOverCarriesTheLaunchersTokensAndNothingElse)
{
    const std::pair<std::string, std::optional<Activation>> cases[] = {
        { "activate", Activation {} },
        { "activate XDG_ACTIVATION_TOKEN=abc DESKTOP_STARTUP_ID=x", Activation { "x", "abc" } },
        { "activate SCREEN=1", Activation {} },
        { "activate DESKTOP_STARTUP_ID=a\"b", std::nullopt },
        { "activate XDG_ACTIVATION_TOKEN=", std::nullopt },
        { "activate  XDG_ACTIVATION_TOKEN=a", std::nullopt },
        { "activate XDG_ACTIVATION_TOKEN", std::nullopt },
        { "activatex", std::nullopt },
        { "activate XDG_ACTIVATION_TOKEN=\xc3\xa9", std::nullopt },
        { "activate XDG_ACTIVATION_TOKEN=" + std::string(256, 'a'), std::nullopt },
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(SingleInstance::ParseActivation(line), expected) << line;
}

// A launch without windows only asks whether one samples: it ends, and the running one opens nothing. A
// desktop launch gets the windows of a desktop one; one without windows yields to it, quits, and the launch
// that waited for its lock samples in its place.
TEST(SingleInstance, WhoLaunchesDecidesTheHandOver)
{
    using Launch = SingleInstance::Launch;
    using Answer = SingleInstance::Answer;
    const struct {
        const char* name;
        Answer running; // how the running one answers a desktop launch
        Launch launch;
        Role role;
        int reopened;
    } cases[] = {
        { "without windows to desktop", Answer::Reopen, Launch::Headless, Role::HandedOver, 0 },
        { "without windows to without windows", Answer::Yield, Launch::Headless, Role::HandedOver, 0 },
        { "desktop to without windows", Answer::Yield, Launch::Desktop, Role::Primary, 1 },
    };
    for (const auto& each : cases) {
        TemporaryFolder home;
        std::string folder = home / "kelvara";
        auto running = std::make_unique<SingleInstance>(folder);
        ASSERT_EQ(running->Claim(0), Role::Primary);
        int reopened = 0;
        auto watch = std::make_unique<HandOverWatch>(
            *running, [&](const Activation&) { ++reopened; }, each.running);
        Role role = LaunchWhileServing(folder, 2000, each.launch, [&] {
            // Yielding, the running one quits: after that the launch gets the lock.
            if (reopened > 0 && each.running == Answer::Yield && running) {
                watch.reset();
                running.reset();
            }
        });
        EXPECT_EQ(role, each.role) << each.name;
        EXPECT_EQ(reopened, each.reopened) << each.name;
    }
}
