// Sampling in tests: a sensor read and sampled on the spot, and the event loop run until the master's sampler
// has recorded a round.
#pragma once

#include <cstdint>

class SensorMaster;
class TemperatureSensor;

namespace Sampling {

// The sensors, discovered, with their first round of readings recorded.
SensorMaster& StartSensors();
// Reads the sensor's source on this thread and takes a sample of it, as one round of sampling does.
int32_t SampleNow(TemperatureSensor& sensor);
// Starts a round at once and runs the event loop until it is recorded; false after a few seconds without.
bool RecordRound(SensorMaster& master);
// Runs the event loop until the next round is recorded; false after timeoutMilliseconds.
bool AwaitRound(SensorMaster& master, int timeoutMilliseconds = 5000);

}
