#include "platform/Platform.h"

#include "platform/LinuxMachineInfo.h"
#include "platform/LinuxProcessorTemperatures.h"
#include "platform/LinuxSMCUserClient.h"
#include "platform/LinuxSensorRegistry.h"

namespace {

std::string& Root()
{
    static std::string root = "/";
    return root;
}

// Whether the services are the Linux ones, which a scan makes anew.
bool& ScansLinux()
{
    static bool linux = true;
    return linux;
}

}

PlatformServices& Platform::Services()
{
    static PlatformServices services;
    return services;
}

void Platform::InstallLinux(const std::string& root)
{
    Root() = root;
    ScansLinux() = true;
    Services() = PlatformServices {};
}

void Platform::Install(PlatformServices services, const std::string& root)
{
    Root() = root;
    ScansLinux() = !services.registry && !services.processors;
    Services() = std::move(services);
}

// The Linux services are made on first use (the URL launcher in URLLauncher.cpp, with the desktop's
// library that it needs), so that a sysfs tree is read only when the program asks for it.
SensorRegistry& Platform::Registry()
{
    if (!Services().registry)
        Services().registry = std::make_unique<LinuxSensorRegistry>(Root());
    return *Services().registry;
}

const std::string& Platform::SysfsRoot()
{
    return Root();
}

bool Platform::ScansMachine()
{
    return ScansLinux();
}

std::shared_ptr<SensorRegistry> Platform::ScanRegistry()
{
    if (ScansLinux())
        return std::make_shared<LinuxSensorRegistry>(Root());
    Registry();
    return Services().registry;
}

std::shared_ptr<ProcessorTemperatures> Platform::ScanProcessors()
{
    if (ScansLinux())
        return std::make_shared<LinuxProcessorTemperatures>(Root());
    Processors();
    return Services().processors;
}

ProcessorTemperatures& Platform::Processors()
{
    if (!Services().processors)
        Services().processors = std::make_unique<LinuxProcessorTemperatures>(Root());
    return *Services().processors;
}

SMCUserClient& Platform::SMC()
{
    if (!Services().smc)
        Services().smc = std::make_unique<LinuxSMCUserClient>(Root());
    return *Services().smc;
}

MachineInfo& Platform::Machine()
{
    if (!Services().machine)
        Services().machine = std::make_unique<LinuxMachineInfo>(Root());
    return *Services().machine;
}

UserFolders& Platform::Folders()
{
    if (!Services().folders)
        Services().folders = std::make_unique<LinuxUserFolders>();
    return *Services().folders;
}

Clock& Platform::GetClock()
{
    if (!Services().clock)
        Services().clock = std::make_unique<LinuxClock>();
    return *Services().clock;
}
