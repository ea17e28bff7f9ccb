// libFuzzer's entry point for one target; KELVARA_FUZZ_ENTRY names the target's entry function.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return KELVARA_FUZZ_ENTRY(data, size);
}
