#include "tests/support/UDisks2StandIn.h"

#include <stdexcept>

UDisks2StandIn::UDisks2StandIn(const std::string& busAddress)
{
    mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mProcess.start(QStringLiteral(KELVARA_UDISKS2_STAND_IN), { QString::fromStdString(busAddress) });
    if (!mProcess.waitForStarted(5000))
        throw std::runtime_error("udisks2-stand-in does not start");
}

UDisks2StandIn::~UDisks2StandIn()
{
    mProcess.closeWriteChannel();
    if (!mProcess.waitForFinished(5000)) {
        mProcess.kill();
        mProcess.waitForFinished(1000);
    }
}

void UDisks2StandIn::Send(const std::string& line)
{
    mProcess.write(QByteArray::fromStdString(line + "\n"));
    while (!mProcess.canReadLine()) {
        if (!mProcess.waitForReadyRead(5000))
            throw std::runtime_error("udisks2-stand-in does not answer \"" + line + "\"");
    }
    mProcess.readLine();
}

void UDisks2StandIn::Add(const Drive& drive)
{
    Send("drive\t" + drive.name + "\t" + drive.id + "\t" + drive.model + "\t" + drive.serial + "\t"
        + (drive.smartSupported ? "1" : "0") + "\t" + (drive.smartEnabled ? "1" : "0") + "\t"
        + std::to_string(drive.kelvin) + "\t" + drive.device);
}

void UDisks2StandIn::SetTemperature(const std::string& name, double kelvin)
{
    Send("temperature\t" + name + "\t" + std::to_string(kelvin));
}

void UDisks2StandIn::InvalidateTemperature(const std::string& name, double kelvin)
{
    Send("invalidate\t" + name + "\t" + std::to_string(kelvin));
}

void UDisks2StandIn::Remove(const std::string& name)
{
    Send("remove\t" + name);
}

void UDisks2StandIn::MakeTemperatureText(const std::string& name)
{
    Send("textual\t" + name);
}

void UDisks2StandIn::Own()
{
    Send("own");
}

void UDisks2StandIn::Hang()
{
    Send("hang");
}
