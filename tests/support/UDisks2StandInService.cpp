// A stand-in for the UDisks2 daemon on a private bus, for tests: the object manager with drive, ATA and block
// objects as UDisks2 lays them out, Get and GetAll, and the signals UDisks2 sends when drives come and go and
// SMART values change. It reads commands on standard input, one a line, fields separated by tabs, and answers
// each with "ok":
//   drive <name> <Id> <Model> <Serial> <SmartSupported 0|1> <SmartEnabled 0|1> <SmartTemperature> <device>
//   temperature <name> <kelvin>      the new value, sent with PropertiesChanged
//   invalidate <name> <kelvin>       the new value, announced as invalidated (to be fetched with Get)
//   textual <name>                   SmartTemperature as text ("308.15") from now on, as a faulty daemon might
//   remove <name>                    InterfacesRemoved for the drive and its block device
//   own                              takes the name org.freedesktop.UDisks2 (the drives so far are there)
//   hang                             never answers GetManagedObjects again, as a hung daemon does
// Usage: udisks2-stand-in <bus address>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>

using Interfaces = QMap<QString, QVariantMap>;
using Objects = QMap<QDBusObjectPath, Interfaces>;
Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(Objects)

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kAta = QStringLiteral("org.freedesktop.UDisks2.Drive.Ata");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");

struct Drive {
    QString id, model, serial, device;
    bool smartSupported = false;
    bool smartEnabled = false;
    double kelvin = 0;
    bool textual = false;
};

class UDisks2StandInService : public QDBusVirtualObject {
public:
    explicit UDisks2StandInService(QDBusConnection bus)
        : mBus(bus)
    {
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() == kObjectManager && message.member() == QStringLiteral("GetManagedObjects")
            && message.path() == kRoot) {
            if (mHung)
                return true;
            connection.send(message.createReply(QVariant::fromValue(AllObjects())));
            return true;
        }
        if (message.interface() != kProperties)
            return false;
        Objects objects = AllObjects();
        auto object = objects.find(QDBusObjectPath(message.path()));
        if (object == objects.end())
            return false;
        QVariantMap properties = object->value(message.arguments().value(0).toString());
        if (message.member() == QStringLiteral("GetAll")) {
            connection.send(message.createReply(QVariant::fromValue(properties)));
        } else if (message.member() == QStringLiteral("Get")) {
            QVariant value = properties.value(message.arguments().value(1).toString());
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        } else {
            return false;
        }
        return true;
    }

    void Command(const QStringList& fields)
    {
        const QString& what = fields.value(0);
        const QString name = fields.value(1);
        if (what == QStringLiteral("drive") && fields.size() == 9) {
            Drive drive { fields[2], fields[3], fields[4], fields[8], fields[5] == QStringLiteral("1"),
                fields[6] == QStringLiteral("1"), fields[7].toDouble() };
            mDrives[name] = drive;
            Announce(
                QStringLiteral("InterfacesAdded"), DrivePath(name), QVariant::fromValue(DriveInterfaces(name, drive)));
            if (!drive.device.isEmpty())
                Announce(QStringLiteral("InterfacesAdded"), BlockPath(drive),
                    QVariant::fromValue(BlockInterfaces(name, drive)));
        } else if ((what == QStringLiteral("temperature") || what == QStringLiteral("invalidate"))
            && mDrives.contains(name)) {
            mDrives[name].kelvin = fields.value(2).toDouble();
            QVariantMap changed;
            QStringList invalidated;
            if (what == QStringLiteral("temperature"))
                changed.insert(QStringLiteral("SmartTemperature"), mDrives[name].kelvin);
            else
                invalidated << QStringLiteral("SmartTemperature");
            QDBusMessage signal
                = QDBusMessage::createSignal(DrivePath(name), kProperties, QStringLiteral("PropertiesChanged"));
            signal << kAta << changed << invalidated;
            mBus.send(signal);
        } else if (what == QStringLiteral("remove") && mDrives.contains(name)) {
            Drive drive = mDrives[name];
            mDrives.erase(name);
            if (!drive.device.isEmpty())
                Announce(QStringLiteral("InterfacesRemoved"), BlockPath(drive), QStringList { kBlock });
            Announce(QStringLiteral("InterfacesRemoved"), DrivePath(name), QStringList { kDrive, kAta });
        } else if (what == QStringLiteral("textual") && mDrives.contains(name)) {
            mDrives[name].textual = true;
        } else if (what == QStringLiteral("own")) {
            if (!mBus.registerService(QStringLiteral("org.freedesktop.UDisks2")))
                std::fprintf(stderr, "udisks2-stand-in: cannot own the name\n");
        } else if (what == QStringLiteral("hang")) {
            mHung = true;
        } else {
            std::fprintf(stderr, "udisks2-stand-in: unknown command %s\n", qPrintable(fields.join(' ')));
        }
    }

private:
    static QString DrivePath(const QString& name) { return kRoot + QStringLiteral("/drives/") + name; }
    static QString BlockPath(const Drive& drive)
    {
        return kRoot + QStringLiteral("/block_devices/") + drive.device.section('/', -1);
    }

    static Interfaces DriveInterfaces(const QString&, const Drive& drive)
    {
        Interfaces interfaces;
        interfaces[kDrive] = QVariantMap { { QStringLiteral("Id"), drive.id }, { QStringLiteral("Model"), drive.model },
            { QStringLiteral("Serial"), drive.serial }, { QStringLiteral("Vendor"), QString() },
            { QStringLiteral("Size"), QVariant::fromValue<qulonglong>(4000787030016ULL) },
            { QStringLiteral("Configuration"), QVariant::fromValue(QVariantMap()) },
            { QStringLiteral("Removable"), false } };
        interfaces[kAta] = QVariantMap { { QStringLiteral("SmartSupported"), drive.smartSupported },
            { QStringLiteral("SmartEnabled"), drive.smartEnabled },
            { QStringLiteral("SmartTemperature"),
                drive.textual ? QVariant(QString::number(drive.kelvin)) : QVariant(drive.kelvin) },
            { QStringLiteral("SmartUpdated"), QVariant::fromValue<qulonglong>(1765000000ULL) },
            { QStringLiteral("PmSupported"), true } };
        return interfaces;
    }

    static Interfaces BlockInterfaces(const QString& name, const Drive& drive)
    {
        QByteArray device = drive.device.toUtf8();
        device.append('\0');
        Interfaces interfaces;
        interfaces[kBlock] = QVariantMap { { QStringLiteral("Device"), device },
            { QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(DrivePath(name))) },
            { QStringLiteral("Size"), QVariant::fromValue<qulonglong>(4000787030016ULL) },
            { QStringLiteral("Symlinks"), QVariant::fromValue(QByteArrayList { QByteArray("/dev/disk/by-id/x") }) } };
        return interfaces;
    }

    Objects AllObjects() const
    {
        Objects objects;
        // What every UDisks2 lists besides drives: the manager, and a loop device that belongs to no drive.
        objects[QDBusObjectPath(kRoot + QStringLiteral("/Manager"))][QStringLiteral("org.freedesktop.UDisks2.Manager")]
            = QVariantMap { { QStringLiteral("Version"), QStringLiteral("2.9.4") } };
        QByteArray loop("/dev/loop0");
        loop.append('\0');
        objects[QDBusObjectPath(kRoot + QStringLiteral("/block_devices/loop0"))][kBlock]
            = QVariantMap { { QStringLiteral("Device"), loop },
                  { QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath("/")) } };
        for (const auto& [name, drive] : mDrives) {
            objects[QDBusObjectPath(DrivePath(name))] = DriveInterfaces(name, drive);
            if (!drive.device.isEmpty())
                objects[QDBusObjectPath(BlockPath(drive))] = BlockInterfaces(name, drive);
        }
        return objects;
    }

    void Announce(const QString& member, const QString& path, const QVariant& what)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kRoot, kObjectManager, member);
        signal << QVariant::fromValue(QDBusObjectPath(path)) << what;
        mBus.send(signal);
    }

    QDBusConnection mBus;
    std::map<QString, Drive> mDrives;
    bool mHung = false;
};

}

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: udisks2-stand-in <bus address>\n");
        return 2;
    }
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<Objects>();
    qDBusRegisterMetaType<QByteArrayList>();
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("stand-in"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "udisks2-stand-in: cannot connect to %s\n", argv[1]);
        return 1;
    }
    UDisks2StandInService service(bus);
    bus.registerVirtualObject(kRoot, &service, QDBusConnection::SubPath);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[4096];
        ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            application.quit();
            return;
        }
        pending.append(buffer, static_cast<size_t>(count));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            QString line = QString::fromStdString(pending.substr(0, end));
            pending.erase(0, end + 1);
            service.Command(line.split('\t'));
            std::cout << "ok" << std::endl;
        }
    });
    return application.exec();
}
