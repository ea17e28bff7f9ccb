// The system beep, which tells the user that something did not work when there is nothing else to show.
#pragma once

#include <cstdint>
#include <functional>

// Sounds the beep once; duration is in ticks and only kept for callers that name one.
void SysBeep(int16_t duration);

class USound {
public:
    // Tests hear the beeps through a handler instead of the speaker; an empty handler restores the speaker.
    using Handler = std::function<void(int16_t duration)>;
    static void SetBeepHandler(Handler handler);

private:
    friend void SysBeep(int16_t duration);
    static Handler& BeepHandler();
};
