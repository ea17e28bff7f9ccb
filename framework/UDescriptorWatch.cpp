#include "framework/UDescriptorWatch.h"

#include "framework/LException.h"

#include <QSocketNotifier>

UDescriptorWatch::UDescriptorWatch(int descriptor, std::function<void()> onReadable)
    : mOnReadable(std::move(onReadable))
{
    if (descriptor < 0)
        return;
    mNotifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(mNotifier.get(), &QSocketNotifier::activated,
        [this] { LException::ReportAndDrop("a request from outside", [this] { mOnReadable(); }); });
}

UDescriptorWatch::~UDescriptorWatch() = default;
