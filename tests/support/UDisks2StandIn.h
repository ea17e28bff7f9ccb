// The stand-in UDisks2 daemon (udisks2-stand-in, built with the tests) as a process on a private bus, and the
// commands that shape it: drives, temperatures that change, drives that go, the bus name, a daemon that hangs.
#pragma once

#include <QProcess>

#include <string>

class UDisks2StandIn {
public:
    struct Drive {
        std::string name; // the last part of its object path
        std::string id;
        std::string model;
        std::string serial;
        bool smartSupported = true;
        bool smartEnabled = true;
        double kelvin = 0;
        std::string device; // "/dev/sda"; empty for a drive without a block device
    };

    explicit UDisks2StandIn(const std::string& busAddress);
    ~UDisks2StandIn();

    void Add(const Drive& drive);
    void SetTemperature(const std::string& name, double kelvin);
    // The new value, announced only as changed: the program must ask for it.
    void InvalidateTemperature(const std::string& name, double kelvin);
    void Remove(const std::string& name);
    // The drive's temperature as text from now on, where UDisks2 sends a number.
    void MakeTemperatureText(const std::string& name);
    // Takes the name org.freedesktop.UDisks2.
    void Own();
    // Leaves GetManagedObjects unanswered from now on.
    void Hang();

private:
    void Send(const std::string& line);

    QProcess mProcess;
};
