#include "framework/UQuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int sSignalPipe[2] = { -1, -1 };

extern "C" void ForwardSignal(int signalNumber)
{
    // Only async-signal-safe work here: hand the number to the event loop.
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    ssize_t ignored = ::write(sSignalPipe[1], &byte, 1);
    (void)ignored;
}

const int kQuitSignals[] = { SIGTERM, SIGHUP, SIGINT };

}

UQuitSignals::UQuitSignals(std::function<void(int)> onSignal)
    : mOnSignal(std::move(onSignal))
{
    if (sSignalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sSignalPipe) != 0) {
            std::perror("Kelvara: cannot watch for quit signals");
            return;
        }
        ::fcntl(sSignalPipe[1], F_SETFL, O_NONBLOCK);
    }
    mNotifier = std::make_unique<QSocketNotifier>(sSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(mNotifier.get(), &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        if (::read(sSignalPipe[0], &byte, 1) == 1 && mOnSignal)
            mOnSignal(byte);
    });
    struct sigaction action { };
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kQuitSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

namespace {

void SetActions(void (*handler)(int))
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kQuitSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

}

UQuitSignals::~UQuitSignals()
{
    SetActions(SIG_DFL);
}

void UQuitSignals::IgnoreFurtherSignals()
{
    SetActions(SIG_IGN);
    mNotifier.reset();
}
