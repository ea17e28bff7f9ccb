#include "platform/SingleInstance.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kLockName = "kelvara.lock";
constexpr const char* kSocketName = "kelvara.socket";
// What a second launch asks, and in the same write a second line with the tokens its launcher gave it
// ("activate", then " NAME=value" each), so that the running one may take the focus in its place. A Kelvara
// that knows only the first line answers it and leaves the rest. What the running one answers.
constexpr std::string_view kRequest = "reopen\n";
constexpr std::string_view kActivation = "activate";
constexpr const char kAnswer[] = "ok\n";
// A launch without windows only asks whether one samples; a running one without windows answers a desktop
// launch that it quits, so that the launch samples in its place.
constexpr std::string_view kHeadlessRequest = "headless\n";
constexpr const char kYieldAnswer[] = "yield\n";
constexpr const char* kStartupIdName = "DESKTOP_STARTUP_ID";
constexpr const char* kActivationTokenName = "XDG_ACTIVATION_TOKEN";
// Longer requests are not from a Kelvara.
constexpr size_t kLongestRequest = 1024;
// How long a new launch waits for the running one's answer, which comes from its event loop.
constexpr int kAnswerMilliseconds = 2000;
constexpr int kRetryMilliseconds = 100;

using Clock = std::chrono::steady_clock;

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads up to a line feed, for at most the given time; the line without its feed, or "" on failure.
std::string ReadLine(int fd, int milliseconds)
{
    std::string line;
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (line.size() < 64) {
        int left
            = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        pollfd wanted { fd, POLLIN, 0 };
        if (left <= 0 || ::poll(&wanted, 1, left) <= 0)
            return {};
        char c = 0;
        ssize_t count = ::read(fd, &c, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count != 1)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
    return {};
}

// A token is printable ASCII without spaces and quotes, which is what launchers make, and what can be passed on
// in a startup notification's quoted field.
bool IsToken(std::string_view text)
{
    if (text.empty() || text.size() > SingleInstance::kLongestToken)
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7f && c != '"' && c != '\\'; });
}

// The request with the tokens of this launch that can be passed on.
std::string MakeRequest()
{
    std::string activation(kActivation);
    for (const char* name : { kStartupIdName, kActivationTokenName }) {
        const char* value = std::getenv(name);
        if (value != nullptr && IsToken(value))
            activation += std::string(" ") + name + "=" + value;
    }
    return std::string(kRequest) + (activation.size() > kActivation.size() ? activation + "\n" : "");
}

bool WriteAll(int fd, const char* text)
{
    size_t length = std::strlen(text);
    while (length > 0) {
        ssize_t count = ::send(fd, text, length, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        text += count;
        length -= static_cast<size_t>(count);
    }
    return true;
}

}

SingleInstance::SingleInstance(std::string folder)
    : mFolder(std::move(folder))
{
}

SingleInstance::~SingleInstance()
{
    StopListening();
    if (mLock >= 0)
        ::close(mLock);
}

std::string SingleInstance::DefaultFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/kelvara";
    return "/tmp/kelvara-" + std::to_string(::getuid());
}

bool SingleInstance::PrepareFolder()
{
    if (::mkdir(mFolder.c_str(), 0700) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "Kelvara: cannot make \"%s\" (%s); this Kelvara takes no hand-over from a later launch.\n",
            mFolder.c_str(), std::strerror(errno));
        return false;
    }
    // In a shared place such as /tmp, someone else may have made the folder first, or a link in its place.
    struct stat info { };
    if (::lstat(mFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
        || (info.st_mode & 0077) != 0) {
        std::fprintf(stderr,
            "Kelvara: \"%s\" is not a private folder of this user; this Kelvara takes no hand-over from a later "
            "launch.\n",
            mFolder.c_str());
        return false;
    }
    return true;
}

SingleInstance::Role SingleInstance::Claim(int patienceMilliseconds, Launch launch)
{
    if (!PrepareFolder())
        return Role::Alone;
    std::string lockPath = mFolder + "/" + kLockName;
    mLock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (mLock < 0) {
        std::fprintf(stderr, "Kelvara: cannot open \"%s\" (%s); this Kelvara takes no hand-over from a later launch.\n",
            lockPath.c_str(), std::strerror(errno));
        return Role::Alone;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(patienceMilliseconds);
    for (;;) {
        // The kernel drops the lock with its holder, so a lock left by a crash never blocks.
        if (::flock(mLock, LOCK_EX | LOCK_NB) == 0) {
            if (Listen())
                return Role::Primary;
            std::fprintf(stderr,
                "Kelvara: cannot listen on \"%s/%s\" (%s); a second launch will wait for this one to end.\n",
                mFolder.c_str(), kSocketName, std::strerror(errno));
            return Role::Primary;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            std::fprintf(stderr,
                "Kelvara: cannot lock \"%s\" (%s); this Kelvara takes no hand-over from a later launch.\n",
                lockPath.c_str(), std::strerror(errno));
            return Role::Alone;
        }
        // Another holds it: it takes the launch over, unless it is still starting or already quitting.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        switch (
            TryHandOver(launch, static_cast<int>(std::clamp<int64_t>(left, kRetryMilliseconds, kAnswerMilliseconds)))) {
        case HandOver::Done:
            return Role::HandedOver;
        case HandOver::Yielded:
            // It writes its files and ends, and keeps the lock until then.
            deadline = std::max(deadline, Clock::now() + std::chrono::milliseconds(kTakeOverMilliseconds));
            break;
        case HandOver::Failed:
            break;
        }
        if (Clock::now() >= deadline)
            return Role::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
    }
}

bool SingleInstance::Listen()
{
    sockaddr_un address {};
    if (!SocketAddress(mFolder + "/" + kSocketName, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    // A socket file left by a crash is stale: the lock says that nobody listens on it.
    ::unlink(address.sun_path);
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0)
        return false;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0) {
        int error = errno;
        ::close(listener);
        errno = error;
        return false;
    }
    mListener = listener;
    return true;
}

SingleInstance::HandOver SingleInstance::TryHandOver(Launch launch, int answerMilliseconds)
{
    sockaddr_un address {};
    if (!SocketAddress(mFolder + "/" + kSocketName, address))
        return HandOver::Failed;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return HandOver::Failed;
    std::string request = launch == Launch::Desktop ? MakeRequest() : std::string(kHeadlessRequest);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && WriteAll(fd, request.c_str()))
        answer = ReadLine(fd, answerMilliseconds) + "\n";
    ::close(fd);
    if (answer == kAnswer)
        return HandOver::Done;
    // Only a desktop launch is yielded to.
    if (answer == kYieldAnswer && launch == Launch::Desktop)
        return HandOver::Yielded;
    return HandOver::Failed;
}

int SingleInstance::AcceptConnection()
{
    if (mListener < 0)
        return -1;
    return ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
}

SingleInstance::Request SingleInstance::ReadRequest(
    int connection, std::string& received, Activation& activation, Answer toDesktop)
{
    const char* answer = toDesktop == Answer::Yield ? kYieldAnswer : kAnswer;
    for (;;) {
        char buffer[64];
        ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The tokens come in the same write as the request: a request that nothing follows carries none.
            if (received != kRequest)
                return Request::Incomplete;
            activation = {};
            return WriteAll(connection, answer) ? Request::Reopen : Request::Refused;
        }
        if (count <= 0)
            return Request::Refused;
        received.append(buffer, static_cast<size_t>(count));
        // Only processes of this user reach the socket (the folder is private), and only these requests count.
        if (size_t asked = std::min(received.size(), kHeadlessRequest.size());
            std::string_view(received).substr(0, asked) == kHeadlessRequest.substr(0, asked)) {
            if (received.size() < kHeadlessRequest.size())
                continue;
            if (received != kHeadlessRequest)
                return Request::Refused;
            return WriteAll(connection, kAnswer) ? Request::Headless : Request::Refused;
        }
        size_t compared = std::min(received.size(), kRequest.size());
        if (std::string_view(received).substr(0, compared) != kRequest.substr(0, compared))
            return Request::Refused;
        std::string_view rest = std::string_view(received).substr(compared);
        size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            if (received.size() > kLongestRequest)
                return Request::Refused;
            continue;
        }
        std::optional<Activation> parsed = ParseActivation(rest.substr(0, end));
        if (!parsed || end + 1 != rest.size())
            return Request::Refused;
        activation = *parsed;
        return WriteAll(connection, answer) ? Request::Reopen : Request::Refused;
    }
}

std::optional<SingleInstance::Activation> SingleInstance::ParseActivation(std::string_view line)
{
    if (!line.starts_with(kActivation))
        return std::nullopt;
    Activation activation;
    std::string_view rest = line.substr(kActivation.size());
    while (!rest.empty()) {
        if (rest.front() != ' ')
            return std::nullopt;
        rest.remove_prefix(1);
        std::string_view field = rest.substr(0, rest.find(' '));
        rest.remove_prefix(field.size());
        size_t equals = field.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        std::string_view name = field.substr(0, equals);
        std::string_view value = field.substr(equals + 1);
        if (!IsToken(value))
            return std::nullopt;
        // Names a later Kelvara may add are passed by.
        if (name == kStartupIdName)
            activation.startupId = value;
        else if (name == kActivationTokenName)
            activation.activationToken = value;
    }
    return activation;
}

void SingleInstance::StopListening()
{
    if (mListener < 0)
        return;
    ::close(mListener);
    mListener = -1;
    ::unlink((mFolder + "/" + kSocketName).c_str());
}
