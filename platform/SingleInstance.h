// One running Kelvara per user, so that one sampler writes one set of files: a lock that the kernel lets go
// of when its holder ends (however it ends, so a crash leaves nothing that blocks), and a local socket on
// which a second launch hands over to the running one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class SingleInstance {
public:
    enum class Role {
        Primary, // this process holds the lock and takes hand-overs
        HandedOver, // a running Kelvara took this launch over (or samples already); this process ends
        Busy, // a running Kelvara holds the lock but did not answer in time; this process must not sample
        Alone, // the folder is unusable: this process takes no hand-over (the data folder's lock still keeps
               // a second writer out)
    };

    // folder holds the lock file and the socket; it is made (mode 0700) when missing and must belong to the
    // user and be closed to others.
    explicit SingleInstance(std::string folder);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // What this launch is: a desktop Kelvara asks the running one for its windows, or to hand the sampling
    // over when it runs without windows; a Kelvara without windows only asks whether one samples already.
    enum class Launch { Desktop, Headless };

    // A running Kelvara without windows that hands over to a desktop launch writes its files first: the
    // launch waits this long for it to end (Claim's patience notwithstanding).
    static constexpr int kTakeOverMilliseconds = 10000;

    // Becomes the running instance, or hands this launch over to the one that runs. A running one that is
    // starting up or quitting is waited for, up to patienceMilliseconds. The reasons for Alone go to
    // standard error; Busy is the caller's to tell.
    Role Claim(int patienceMilliseconds, Launch launch = Launch::Desktop);

    // What a hand-over connection has asked so far.
    enum class Request {
        Incomplete, // nothing yet, or part of the request: more may come
        Reopen, // a desktop launch asked for the running one's windows (or to take over), and was answered
        Headless, // a launch without windows asked whether one samples, and was told so
        Refused, // it sent something else, or hung up
    };

    // The primary's listening socket, for the event loop to watch; -1 when not listening.
    int GetListeningSocket() const { return mListener; }
    // Takes one waiting hand-over connection, without waiting: its descriptor (non-blocking; the caller
    // closes it), or -1 when none is waiting.
    int AcceptConnection();
    // What the launch handed over brought from its launcher, so that the running one may take the focus in
    // its place: the X11 startup notification's id and the Wayland activation token; empty when not given.
    struct Activation {
        std::string startupId;
        std::string activationToken;
        bool operator==(const Activation&) const = default;
    };
    static constexpr size_t kLongestToken = 255;

    // Reads what the connection has sent into received (which holds what came before), without waiting; a
    // complete request fills activation.
    // How the running one answers a desktop launch: it brings its windows forward, or (without windows) it
    // quits and lets the launch sample.
    enum class Answer { Reopen, Yield };
    static Request ReadRequest(
        int connection, std::string& received, Activation& activation, Answer toDesktop = Answer::Reopen);
    // The request's second line ("activate NAME=value ..."), without its line feed; nullopt when it is none.
    static std::optional<Activation> ParseActivation(std::string_view line);
    // Refuses further hand-overs (a quitting program cannot take them); the lock is kept until the end.
    void StopListening();

    // $XDG_RUNTIME_DIR/kelvara when that is set and absolute, else /tmp/kelvara-<uid>.
    static std::string DefaultFolder();

private:
    bool PrepareFolder();
    bool Listen();
    enum class HandOver { Done, Yielded, Failed };
    HandOver TryHandOver(Launch launch, int answerMilliseconds);

    std::string mFolder;
    int mLock = -1;
    int mListener = -1;
};
