// What the command line asks of this launch: run the monitor, print the version or the help, or export
// the history. It is read before anything else, so that those answers need no display and no lock.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action {
        Run, // the monitor itself
        Exit, // everything was printed: end with exitCode
        Export, // write the history into exportFolder and end
        Headless, // become the program without windows, which reads the command line itself
    };
    Action action = Action::Run;
    int exitCode = 0;
    std::string exportFolder;
    // Sharing with Prometheus, over what the settings say: the endpoint's "[ADDRESS:]PORT" (checked here), the
    // bearer token's file, the textfile for node_exporter.
    std::optional<std::string> metricsListen;
    std::optional<std::string> metricsTokenFile;
    std::optional<std::string> metricsFile;
};

// Exit code of a command line that cannot be understood.
constexpr int kBadCommandLineExitCode = 2;

// Whether the arguments ask for Kelvara without windows (--headless): its own options then follow, which
// this program does not know.
bool AsksForHeadless(const std::vector<std::string>& arguments);

// Reads the arguments (the program's name first). --version and --help print to standard output; an
// unknown option or argument is explained on standard error and ends with kBadCommandLineExitCode. The
// options of Qt's own (-platform, -display, -session and the like) are left for the application object.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& version);
