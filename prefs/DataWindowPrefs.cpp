#include "prefs/DataWindowPrefs.h"

#include "framework/LStream.h"
#include "prefs/PrefsStreaming.h"

DataWindowPrefs::DataWindowPrefs()
    : mSensorNames(10)
{
}

DataWindowPrefs::~DataWindowPrefs() = default;

void DataWindowPrefs::StreamOut(LStream& stream)
{
    stream << kRecordVersion << mWindowRect.top << mWindowRect.left << mWindowRect.bottom << mWindowRect.right
           << mSensorDisplayMask << mGraphMenuItem;
    WriteNameList(stream, mSensorNames);
}

void DataWindowPrefs::StreamIn(LStream& stream)
{
    int32_t version = 0;
    stream >> version;
    if (version != kRecordVersion)
        return;
    stream >> mWindowRect.top >> mWindowRect.left >> mWindowRect.bottom >> mWindowRect.right >> mSensorDisplayMask
        >> mGraphMenuItem;
    ReadNameList(stream, mSensorNames);
    // Item 0 names no graph mode; as 1 (range mode) the restored pop-up shows a real item.
    if (mGraphMenuItem == 0)
        mGraphMenuItem = 1;
}
