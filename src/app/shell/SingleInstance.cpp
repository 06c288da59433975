#include "shell/SingleInstance.h"

#include "shell/CommandLine.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace wpe {

TSingleInstance::TSingleInstance() : lock_(std::make_unique<QLockFile>(LockPath()))
{
    lock_->setStaleLockTime(0);  // only a dead owner makes the lock stale
}

TSingleInstance::~TSingleInstance()
{
    if (server_)
        server_->close();
}

bool TSingleInstance::Acquire()
{
    return lock_->tryLock(0);
}

QString TSingleInstance::LockPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    return QDir(dir).filePath("VantorelDevKit.lock");
}

} // namespace wpe

namespace wpe {

QString TSingleInstance::ChannelName()
{
#ifdef _WIN32
    return QStringLiteral("VantorelDevKit-") + qEnvironmentVariable("USERNAME");
#else
    return LockPath().chopped(5) + ".sock";  // beside the lock, in the user's own folder
#endif
}

bool TSingleInstance::Listen(std::function<void(const std::vector<std::string>&)> receive)
{
    receive_ = std::move(receive);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, a socket left by a crashed copy is ours to replace.
    QLocalServer::removeServer(ChannelName());
    if (!server_->listen(ChannelName()))
        return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] { buffer->append(socket->readAll()); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                socket->deleteLater();
                if (receive_)
                    receive_(DecodeHandOver(buffer->toStdString()));
            });
        }
    });
    return true;
}

bool TSingleInstance::HandOver(const std::vector<std::string>& paths, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(ChannelName());
        if (socket.waitForConnected(500))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    QByteArray message = QByteArray::fromStdString(EncodeHandOver(paths));
    socket.write(message);
    bool written = socket.waitForBytesWritten(2000) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(2000);
    return written;
}

} // namespace wpe
