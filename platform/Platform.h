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
    std::unique_ptr<SensorRegistry> registry;
    std::unique_ptr<ProcessorTemperatures> processors;
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
    // Replaces the services; any left empty get their Linux implementation on "/".
    static void Install(PlatformServices services);

    static SensorRegistry& Registry();
    static ProcessorTemperatures& Processors();
    static SMCUserClient& SMC();
    static MachineInfo& Machine();
    static UserFolders& Folders();
    static Clock& GetClock();
    static URLLauncher& Launcher();

private:
    static PlatformServices& Services();
};
