#include "framework/UThreadWakeup.h"

#include "framework/LException.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

UThreadWakeup::Signal::Signal()
    : mDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (mDescriptor < 0)
        Throw_(errno, "cannot make an event descriptor");
}

UThreadWakeup::Signal::~Signal()
{
    ::close(mDescriptor);
}

void UThreadWakeup::Signal::Raise()
{
    uint64_t one = 1;
    // A full counter (2^64 - 2 raises unread) already wakes the loop; nothing is lost by failing then.
    [[maybe_unused]] ssize_t written = ::write(mDescriptor, &one, sizeof one);
}

void UThreadWakeup::Signal::Clear()
{
    uint64_t count = 0;
    [[maybe_unused]] ssize_t read = ::read(mDescriptor, &count, sizeof count);
}

UThreadWakeup::UThreadWakeup(std::function<void()> onWake)
    : mSignal(std::make_shared<Signal>())
    , mOnWake(std::move(onWake))
{
    mNotifier = std::make_unique<QSocketNotifier>(mSignal->GetDescriptor(), QSocketNotifier::Read);
    QObject::connect(mNotifier.get(), &QSocketNotifier::activated, [this] {
        mSignal->Clear();
        LException::ReportAndDrop("work handed back by another thread", [this] { mOnWake(); });
    });
}

UThreadWakeup::~UThreadWakeup() = default;
