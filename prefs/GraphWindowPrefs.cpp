#include "prefs/GraphWindowPrefs.h"

#include "framework/LStream.h"
#include "prefs/PrefsStreaming.h"

GraphWindowPrefs::GraphWindowPrefs()
    : mSensorNames(10)
{
}

GraphWindowPrefs::~GraphWindowPrefs() = default;

void GraphWindowPrefs::StreamOut(LStream& stream)
{
    stream << kRecordVersion << mWindowRect.top << mWindowRect.left << mWindowRect.bottom << mWindowRect.right
           << mDisplayMenuItem;
    WriteNameList(stream, mSensorNames);
}

void GraphWindowPrefs::StreamIn(LStream& stream)
{
    int32_t version = 0;
    stream >> version;
    if (version != kRecordVersion)
        return;
    stream >> mWindowRect.top >> mWindowRect.left >> mWindowRect.bottom >> mWindowRect.right >> mDisplayMenuItem;
    ReadNameList(stream, mSensorNames);
}
