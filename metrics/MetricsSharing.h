// Shares the sensors' readings with Prometheus as the user chose: an HTTP endpoint to scrape, a file for
// node_exporter's textfile collector, or both. Nothing is shared unless asked for.
#pragma once

#include "metrics/MetricsAddress.h"
#include "metrics/MetricsEndpoint.h"
#include "metrics/MetricsReadings.h"
#include "metrics/MetricsResponder.h"
#include "metrics/MetricsTextfile.h"

#include <memory>
#include <optional>
#include <string>

struct MetricsChoices {
    // Where the endpoint listens; none leaves it off.
    std::optional<MetricsAddress> listen;
    // A file whose first line is the bearer token that scrapes must present; empty for none.
    std::string tokenFile;
    // Where the textfile is written after every sample; empty for none.
    std::string file;
};

class MetricsSharing {
public:
    // readings must outlive the sharing.
    MetricsSharing(const MetricsReadings& readings, std::string version);
    ~MetricsSharing();

    // Starts what choices ask for and stops the rest. The endpoint stays off when its token file is refused
    // or its address cannot be listened at; false then, with error saying why.
    bool Apply(const MetricsChoices& choices, std::string& error);
    // After every sample: writes the textfile, when there is one.
    void SampleRecorded();
    // The endpoint's port while it listens, else 0.
    uint16_t GetListeningPort() const;
    bool IsSharing() const { return mEndpoint != nullptr || mTextfile != nullptr; }

private:
    const MetricsReadings& mReadings;
    std::string mVersion;
    MetricsChoices mApplied;
    std::unique_ptr<MetricsResponder> mResponder;
    std::unique_ptr<MetricsEndpoint> mEndpoint;
    std::unique_ptr<MetricsTextfile> mTextfile;
};
