#include "framework/LException.h"
#include "framework/LMemoryStream.h"
#include "fuzz/FuzzEntries.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"

namespace {

// A record written, read back and written again gives the same bytes.
template <typename Record> void CheckRecordRoundTrip(Record* record)
{
    LMemoryStream first;
    record->StreamOut(first);
    LMemoryStream reading(first.GetBytesHeld());
    Record reread;
    reread.StreamIn(reading);
    FuzzCheck(reading.GetMarker() == first.GetBytesHeld().size(), "a written record is read to its end");
    LMemoryStream second;
    reread.StreamOut(second);
    FuzzCheck(second.GetBytesHeld() == first.GetBytesHeld(), "a record reads back as it was written");
}

std::vector<uint8_t> Written(Preferences* prefs)
{
    LMemoryStream stream;
    prefs->StreamOut(stream);
    return stream.GetBytesHeld();
}

}

int FuzzPreferences(const uint8_t* data, size_t size)
{
    Preferences::DeleteInstanceForTesting();
    Preferences* prefs = Preferences::Get();
    LMemoryStream stream(std::vector<uint8_t>(data, data + size));
    try {
        prefs->StreamIn(stream);
    } catch (const LException& error) {
        FuzzCheck(error.GetErrorCode() == eofErr || error.GetErrorCode() == err_UnknownFormat, "damage code");
        Preferences::DeleteInstanceForTesting();
        return 0;
    }
    FuzzCheck(stream.GetMarker() <= size, "the reader stays inside the file");
    TArray<DataWindowPrefs*>* dataRecords = prefs->GetDataWindowPrefsArray();
    for (ArrayIndexT i = 1; i <= dataRecords->GetCount(); ++i)
        CheckRecordRoundTrip((*dataRecords)[i]);
    TArray<GraphWindowPrefs*>* graphRecords = prefs->GetGraphWindowPrefsArray();
    for (ArrayIndexT i = 1; i <= graphRecords->GetCount(); ++i)
        CheckRecordRoundTrip((*graphRecords)[i]);

    // The settings written again read back to the same file.
    std::vector<uint8_t> written = Written(prefs);
    Preferences::DeleteInstanceForTesting();
    LMemoryStream reading(written);
    Preferences::Get()->StreamIn(reading);
    FuzzCheck(Written(Preferences::Get()) == written, "the settings read back as they were written");
    Preferences::DeleteInstanceForTesting();
    return 0;
}
