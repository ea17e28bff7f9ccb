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

}

PlatformServices& Platform::Services()
{
    static PlatformServices services;
    return services;
}

void Platform::InstallLinux(const std::string& root)
{
    Root() = root;
    Services() = PlatformServices {};
}

void Platform::Install(PlatformServices services)
{
    Root().assign(1, '/');
    Services() = std::move(services);
}

// The Linux services are made on first use, so that a sysfs tree is read only when the program asks for it.
SensorRegistry& Platform::Registry()
{
    if (!Services().registry)
        Services().registry = std::make_unique<LinuxSensorRegistry>(Root());
    return *Services().registry;
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

URLLauncher& Platform::Launcher()
{
    if (!Services().launcher)
        Services().launcher = std::make_unique<LinuxURLLauncher>();
    return *Services().launcher;
}
