// The event that a periodical task is called with.
#pragma once

#include <cstdint>

struct EventRecord {
    uint16_t what = 0;
    uint32_t message = 0;
    uint32_t when = 0; // milliseconds of the event loop's clock
};
