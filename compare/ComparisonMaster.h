// The comparison database: the temperature ranges measured on 56 machine models, in groups parted by
// dividers, built once from the token arrays compiled into the program and never changed afterwards.
#pragma once

#include "framework/LArray.h"

#include <cstdint>
#include <memory>
#include <vector>

class ComparisonSystem;

using ComparisonSystemArray = TArray<ComparisonSystem*>;

class ComparisonMaster {
public:
    // The database, built at the first call. A build that fails throws, and the next call tries again.
    static ComparisonMaster* Get();

    // Builds a database of its own from the compiled-in token arrays; the program shares the one of Get.
    ComparisonMaster();
    virtual ~ComparisonMaster();

    ComparisonMaster(const ComparisonMaster&) = delete;
    ComparisonMaster& operator=(const ComparisonMaster&) = delete;

    // Entries 1 to the count, in database order, dividers included.
    ComparisonSystemArray* GetSystemArray() { return &mSystems; }
    int16_t GetSystemCount() const { return static_cast<int16_t>(mSystems.GetCount()); }

    // systemID holds a model identifier in a buffer of at least 255 bytes. When a model has that
    // identifier, the first such model's display name replaces it; otherwise it is left as it is.
    void MatchSystemID(char* systemID) const;

    // Used while building: each appends one entry.
    void AddSystem(const char* const* tokens);
    void AddDivider();

private:
    ComparisonSystemArray mSystems;
    // Owns what mSystems lists, so that the entries of a build that fails are released.
    std::vector<std::unique_ptr<ComparisonSystem>> mOwnedSystems;

    static ComparisonMaster* sComparisonMaster;
};
