// Which sensors the machine offers, found by the fixed rules: registry entries first, then the CPU packages,
// then the NVIDIA graphics cards, and the SMC's sensors only when those found nothing. Discovery reads names, labels
// and limits, never a reading, and runs on a worker thread: a hung chip must not hold the program.
#pragma once

#include "platform/ProcessorTemperatures.h"
#include "platform/SensorRegistry.h"
#include "sensors/SensorDescription.h"

#include <memory>
#include <vector>

class NvmlSession;

class SensorDiscovery {
public:
    // Every sensor, in discovery order. withSMC: fall back on the SMC when nothing else is found (the first
    // discovery of a launch; the SMC does not come and go). nvml reads the NVIDIA cards of a machine scanned
    // in sysfs; without it they are not looked for.
    static std::vector<SensorDescription> Discover(bool withSMC, const std::shared_ptr<NvmlSession>& nvml = {});

    // One sensor of type over a source of the platform's services, described as discovery would: a registry
    // entry (types 1, 2, 3, 5, 6), a processor (4), an SMC sensor (7). Another type has no reader and no name.
    static SensorDescription Describe(uint32_t source, int32_t type);

private:
    static SensorDescription DescribeRegistryEntry(
        const std::shared_ptr<SensorRegistry>& registry, SensorRegistry::EntryID entry, int32_t type);
    static SensorDescription DescribeProcessor(
        const std::shared_ptr<ProcessorTemperatures>& processors, int32_t processor);
    static SensorDescription DescribeSMCSensor(int32_t sensor);
    static void DiscoverRegistrySensors(std::vector<SensorDescription>& found);
    static void DiscoverProcessorSensors(std::vector<SensorDescription>& found);
    // The NVIDIA cards below the sysfs root, by bus id: one sensor each, read through nvml.
    static void DiscoverNvidiaCards(std::vector<SensorDescription>& found, const std::shared_ptr<NvmlSession>& nvml);
    static void DiscoverSMCSensors(std::vector<SensorDescription>& found);
};
