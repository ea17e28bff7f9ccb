#include "framework/USound.h"

#include <QApplication>

USound::Handler& USound::BeepHandler()
{
    static Handler handler;
    return handler;
}

void USound::SetBeepHandler(Handler handler)
{
    BeepHandler() = std::move(handler);
}

void SysBeep(int16_t duration)
{
    if (USound::BeepHandler()) {
        USound::BeepHandler()(duration);
        return;
    }
    QApplication::beep();
}
