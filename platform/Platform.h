// The platform services that the program uses, each behind an interface: the Linux implementations in
// the program, fixtures in tests.
#pragma once

#include "platform/Clock.h"
#include "platform/MachineInfo.h"
#include "platform/ProcessorTemperatures.h"
#include "platform/SMCUserClient.h"
#include "platform/SensorRegistry.h"
#include "platform/URLLauncher.h"
#include "platform/UserFolders.h"

#include <memory>
#include <string>

struct PlatformServices {
    std::shared_ptr<SensorRegistry> registry;
    std::shared_ptr<ProcessorTemperatures> processors;
    std::unique_ptr<SMCUserClient> smc;
    std::unique_ptr<MachineInfo> machine;
    std::unique_ptr<UserFolders> folders;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<URLLauncher> launcher;
};

class Platform {
public:
    // The Linux services reading sysfs below root ("/" for the real machine).
    static void InstallLinux(const std::string& root = "/");
    // Replaces the services; any left empty get their Linux implementation on root.
    static void Install(PlatformServices services, const std::string& root = "/");

    static SensorRegistry& Registry();
    static ProcessorTemperatures& Processors();
    // The registry and the processors as the hardware is now, for discovery on a worker thread: on Linux a
    // new scan of sysfs each time (chips come and go while the program runs), else the installed services.
    // What a scan returns is read on worker threads while the program runs, so it is shared.
    static std::shared_ptr<SensorRegistry> ScanRegistry();
    static std::shared_ptr<ProcessorTemperatures> ScanProcessors();
    // The folder the sysfs readers take as "/", and whether the services read the machine (and so may see
    // hardware come and go) rather than being installed in its place.
    static const std::string& SysfsRoot();
    static bool ScansMachine();
    static SMCUserClient& SMC();
    static MachineInfo& Machine();
    static UserFolders& Folders();
    static Clock& GetClock();
    static URLLauncher& Launcher();

private:
    static PlatformServices& Services();
};
