#include "sensors/DataFileName.h"

#include "framework/PString.h"

#include <charconv>
#include <cstdio>

std::string MakeDataFileName(int32_t index, std::string_view sensorName)
{
    std::string name(sensorName.substr(0, 255));
    for (char& c : name) {
        if (c == '/')
            c = ':';
    }
    char number[16];
    std::snprintf(number, sizeof number, "%02d ", static_cast<int>(index));
    return std::string(TruncateUtf8(number + name, 31));
}

std::optional<int32_t> DataFileIndex(std::string_view fileName)
{
    size_t space = fileName.find(' ');
    if (space == 0 || space == std::string_view::npos || space > 6)
        return std::nullopt;
    int32_t index = 0;
    auto [end, error] = std::from_chars(fileName.data(), fileName.data() + space, index);
    if (error != std::errc() || end != fileName.data() + space || index < 1)
        return std::nullopt;
    return index;
}
