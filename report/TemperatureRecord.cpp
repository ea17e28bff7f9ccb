#include "report/TemperatureRecord.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Appends one printf-formatted line; a line longer than the buffer is appended whole, not cut.
[[gnu::format(printf, 2, 3)]] void AppendFormatted(std::string& message, const char* format, ...)
{
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    if (static_cast<size_t>(length) < sizeof line) {
        message.append(line, static_cast<size_t>(length));
        return;
    }
    std::string longer(static_cast<size_t>(length) + 1, '\0');
    va_start(arguments, format);
    std::vsnprintf(longer.data(), longer.size(), format, arguments);
    va_end(arguments);
    longer.pop_back();
    message += longer;
}

}

std::string ComposeTemperatureRecord(const TemperatureRecord& record)
{
    std::string message = "mailto:" + record.address
        + "?Subject=Kelvara Temperature Record&Body=Kelvara\nMy name is: <FILL IN FOR CREDITS>\n";
    const char* machine = record.machine.c_str();
    auto processors = static_cast<int>(record.processors);
    int speed = record.speedMHz;
    AppendFormatted(message, "Key:%s_%d_%d\n", machine, processors, speed);
    AppendFormatted(message, "Version:%s\n", record.version.c_str());
    AppendFormatted(message, "Machine:%s\n", machine);
    AppendFormatted(message, "Processors:%d\n", processors);
    AppendFormatted(message, "Speed:%04d\n", speed);
    for (const RecordedSensor& sensor : record.sensors) {
        AppendFormatted(message, "Sensor:%s\n  Type:%d\n  Min:%d\n  Max:%d\n  Samples:%d\n", sensor.name.c_str(),
            static_cast<int>(sensor.type), static_cast<int>(sensor.minimum), static_cast<int>(sensor.maximum),
            static_cast<int>(sensor.samples));
    }
    message += "ENDDATA";
    return message;
}
