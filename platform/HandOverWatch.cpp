#include "platform/HandOverWatch.h"

#include "framework/LException.h"
#include "platform/SingleInstance.h"

#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

HandOverWatch::HandOverWatch(SingleInstance& instance, std::function<void(const SingleInstance::Activation&)> onReopen,
    SingleInstance::Answer toDesktop)
    : mInstance(instance)
    , mOnReopen(std::move(onReopen))
    , mToDesktop(toDesktop)
    , mReading(std::make_unique<QSocketNotifier>(QSocketNotifier::Read))
    , mTimeLimit(std::make_unique<QTimer>())
{
    mReading->setEnabled(false);
    QObject::connect(mReading.get(), &QSocketNotifier::activated, [this] { Read(); });
    mTimeLimit->setSingleShot(true);
    mTimeLimit->setInterval(kConnectionMilliseconds);
    QObject::connect(mTimeLimit.get(), &QTimer::timeout, [this] { Drop(); });
    if (instance.GetListeningSocket() < 0)
        return;
    mListening = std::make_unique<QSocketNotifier>(instance.GetListeningSocket(), QSocketNotifier::Read);
    QObject::connect(mListening.get(), &QSocketNotifier::activated, [this] { Accept(); });
}

HandOverWatch::~HandOverWatch()
{
    mReading->setEnabled(false);
    if (mConnection >= 0)
        ::close(mConnection);
}

void HandOverWatch::Accept()
{
    mConnection = mInstance.AcceptConnection();
    if (mConnection < 0)
        return;
    // Later launches wait in the socket's queue until this one is answered or dropped.
    mListening->setEnabled(false);
    mReceived.clear();
    mReading->setSocket(mConnection);
    mReading->setEnabled(true);
    mTimeLimit->start();
}

void HandOverWatch::Read()
{
    SingleInstance::Activation activation;
    switch (SingleInstance::ReadRequest(mConnection, mReceived, activation, mToDesktop)) {
    case SingleInstance::Request::Incomplete:
        return;
    case SingleInstance::Request::Headless:
    case SingleInstance::Request::Refused:
        Drop();
        return;
    case SingleInstance::Request::Reopen:
        Drop();
        LException::ReportAndDrop("a new launch's hand-over", [&] { mOnReopen(activation); });
        return;
    }
}

void HandOverWatch::Drop()
{
    mTimeLimit->stop();
    mReading->setEnabled(false);
    if (mConnection >= 0)
        ::close(mConnection);
    mConnection = -1;
    if (mListening)
        mListening->setEnabled(true);
}
