// Watches every sensor's samples against its high limit (the hardware monitor's max, else its crit): a
// summary naming the sensors at their limit goes to whoever shows it (the tray icon's tool tip), and a sensor that
// crosses its limit is announced with one desktop notification, unless the user turned them off. It looks at every
// sensor's newest reading after each sample, with no timer of its own, and so also at sensors that join later.
#pragma once

#include "framework/LListener.h"
#include "sensors/LimitAlarm.h"

#include <functional>
#include <map>
#include <string>

class Notifier;
class SensorMaster;
class TemperatureSensor;

class LimitWatch : public LListener {
public:
    // Listens to sensors and looks at every sensor's newest reading at once. notifier must outlive the watch.
    // onSummaryChanged hears MakeToolTip's text whenever a sensor comes to its limit or leaves it (a program
    // without windows has nothing to show it on).
    LimitWatch(SensorMaster& sensors, Notifier& notifier,
        std::function<void(const std::string& summary)> onSummaryChanged = {});

    // msg_SamplesRecorded: checks every sensor's newest reading.
    void ListenToMessage(MessageT message, void* parameter) override;
    void CheckAll();

    // "Kelvara", then one line for each sensor at its limit.
    std::string MakeToolTip();

private:
    void Check(TemperatureSensor* sensor);
    void SummaryChanged();

    SensorMaster& mSensors;
    Notifier& mNotifier;
    std::function<void(const std::string&)> mOnSummaryChanged;
    std::map<TemperatureSensor*, LimitAlarm> mAlarms;
};
