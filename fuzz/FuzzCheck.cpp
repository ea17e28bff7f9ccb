#include "fuzz/FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheck(bool holds, const char* rule)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: broken rule: %s\n", rule);
    std::abort();
}
