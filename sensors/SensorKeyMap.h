// The sensors the program has known, by the key of their hardware: each keeps the index (and so its data
// file, its colour and its place in the windows' records) and the name it was first given, whatever order
// discovery finds the hardware in at a later launch and whatever is added or removed meanwhile, and the name
// the user gave it for display. Kept in the settings file beside the preferences.
#pragma once

#include "sensors/SensorDescription.h"

#include <cstdint>
#include <string>
#include <vector>

struct SensorIdentity {
    std::string key;
    int16_t index = 0;
    std::string name;
    // The name the user chose to see; empty for the hardware's own. Records and data files keep name.
    std::string givenName;
};

class SensorKeyMap {
public:
    // Reads the map from the settings file at path; a file that is missing or holds no map gives an empty
    // one, and entries that make no sense (no key, an index below 1, a key or index twice) are dropped.
    void Load(const std::string& path);
    // Writes the map into the settings file at path, leaving its other settings as they are; false (with a
    // message on standard error) when it cannot be written.
    bool Save(const std::string& path) const;

    // The index and name of each sensor found, in the same order. A known key gets what it had. A new one
    // gets the name discovery gave it, made unique among every name known (a copy gets " 2", " 3"), and the
    // index of the one data file in dataFileNames that carries that name, else the lowest index that no
    // known sensor and no data file uses; it joins the map.
    std::vector<SensorIdentity> Assign(
        const std::vector<SensorDescription>& found, const std::vector<std::string>& dataFileNames);

    const std::vector<SensorIdentity>& Known() const { return mKnown; }

    // Sets the given name of the known sensor with key; false when there is no such sensor or nothing changed.
    bool SetGivenName(const std::string& key, const std::string& givenName);
    // What a name the user typed becomes: white space around it dropped, control characters as spaces, at
    // most 255 bytes; empty (the hardware's name again) when nothing is left or it is the hardware's name.
    static std::string CleanGivenName(const std::string& typed, const std::string& hardwareName);

private:
    const SensorIdentity* Find(const std::string& key) const;

    std::vector<SensorIdentity> mKnown;
};
