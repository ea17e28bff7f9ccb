// Drives the stand-in NVIDIA management library that the tests build (StandInNvml.c): the cards it knows, and
// every call it was given, through the two files its environment names. The environment is set in this
// process for as long as the object lives (the library reads it at every call), and Environment() gives it
// for a program the test starts.
#pragma once

#include "tests/support/TestFolders.h"

#include <string>
#include <utility>
#include <vector>

class NvmlStandIn {
public:
    struct Card {
        std::string busId;
        unsigned celsius = 0;
        unsigned slowdown = 0;
        unsigned shutdown = 0;
        bool lost = false;
        std::string name;
    };

    NvmlStandIn();
    ~NvmlStandIn();

    // The folders that hold the library as libnvidia-ml.so.1: whole, and lacking one entry point.
    static std::string LibraryFolder();
    static std::string LackingLibraryFolder();
    static std::string Library() { return LibraryFolder() + "/libnvidia-ml.so.1"; }
    static std::string LackingLibrary() { return LackingLibraryFolder() + "/libnvidia-ml.so.1"; }

    void SetCards(const std::vector<Card>& cards) const;
    // Every call so far, one line each ("init 1", "temperature 0000:01:00.0", "shutdown 0").
    std::vector<std::string> Calls() const;
    // The calls that named the card's bus id.
    int CallsTouching(const std::string& busId) const;
    void ClearCalls() const;
    // The variables that point a program at this stand-in's files.
    std::vector<std::pair<std::string, std::string>> Environment() const;

private:
    TemporaryFolder mFolder;
};
