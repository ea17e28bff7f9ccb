#include "metrics/MetricsEndpoint.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

struct MetricsEndpoint::Connection {
    std::string head;
    bool answered = false;
    // A child of the socket, so that it goes with it: a connection may be dropped from the timer's own signal.
    QTimer* deadline = nullptr;
};

MetricsEndpoint::MetricsEndpoint(const MetricsResponder& responder, Limits limits)
    : mResponder(responder)
    , mLimits(limits)
{
    // Connections past the limit are left in the kernel's backlog, not taken into memory here.
    mServer.setMaxPendingConnections(1);
    QObject::connect(&mServer, &QTcpServer::newConnection, &mServer, [this] { AcceptWaiting(); });
}

MetricsEndpoint::~MetricsEndpoint()
{
    mServer.close();
    for (auto& [socket, connection] : mConnections) {
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
        socket->abort();
        delete socket;
    }
}

bool MetricsEndpoint::Listen(const MetricsAddress& address, std::string& error)
{
    if (!mServer.listen(QHostAddress(QString::fromStdString(address.host)), address.port)) {
        error = "cannot listen at " + address.ToString() + ": " + mServer.errorString().toStdString();
        return false;
    }
    return true;
}

void MetricsEndpoint::AcceptWaiting()
{
    while (mConnections.size() < mLimits.connections && mServer.hasPendingConnections()) {
        QTcpSocket* socket = mServer.nextPendingConnection();
        if (socket == nullptr)
            break;
        // The endpoint owns its sockets; the server must not delete them when it closes.
        socket->setParent(nullptr);
        auto connection = std::make_unique<Connection>();
        connection->deadline = new QTimer(socket);
        connection->deadline->setSingleShot(true);
        QObject::connect(connection->deadline, &QTimer::timeout, socket, [this, socket] { Drop(socket); });
        connection->deadline->start(mLimits.readTimeout);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { Drop(socket); });
        mConnections.emplace(socket, std::move(connection));
        Read(socket);
    }
    if (mConnections.size() >= mLimits.connections)
        mServer.pauseAccepting();
}

void MetricsEndpoint::Read(QTcpSocket* socket)
{
    auto found = mConnections.find(socket);
    if (found == mConnections.end() || found->second->answered)
        return;
    Connection& connection = *found->second;
    // Never more than the limit and one more byte: that byte tells a head that is too long.
    while (socket->bytesAvailable() > 0) {
        size_t room = mLimits.headerBytes + 1 - connection.head.size();
        QByteArray bytes = socket->read(static_cast<qint64>(room));
        connection.head.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        size_t end = connection.head.find("\r\n\r\n");
        if (end == std::string::npos)
            end = connection.head.find("\n\n");
        if (end != std::string::npos && end + 2 <= mLimits.headerBytes) {
            Answer(socket, mResponder.Respond(std::string_view(connection.head).substr(0, end + 2)));
            return;
        }
        if (connection.head.size() > mLimits.headerBytes) {
            Answer(socket, MetricsResponder::HeadTooLarge());
            return;
        }
    }
}

void MetricsEndpoint::Answer(QTcpSocket* socket, const std::string& response)
{
    Connection& connection = *mConnections.at(socket);
    connection.answered = true;
    connection.head = {};
    socket->write(response.data(), static_cast<qint64>(response.size()));
    // The response leaves as the client reads it; the deadline still drops a client that never does.
    socket->disconnectFromHost();
}

void MetricsEndpoint::Drop(QTcpSocket* socket)
{
    auto found = mConnections.find(socket);
    if (found == mConnections.end())
        return;
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    found->second->deadline->stop();
    mConnections.erase(found);
    socket->abort();
    socket->deleteLater();
    if (mConnections.size() < mLimits.connections) {
        mServer.resumeAccepting();
        AcceptWaiting();
    }
}
