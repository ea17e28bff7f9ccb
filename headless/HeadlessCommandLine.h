// What the command line asks of a Kelvara without windows: run, or print the version or the help.
#pragma once

#include <string>
#include <vector>

struct HeadlessCommandLine {
    bool run = true;
    // When run is false: the exit status, everything having been printed.
    int exitCode = 0;
};

// Reads the arguments (the program's name first). --headless is what brought the program here and changes
// nothing; --version and --help print to standard output; anything else is explained on standard error and
// ends with status 2.
HeadlessCommandLine ReadHeadlessCommandLine(const std::vector<std::string>& arguments, const std::string& version);
