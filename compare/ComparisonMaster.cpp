#include "compare/ComparisonMaster.h"

#include "compare/ComparisonData.h"
#include "compare/ComparisonSystem.h"
#include "compare/ComparisonTokens.h"
#include "framework/LException.h"

#include <cstring>

ComparisonMaster* ComparisonMaster::sComparisonMaster = nullptr;

namespace {

constexpr int32_t kSystemsAllocation = 20;

}

ComparisonMaster* ComparisonMaster::Get()
{
    if (sComparisonMaster == nullptr)
        sComparisonMaster = new ComparisonMaster;
    return sComparisonMaster;
}

ComparisonMaster::ComparisonMaster()
    : mSystems(kSystemsAllocation)
{
    using namespace ComparisonData;
    AddSystem(IBOOKG3_300);
    AddSystem(IBOOKG3_500);
    AddSystem(IBOOKG3_600);
    AddDivider();
    AddSystem(PBG3_0400);
    AddSystem(PBG3_0500);
    AddDivider();
    AddSystem(IMAC_G3_0500);
    AddSystem(IMAC_G3_0700);
    AddDivider();
    AddSystem(IBOOKG4_12_0800);
    AddSystem(IBOOKG4_14_0933);
    AddSystem(IBOOKG4_14_0999);
    AddSystem(IBOOKG4_1066_April2004);
    AddSystem(IBOOKG4_1199_April2004);
    AddSystem(IBOOKG4_1333_June2004);
    AddDivider();
    AddSystem(G4_CUBE_0450);
    AddSystem(G4_CUBE_0500);
    AddDivider();
    AddSystem(G4_1x_0400);
    AddSystem(G4_1x_0450);
    AddSystem(G4_2x_0450);
    AddSystem(G4_1x_0500);
    AddSystem(G4_2x_0500);
    AddSystem(G4_2x_0867);
    AddSystem(G4_1x_1000);
    AddSystem(G4_2x_1000);
    AddSystem(G4_1x_1249);
    AddSystem(G4_2x_1249);
    AddSystem(G4_2x_1420);
    AddDivider();
    AddSystem(PBG4_12_0867);
    AddSystem(PBG4_12_1000);
    AddSystem(PBG4_12_1333);
    AddSystem(PBG4_12_1499);
    AddSystem(PBG4_15_1000);
    AddSystem(PBG4_15_1249);
    AddSystem(PBG4_15_1333);
    AddSystem(PBG4_15_1499);
    AddSystem(PBG4_15_1666);
    AddSystem(PBG4_17_1000);
    AddSystem(PBG4_17_1333);
    AddSystem(PBG4_17_1499);
    AddDivider();
    AddSystem(G5_1x_1600);
    AddSystem(G5_1x_1800);
    AddSystem(G5_1x_1800_Oct2004);
    AddSystem(G5_2x_1800);
    AddSystem(G5_2x_1800_June2004);
    AddSystem(G5_2x_2000);
    AddSystem(G5_2x_2000_June2004);
    AddSystem(G5_2x_2300);
    AddSystem(G5_2x_2500_June2004);
    AddSystem(G5_2x_2700);
    AddSystem(G5_4x_2500);
    AddDivider();
    AddSystem(XServe_G4_0999);
    AddDivider();
    AddSystem(IMAC_G5_1600);
    AddSystem(IMAC_G5_1800);
    AddSystem(IMAC_G5_1900_ISIGHT);
    AddSystem(IMAC_G5_2000);
    AddSystem(IMAC_G5_2100_ISIGHT);
    AddDivider();
    AddSystem(MACPRO_4X_3000);
}

ComparisonMaster::~ComparisonMaster() = default;

void ComparisonMaster::AddSystem(const char* const* tokens)
{
    auto& system = mOwnedSystems.emplace_back(std::make_unique<ComparisonSystem>(ThrowIfNil_(tokens)));
    mSystems.AddItem(system.get());
}

void ComparisonMaster::AddDivider()
{
    static const char* const kDivider[] = { ComparisonTokens::kSystemDivider, ComparisonTokens::kEnd };
    AddSystem(kDivider);
}

void ComparisonMaster::MatchSystemID(char* systemID) const
{
    char id[ComparisonSystem::kIDSize];
    for (ArrayIndexT n = 1; n <= mSystems.GetCount(); ++n) {
        ComparisonSystem* system = ThrowIfNil_(mSystems[n]);
        if (system->IsDivider() || std::strcmp(system->GetSystemID(id), systemID) != 0)
            continue;
        system->GetSystemName(systemID);
        return;
    }
}
