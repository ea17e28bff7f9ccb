/* A stand-in for NVIDIA's management library, libnvidia-ml.so.1, with the entry points the program uses and
 * NVML's reference-counted initialization. Its cards come from the file named by NVML_STAND_IN_CARDS, read
 * anew at every call, one card a line:
 *     <bus id> <celsius> <slowdown> <shutdown> <ok|lost> <name ...>
 * Every call is appended to the file named by NVML_STAND_IN_LOG, one line each; a call that touches a card
 * names its bus id ("temperature 0000:01:00.0"), and init and shutdown give the count after them. Built
 * with STAND_IN_WITHOUT_THRESHOLDS it lacks nvmlDeviceGetTemperatureThreshold. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

enum { kSuccess = 0, kUninitialized = 1, kInvalidArgument = 2, kNotFound = 6, kGpuIsLost = 15 };
enum { kMostCards = 8 };

struct nvmlDevice_st {
    char busId[32];
    unsigned celsius, slowdown, shutdown;
    int lost;
    char name[96];
    int attached; /* a handle was given since NVML was last shut down */
};

static struct nvmlDevice_st cards[kMostCards];
static int initCount;

static void Log(const char* format, ...)
{
    const char* path = getenv("NVML_STAND_IN_LOG");
    FILE* log = path ? fopen(path, "a") : NULL;
    if (!log)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(log, format, arguments);
    va_end(arguments);
    fputc('\n', log);
    fclose(log);
}

/* The card with the bus id, from the cards file as it is now; NULL when it is not there. */
static struct nvmlDevice_st* Card(const char* busId)
{
    const char* path = getenv("NVML_STAND_IN_CARDS");
    FILE* file = path ? fopen(path, "r") : NULL;
    struct nvmlDevice_st* found = NULL;
    char line[256];
    for (int slot = 0; file && slot < kMostCards && fgets(line, sizeof line, file); ++slot) {
        struct nvmlDevice_st read = { 0 };
        char state[16] = "";
        int consumed = 0;
        if (sscanf(line, "%31s %u %u %u %15s %n", read.busId, &read.celsius, &read.slowdown, &read.shutdown, state,
                &consumed)
            < 5)
            continue;
        snprintf(read.name, sizeof read.name, "%s", line + consumed);
        read.name[strcspn(read.name, "\n")] = '\0';
        read.lost = strcmp(state, "lost") == 0;
        if (strcasecmp(read.busId, busId) == 0) {
            read.attached = cards[slot].attached;
            cards[slot] = read;
            found = &cards[slot];
        }
    }
    if (file)
        fclose(file);
    return found;
}

/* Whether a handle is one this session gave: NVML's handles end with its shutdown. */
static int Usable(struct nvmlDevice_st* device)
{
    return initCount > 0 && device && device >= cards && device < cards + kMostCards && device->attached;
}

int nvmlInit_v2(void)
{
    ++initCount;
    Log("init %d", initCount);
    return kSuccess;
}

int nvmlShutdown(void)
{
    if (initCount == 0) {
        Log("shutdown uninitialized");
        return kUninitialized;
    }
    if (--initCount == 0) {
        for (int slot = 0; slot < kMostCards; ++slot)
            cards[slot].attached = 0;
    }
    Log("shutdown %d", initCount);
    return kSuccess;
}

const char* nvmlErrorString(int result)
{
    switch (result) {
    case kSuccess:
        return "Success";
    case kUninitialized:
        return "Uninitialized";
    case kInvalidArgument:
        return "Invalid Argument";
    case kNotFound:
        return "Not Found";
    case kGpuIsLost:
        return "GPU is lost";
    default:
        return "Unknown Error";
    }
}

int nvmlDeviceGetHandleByPciBusId_v2(const char* busId, struct nvmlDevice_st** device)
{
    Log("handle %s", busId);
    if (initCount == 0)
        return kUninitialized;
    struct nvmlDevice_st* card = Card(busId);
    if (!card)
        return kNotFound;
    card->attached = 1;
    *device = card;
    return kSuccess;
}

int nvmlDeviceGetName(struct nvmlDevice_st* device, char* name, unsigned length)
{
    Log("name %s", device ? device->busId : "(none)");
    if (!Usable(device) || !Card(device->busId))
        return kInvalidArgument;
    snprintf(name, length, "%s", device->name);
    return kSuccess;
}

int nvmlDeviceGetTemperature(struct nvmlDevice_st* device, int sensor, unsigned* celsius)
{
    Log("temperature %s", device ? device->busId : "(none)");
    if (!Usable(device) || !Card(device->busId) || sensor != 0)
        return kInvalidArgument;
    if (device->lost)
        return kGpuIsLost;
    *celsius = device->celsius;
    return kSuccess;
}

#ifndef STAND_IN_WITHOUT_THRESHOLDS
int nvmlDeviceGetTemperatureThreshold(struct nvmlDevice_st* device, int threshold, unsigned* celsius)
{
    Log("threshold %s %d", device ? device->busId : "(none)", threshold);
    if (!Usable(device) || !Card(device->busId) || threshold < 0 || threshold > 1)
        return kInvalidArgument;
    if (device->lost)
        return kGpuIsLost;
    *celsius = threshold == 0 ? device->shutdown : device->slowdown;
    return kSuccess;
}
#endif
