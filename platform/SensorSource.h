// Where one sensor's readings come from: a hardware monitor channel, a CPU package, an SMC key, a graphics
// card or a drive. Sources are read on worker threads, never on the event loop, because a read may block
// for as long as a hung chip or a sleeping disk holds it; a source is never read again while one of its
// reads is still outstanding, so an implementation needs no lock of its own for that.
#pragma once

#include <cstdint>

struct SourceReading {
    enum class Status : uint8_t {
        Valid, // raw holds a reading, in the raw unit of the sensor's type
        Failed, // nothing this time: an error, a fault, a value no sensor reads, a missing file
        Asleep, // the device sleeps and reading it would wake it, so it was not read
    };

    Status status = Status::Failed;
    int32_t raw = 0;

    static SourceReading Of(int32_t raw) { return { Status::Valid, raw }; }
    static SourceReading Failure() { return {}; }
    static SourceReading Sleeping() { return { Status::Asleep, 0 }; }
    bool IsValid() const { return status == Status::Valid; }
};

class SensorSource {
public:
    virtual ~SensorSource() = default;
    // Reads the source now, on the calling thread; may take long or block.
    virtual SourceReading Read() = 0;
};
