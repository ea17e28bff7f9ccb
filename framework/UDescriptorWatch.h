// Calls back on the event loop whenever a file descriptor (a listening socket, a pipe) has something to
// read. An exception thrown by the call is reported and dropped.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class UDescriptorWatch {
public:
    // A descriptor below 0 is not watched. The descriptor stays the caller's and must outlive the watch.
    UDescriptorWatch(int descriptor, std::function<void()> onReadable);
    ~UDescriptorWatch();

    UDescriptorWatch(const UDescriptorWatch&) = delete;
    UDescriptorWatch& operator=(const UDescriptorWatch&) = delete;

private:
    std::function<void()> mOnReadable;
    std::unique_ptr<QSocketNotifier> mNotifier;
};
