// The exposition as a file for node_exporter's textfile collector, replaced whole after every sample: it is
// written to a temporary file in the same folder, whose name does not end in ".prom" (so the collector never
// reads it half written), and renamed over the file. Mode 0644, so that node_exporter's own user can read it.
#pragma once

#include <string>
#include <string_view>

class MetricsTextfile {
public:
    explicit MetricsTextfile(std::string path);

    // Replaces the file with contents; false when it could not, said once on standard error until it works
    // again, so that a full disk does not fill the log every five seconds.
    bool Write(std::string_view contents);
    const std::string& GetPath() const { return mPath; }

private:
    std::string mPath;
    std::string mLastProblem;
};
