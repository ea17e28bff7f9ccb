// The temperature record that the user sends to the program's makers: this machine's model, processors
// and each sensor's range, composed as one "mailto:" URL whose body is the record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RecordedSensor {
    std::string name;
    int32_t type = 0;
    // The lowest and highest readings in whole degrees Fahrenheit, the unit of the comparison database.
    int32_t minimum = 0;
    int32_t maximum = 0;
    // The samples of the long-term history.
    int32_t samples = 0;
};

struct TemperatureRecord {
    // Where records are submitted.
    std::string address;
    // The program's version text.
    std::string version;
    // The model's name in the comparison database, or its model identifier when the database lacks it.
    std::string machine;
    uint32_t processors = 0;
    int16_t speedMHz = 0;
    // In the order of the sensor list.
    std::vector<RecordedSensor> sensors;
};

// The whole URL, nothing percent-encoded: the fixed lines, the key, version, machine, processor and speed
// lines, one block per sensor, and "ENDDATA" with no line feed after it. It grows with the sensors.
std::string ComposeTemperatureRecord(const TemperatureRecord& record);
