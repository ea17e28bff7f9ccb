// Runs the version check on a thread of its own and hands its outcome back to the event loop, so that the
// windows stay responsive however long the server takes.
#pragma once

#include "report/MacPADCheck.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QObject;

class VersionCheckWorker {
public:
    struct Outcome {
        int code = kMacPADNetworkFailure; // MacPADResult
        std::optional<std::string> publishedVersion;
        std::optional<std::string> releaseNotes;
    };
    using Report = std::function<void(const Outcome&)>;

    // report receives the outcome of every check, on the event loop of the thread that makes the worker.
    explicit VersionCheckWorker(Report report);
    // Never waits for a check under way: that one ends alone, by its time limit, and its outcome is dropped.
    ~VersionCheckWorker();
    VersionCheckWorker(const VersionCheckWorker&) = delete;
    VersionCheckWorker& operator=(const VersionCheckWorker&) = delete;

    // Starts checking currentVersion against the product information at url, within the check's time
    // limit, unless a check is under way already (false then: its outcome stands for both).
    bool Start(std::string currentVersion, std::string url);
    // From Start until the outcome has been reported.
    bool IsUnderWay() const { return mUnderWay; }

    // The checks, of every worker, whose threads have not ended yet (those of workers that are gone
    // included): what a test waits for.
    static int ChecksRunning();

private:
    struct Mailbox;
    void Deliver(const Outcome& outcome);

    Report mReport;
    bool mUnderWay = false;
    // Where a check's thread posts its outcome; shared with every thread started, so that it outlives the
    // worker for as long as one of them runs.
    std::shared_ptr<Mailbox> mMailbox;
    // The object whose event loop delivers the outcome: it goes with the worker, and with it any outcome
    // posted but not yet delivered.
    std::unique_ptr<QObject> mReceiver;
};
