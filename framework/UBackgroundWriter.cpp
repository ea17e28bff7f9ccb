#include "framework/UBackgroundWriter.h"

#include "framework/LException.h"
#include "framework/LFileStream.h"

#include <cstdio>

UBackgroundWriter::UBackgroundWriter(FailureReport onFailure)
    : mOnFailure(std::move(onFailure))
    , mThread([this] { Run(); })
{
}

UBackgroundWriter::~UBackgroundWriter()
{
    {
        std::lock_guard lock(mMutex);
        mEnding = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void UBackgroundWriter::Write(std::vector<File> files)
{
    {
        std::lock_guard lock(mMutex);
        for (File& file : files)
            mQueue.push_back(std::move(file));
    }
    mChanged.notify_all();
}

void UBackgroundWriter::WaitUntilDone()
{
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mQueue.empty() && !mWriting; });
}

void UBackgroundWriter::Run()
{
    std::unique_lock lock(mMutex);
    for (;;) {
        mChanged.wait(lock, [this] { return !mQueue.empty() || mEnding; });
        if (mQueue.empty())
            return;
        File file = std::move(mQueue.front());
        mQueue.pop_front();
        mWriting = true;
        lock.unlock();
        LFileStream stream;
        stream.GetBytesHeld() = std::move(file.bytes);
        try {
            stream.Commit(file.path, true);
        } catch (const LException& e) {
            std::string reason = LException::DescribeCode(e.GetErrorCode());
            std::fprintf(stderr, "Kelvara: %s \"%s\" cannot be written (%s)\n", file.what.c_str(), file.path.c_str(),
                reason.c_str());
            if (mOnFailure)
                mOnFailure(file, reason);
        }
        lock.lock();
        mWriting = false;
        mChanged.notify_all();
    }
}
