#include "framework/LException.h"
#include "framework/LMemoryStream.h"
#include "fuzz/FuzzEntries.h"
#include "sensors/SensorDataRecord.h"

#include <algorithm>

namespace {

std::vector<uint8_t> WriteVersion3(const SensorDataRecord& record)
{
    LMemoryStream stream;
    stream << SensorDataRecord::kVersion << record.minimum << record.maximum;
    for (const std::vector<int32_t>* history : { &record.longTerm, &record.shortTerm }) {
        stream << static_cast<int32_t>(history->size());
        for (int32_t raw : *history)
            stream << raw;
    }
    return stream.GetBytesHeld();
}

}

int FuzzDataFile(const uint8_t* data, size_t size)
{
    LMemoryStream stream(std::vector<uint8_t>(data, data + size));
    SensorDataRecord record;
    try {
        record = SensorDataRecord::Read(stream);
    } catch (const LException& error) {
        // A file that cannot be used is damaged, and says so by one of these two codes alone.
        FuzzCheck(error.GetErrorCode() == eofErr || error.GetErrorCode() == err_UnknownFormat, "damage code");
        return 0;
    }
    FuzzCheck(4 * (record.longTerm.size() + record.shortTerm.size()) <= size, "no more samples than bytes");
    if (!record.longTerm.empty()) {
        auto [lowest, highest] = std::minmax_element(record.longTerm.begin(), record.longTerm.end());
        FuzzCheck(record.minimum == *lowest && record.maximum == *highest, "the long-term samples set the range");
    }
    // What was read, written again in version 3, reads back the same.
    std::vector<uint8_t> written = WriteVersion3(record);
    LMemoryStream again(written);
    SensorDataRecord reread = SensorDataRecord::Read(again);
    FuzzCheck(reread.minimum == record.minimum && reread.maximum == record.maximum && reread.longTerm == record.longTerm
            && reread.shortTerm == record.shortTerm,
        "a file written again reads back the same");
    return 0;
}
