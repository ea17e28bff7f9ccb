// The UDisks2 client behind UDisksDriveWatch, living on the watch's thread: asks whether UDisks2 runs, lists its
// objects, follows drives that come and go and temperatures that change, and offers each drive with SMART on
// as a sensor once. Every call is asynchronous; replies and signals arrive on this thread's event loop.
#pragma once

#include "sensors/UDisksDriveWatch.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <map>

class DriveSource;
class QDBusMessage;
class QDBusPendingCallWatcher;

class UDisksListener : public QObject {
    Q_OBJECT

public:
    UDisksListener(
        std::string sysfsRoot, std::shared_ptr<UDisksDriveWatch::Offers> offers, std::function<void()> offered);
    ~UDisksListener() override;

    // On the listener's thread: connects to the system bus and asks for the drives. Invoked by name, since
    // the program that loads this module knows the listener only as a QObject.
    Q_INVOKABLE void Start();

private slots:
    void InterfacesAdded(const QDBusMessage& message);
    void InterfacesRemoved(const QDBusMessage& message);
    void PropertiesChanged(const QDBusMessage& message);

private:
    struct Drive {
        std::string id;
        std::string model;
        std::string serial;
        bool hasAta = false;
        bool smartSupported = false;
        bool smartEnabled = false;
        std::shared_ptr<DriveSource> source;
        bool offered = false;
    };
    struct Block {
        std::string drive;
        std::string device;
    };

    void AskForObjects();
    void TakeObjects(QDBusPendingCallWatcher* call);
    void ApplyInterfaces(const std::string& path, const QMap<QString, QVariantMap>& interfaces);
    void ApplyDrive(Drive& drive, const std::string& path, const QVariantMap& properties);
    void ApplyAta(Drive& drive, const std::string& path, const QVariantMap& properties);
    void AskForTemperature(const std::string& path);
    void Forget(const std::string& path);
    void ForgetAll();
    void OfferNewDrives();
    void FinishFirstListing();
    std::string DevicePathOf(const std::string& drivePath) const;
    // A property of an unexpected type (a daemon of another version, or one that misbehaves): said once.
    void ReportOddProperty(const std::string& path, const char* property, const char* expected);

    std::string mSysfsRoot;
    std::shared_ptr<UDisksDriveWatch::Offers> mOffers;
    std::function<void()> mOffered;
    QString mConnectionName;
    QDBusConnection mBus;
    std::map<std::string, Drive> mDrives;
    std::map<std::string, Block> mBlocks;
    std::set<std::string> mReported;
    bool mListing = false;
};
