#include "sensors/UDisksListener.h"

#include "platform/DeviceNames.h"
#include "platform/SysfsFile.h"
#include "sensors/DriveSource.h"
#include "sensors/TemperatureSensor.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <atomic>
#include <cmath>
#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRootPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kDriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kAtaInterface = QStringLiteral("org.freedesktop.UDisks2.Drive.Ata");
const QString kBlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kTemperature = QStringLiteral("SmartTemperature");

using Interfaces = QMap<QString, QVariantMap>;

Interfaces ReadInterfaces(const QDBusArgument& argument)
{
    Interfaces interfaces;
    argument >> interfaces;
    return interfaces;
}

// The path as the machine names it, without the root folder a fixture tree lives in: the form in which
// hardware monitor sensors carry their device.
std::string BelowRoot(const std::string& path, const std::string& root)
{
    std::string resolvedRoot = SysfsFile::Resolve(root).value_or(root);
    if (resolvedRoot != "/" && path.starts_with(resolvedRoot + "/"))
        return path.substr(resolvedRoot.size());
    return path;
}

}

UDisksListener::UDisksListener(
    std::string sysfsRoot, std::shared_ptr<UDisksDriveWatch::Offers> offers, std::function<void()> offered)
    : mSysfsRoot(std::move(sysfsRoot))
    , mOffers(std::move(offers))
    , mOffered(std::move(offered))
    , mBus(QString())
{
}

UDisksListener::~UDisksListener()
{
    // Drives that are no longer followed have no value any more.
    ForgetAll();
    if (!mConnectionName.isEmpty())
        QDBusConnection::disconnectFromBus(mConnectionName);
}

void UDisksListener::Start()
{
    static std::atomic<int> sConnections { 0 };
    mConnectionName = QStringLiteral("kelvara-udisks2-%1").arg(++sConnections);
    // The standard variable picks another system bus; read here rather than by the D-Bus library, which
    // remembers the first address it saw for the life of the process.
    QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    mBus = address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, mConnectionName)
                             : QDBusConnection::connectToBus(QString::fromLocal8Bit(address), mConnectionName);
    if (!mBus.isConnected()) {
        // A machine without a system bus simply has no drives from UDisks2.
        FinishFirstListing();
        return;
    }
    mBus.connect(kService, kRootPath, kObjectManager, QStringLiteral("InterfacesAdded"), this,
        SLOT(InterfacesAdded(QDBusMessage)));
    mBus.connect(kService, kRootPath, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
        SLOT(InterfacesRemoved(QDBusMessage)));
    mBus.connect(kService, QString(), kProperties, QStringLiteral("PropertiesChanged"), this,
        SLOT(PropertiesChanged(QDBusMessage)));
    // UDisks2 started after the program (or restarted) lists its drives anew.
    auto* owner = new QDBusServiceWatcher(kService, mBus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceRegistered, this, [this] { AskForObjects(); });
    connect(owner, &QDBusServiceWatcher::serviceUnregistered, this, [this] { ForgetAll(); });

    // Asked first, because any call to the service itself would have the bus start it.
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("NameHasOwner"));
    ask << kService;
    auto* watcher = new QDBusPendingCallWatcher(mBus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        QDBusMessage reply = call->reply();
        if (call->isError() || reply.signature() != QStringLiteral("b")) {
            std::fprintf(stderr,
                "Kelvara: the system bus does not say whether UDisks2 runs (%s); no drive "
                "temperatures from it\n",
                qPrintable(call->error().message()));
            FinishFirstListing();
        } else if (reply.arguments().value(0).toBool()) {
            AskForObjects();
        } else {
            FinishFirstListing();
        }
    });
}

void UDisksListener::AskForObjects()
{
    if (mListing)
        return;
    mListing = true;
    QDBusMessage ask
        = QDBusMessage::createMethodCall(kService, kRootPath, kObjectManager, QStringLiteral("GetManagedObjects"));
    // Never let this call start UDisks2: it runs, or the program does without it.
    ask.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(mBus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        mListing = false;
        TakeObjects(call);
    });
}

void UDisksListener::TakeObjects(QDBusPendingCallWatcher* call)
{
    QDBusMessage reply = call->reply();
    if (call->isError()) {
        std::fprintf(stderr, "Kelvara: UDisks2 does not list its drives (%s); no drive temperatures from it\n",
            qPrintable(call->error().message()));
    } else if (reply.signature() != QStringLiteral("a{oa{sa{sv}}}")) {
        std::fprintf(stderr,
            "Kelvara: UDisks2 lists its drives in a form this program does not know (%s); no drive temperatures "
            "from it\n",
            qPrintable(reply.signature()));
    } else {
        const QDBusArgument objects = reply.arguments().at(0).value<QDBusArgument>();
        objects.beginMap();
        while (!objects.atEnd()) {
            QDBusObjectPath path;
            objects.beginMapEntry();
            objects >> path;
            Interfaces interfaces = ReadInterfaces(objects);
            objects.endMapEntry();
            ApplyInterfaces(path.path().toStdString(), interfaces);
        }
        objects.endMap();
        OfferNewDrives();
    }
    FinishFirstListing();
}

void UDisksListener::ApplyInterfaces(const std::string& path, const Interfaces& interfaces)
{
    for (auto it = interfaces.begin(); it != interfaces.end(); ++it) {
        if (it.key() == kDriveInterface) {
            ApplyDrive(mDrives[path], path, it.value());
        } else if (it.key() == kAtaInterface) {
            Drive& drive = mDrives[path];
            drive.hasAta = true;
            ApplyAta(drive, path, it.value());
        } else if (it.key() == kBlockInterface) {
            Block& block = mBlocks[path];
            QVariant owner = it.value().value(QStringLiteral("Drive"));
            if (owner.canConvert<QDBusObjectPath>())
                block.drive = owner.value<QDBusObjectPath>().path().toStdString();
            QByteArray device = it.value().value(QStringLiteral("Device")).toByteArray();
            // A byte string with its terminating NUL, as UDisks2 sends file names.
            block.device = std::string(device.constData(), qstrnlen(device.constData(), device.size()));
        }
    }
}

void UDisksListener::ApplyDrive(Drive& drive, const std::string& path, const QVariantMap& properties)
{
    auto text = [&](const char* name, std::string& into) {
        QVariant value = properties.value(QString::fromLatin1(name));
        if (!value.isValid())
            return;
        if (value.typeId() != QMetaType::QString)
            ReportOddProperty(path, name, "text");
        else
            into = value.toString().trimmed().toStdString();
    };
    text("Id", drive.id);
    text("Model", drive.model);
    text("Serial", drive.serial);
}

void UDisksListener::ApplyAta(Drive& drive, const std::string& path, const QVariantMap& properties)
{
    if (!drive.source)
        drive.source = std::make_shared<DriveSource>();
    auto flag = [&](const char* name, bool& into) {
        QVariant value = properties.value(QString::fromLatin1(name));
        if (!value.isValid())
            return;
        if (value.typeId() != QMetaType::Bool)
            ReportOddProperty(path, name, "true or false");
        else
            into = value.toBool();
    };
    flag("SmartSupported", drive.smartSupported);
    flag("SmartEnabled", drive.smartEnabled);
    QVariant temperature = properties.value(kTemperature);
    if (!temperature.isValid())
        return;
    double kelvin = temperature.toDouble();
    if (temperature.typeId() != QMetaType::Double || !std::isfinite(kelvin) || kelvin < 0) {
        ReportOddProperty(path, "SmartTemperature", "a temperature in kelvin");
        kelvin = 0;
    }
    drive.source->Publish(kelvin);
}

void UDisksListener::AskForTemperature(const std::string& path)
{
    QDBusMessage ask
        = QDBusMessage::createMethodCall(kService, QString::fromStdString(path), kProperties, QStringLiteral("Get"));
    ask << kAtaInterface << kTemperature;
    ask.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(mBus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, path](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        QDBusMessage reply = call->reply();
        auto drive = mDrives.find(path);
        if (call->isError() || reply.signature() != QStringLiteral("v") || drive == mDrives.end())
            return;
        QVariantMap properties;
        properties.insert(kTemperature, reply.arguments().at(0).value<QDBusVariant>().variant());
        ApplyAta(drive->second, path, properties);
    });
}

void UDisksListener::InterfacesAdded(const QDBusMessage& message)
{
    if (message.signature() != QStringLiteral("oa{sa{sv}}"))
        return;
    std::string path = message.arguments().at(0).value<QDBusObjectPath>().path().toStdString();
    ApplyInterfaces(path, ReadInterfaces(message.arguments().at(1).value<QDBusArgument>()));
    OfferNewDrives();
}

void UDisksListener::InterfacesRemoved(const QDBusMessage& message)
{
    if (message.signature() != QStringLiteral("oas"))
        return;
    std::string path = message.arguments().at(0).value<QDBusObjectPath>().path().toStdString();
    QStringList interfaces = message.arguments().at(1).toStringList();
    if (interfaces.contains(kBlockInterface))
        mBlocks.erase(path);
    auto drive = mDrives.find(path);
    if (drive == mDrives.end())
        return;
    if (interfaces.contains(kDriveInterface)) {
        Forget(path);
    } else if (interfaces.contains(kAtaInterface)) {
        drive->second.hasAta = false;
        if (drive->second.source)
            drive->second.source->Publish(0);
    }
}

void UDisksListener::PropertiesChanged(const QDBusMessage& message)
{
    if (message.signature() != QStringLiteral("sa{sv}as"))
        return;
    const QList<QVariant> arguments = message.arguments();
    QString interface = arguments.at(0).toString();
    std::string path = message.path().toStdString();
    auto drive = mDrives.find(path);
    if (drive == mDrives.end())
        return;
    QVariantMap changed = qdbus_cast<QVariantMap>(arguments.at(1));
    if (interface == kDriveInterface) {
        ApplyDrive(drive->second, path, changed);
    } else if (interface == kAtaInterface) {
        ApplyAta(drive->second, path, changed);
        if (qdbus_cast<QStringList>(arguments.at(2)).contains(kTemperature))
            AskForTemperature(path);
    }
    OfferNewDrives();
}

void UDisksListener::Forget(const std::string& path)
{
    auto drive = mDrives.find(path);
    if (drive == mDrives.end())
        return;
    // The sensor stays, without readings, until the drive comes back with a source of its own.
    if (drive->second.source)
        drive->second.source->Publish(0);
    mDrives.erase(drive);
}

void UDisksListener::ForgetAll()
{
    while (!mDrives.empty())
        Forget(mDrives.begin()->first);
    mBlocks.clear();
}

std::string UDisksListener::DevicePathOf(const std::string& drivePath) const
{
    for (const auto& [path, block] : mBlocks) {
        if (block.drive != drivePath || !block.device.starts_with("/dev/"))
            continue;
        std::string name = block.device.substr(block.device.find_last_of('/') + 1);
        if (name.empty() || name == "." || name == "..")
            continue;
        // A whole disk's block device links to the disk; a partition's has no such link.
        auto device = SysfsFile::Resolve(SysfsFile::Join(mSysfsRoot, "/sys/class/block/" + name + "/device"));
        if (device)
            return BelowRoot(*device, mSysfsRoot);
    }
    return {};
}

void UDisksListener::OfferNewDrives()
{
    std::vector<SensorDescription> offered;
    for (auto& [path, drive] : mDrives) {
        if (drive.offered || drive.id.empty() || !drive.hasAta || !drive.smartSupported || !drive.smartEnabled
            || !drive.source)
            continue;
        drive.offered = true;
        SensorDescription found;
        found.key = UDisksDriveWatch::kKeyPrefix + drive.id;
        found.name = DriveSource::Name(drive.model, drive.serial);
        // Whole or fractional degrees Celsius in 16.16 fixed point, as hardware monitor channels read.
        found.type = kSensorTypeRegistry;
        found.reader = drive.source;
        found.devicePath = DevicePathOf(path);
        // The tool tips name the drive as hardware monitors' drives are named.
        found.deviceName = DeviceNames::DriveLine(drive.model, drive.serial);
        offered.push_back(std::move(found));
    }
    if (offered.empty())
        return;
    {
        std::lock_guard lock(mOffers->mutex);
        for (SensorDescription& drive : offered)
            mOffers->drives.push_back(std::move(drive));
    }
    mOffered();
}

void UDisksListener::FinishFirstListing()
{
    std::lock_guard lock(mOffers->mutex);
    if (mOffers->firstListingDone)
        return;
    mOffers->firstListingDone = true;
    mOffers->listed.notify_all();
}

void UDisksListener::ReportOddProperty(const std::string& path, const char* property, const char* expected)
{
    if (!mReported.insert(path + "\n" + property).second)
        return;
    std::fprintf(stderr, "Kelvara: UDisks2 gives %s of %s as something other than %s; it is not used\n", property,
        path.c_str(), expected);
}

// The module's one entry point (UDisksModule loads it by this name).
extern "C" __attribute__((visibility("default"))) QObject* KelvaraCreateUDisksListener(
    std::string sysfsRoot, std::shared_ptr<UDisksDriveWatch::Offers> offers, std::function<void()> offered)
{
    return new UDisksListener(std::move(sysfsRoot), std::move(offers), std::move(offered));
}
