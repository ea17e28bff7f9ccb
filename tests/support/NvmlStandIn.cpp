#include "tests/support/NvmlStandIn.h"

#include <cstdlib>
#include <fstream>

NvmlStandIn::NvmlStandIn()
{
    SetCards({});
    for (const auto& [name, value] : Environment())
        ::setenv(name.c_str(), value.c_str(), 1);
}

NvmlStandIn::~NvmlStandIn()
{
    for (const auto& [name, value] : Environment())
        ::unsetenv(name.c_str());
}

std::string NvmlStandIn::LibraryFolder()
{
    return NVML_STAND_IN_FOLDER;
}

std::string NvmlStandIn::LackingLibraryFolder()
{
    return NVML_STAND_IN_LACKING_FOLDER;
}

void NvmlStandIn::SetCards(const std::vector<Card>& cards) const
{
    std::string text;
    for (const Card& card : cards) {
        text += card.busId + " " + std::to_string(card.celsius) + " " + std::to_string(card.slowdown) + " "
            + std::to_string(card.shutdown) + (card.lost ? " lost " : " ok ") + card.name + "\n";
    }
    TestFiles::Write(mFolder / "cards", text);
}

std::vector<std::string> NvmlStandIn::Calls() const
{
    std::vector<std::string> calls;
    std::ifstream log(mFolder / "calls");
    for (std::string line; std::getline(log, line);)
        calls.push_back(line);
    return calls;
}

int NvmlStandIn::CallsTouching(const std::string& busId) const
{
    int count = 0;
    for (const std::string& call : Calls())
        count += call.find(busId) != std::string::npos ? 1 : 0;
    return count;
}

void NvmlStandIn::ClearCalls() const
{
    TestFiles::Write(mFolder / "calls", "");
}

std::vector<std::pair<std::string, std::string>> NvmlStandIn::Environment() const
{
    return { { "NVML_STAND_IN_CARDS", mFolder / "cards" }, { "NVML_STAND_IN_LOG", mFolder / "calls" } };
}
