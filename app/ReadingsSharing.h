// Shares the sensors' readings with Prometheus as the settings and the command line ask: the endpoint and the
// textfile, following the preferences when the user changes them. A choice that cannot be served (a token file
// others can read, an address in use) leaves that part off, and the user is told why.
#pragma once

#include "framework/LListener.h"
#include "metrics/MetricsSharing.h"
#include "sensors/SensorMetricsFeed.h"

#include <optional>
#include <string>

class Notifier;
class SensorMaster;

struct CommandLine;

class ReadingsSharing : public LListener {
public:
    // What the command line sets holds over the settings for the whole run.
    struct Overrides {
        std::optional<std::string> listen;
        std::optional<std::string> tokenFile;
        std::optional<std::string> file;
    };

    // Listens to the sensors and the preferences; sensors and notifier must outlive it.
    ReadingsSharing(SensorMaster& sensors, Notifier& notifier, Overrides overrides, std::string version);

    // The settings, with the overrides over them: what is to be shared; false with error when the address
    // is no address.
    bool Choose(MetricsChoices& choices, std::string& error) const;
    // Starts or stops what the settings ask for now.
    void Apply();
    // msg_SamplesRecorded writes the textfile; msg_PrefsChanged applies the settings.
    void ListenToMessage(MessageT message, void* parameter) override;
    uint16_t GetListeningPort() const { return mSharing.GetListeningPort(); }

private:
    void Tell(const std::string& problem);

    Notifier& mNotifier;
    Overrides mOverrides;
    SensorMetricsFeed mFeed;
    MetricsSharing mSharing;
    // What was last applied, so that an unchanged setting does not restart the endpoint or repeat a warning.
    std::optional<std::string> mApplied;
};
