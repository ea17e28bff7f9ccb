#include "app/DataFolderClaim.h"

#include "util/UtilitiesFolder.h"

std::optional<std::string> ClaimDataFolder(std::unique_ptr<DataFolderLock>& lock, int milliseconds)
{
    std::string folder;
    if (FindUtilitiesFolder(true, folder) != 0)
        return std::nullopt;
    lock = std::make_unique<DataFolderLock>(folder);
    if (lock->Take(milliseconds) != DataFolderLock::Outcome::HeldByAnother)
        return std::nullopt;
    std::optional<pid_t> holder = lock->GetHolder();
    return (holder ? "process " + std::to_string(*holder) : std::string("it")) + " writes the files in \"" + folder
        + "\"";
}
