#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"

namespace {

constexpr int kProbeTimeoutMs = 2000;
constexpr qint64 kMaxLine = 256;  // a peer that sends more without a line end is not one of us

// Held while a copy probes and takes over the socket. Released by the kernel if the copy dies.
class StartLock {
public:
    explicit StartLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~StartLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

void log(const QString& text) { debugLog("single instance: " + text.toStdString()); }

}  // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent), directory_(directory.isEmpty() ? privateRuntimeDirectory() : directory) {}

SingleInstance::~SingleInstance() = default;  // the server, a child, closes and removes its socket

QString SingleInstance::socketPath() const { return directory_ + "/" + kMutexName; }

bool SingleInstance::acquire() {
    if (server_) return true;
    QString why;
    if (!preparePrivateDirectory(directory_, &why)) {
        log("not checked, starting anyway: " + why);
        return true;
    }
    StartLock lock(socketPath() + ".lock");
    if (!lock.held()) {
        log("not checked, starting anyway: no lock file in " + directory_);
        return true;
    }
    const QString path = socketPath();
    switch (probe(path)) {
    case Probe::running:
        log("another copy runs; it was asked to show itself");
        return false;
    case Probe::stale:
        log("removing the socket a stopped copy left behind");
        QLocalServer::removeServer(path);
        break;
    case Probe::absent:
        break;
    case Probe::unknown:
        return true;  // never take over a socket we could not rule out as live
    }
    listen(path);
    return true;
}

SingleInstance::Probe SingleInstance::probe(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(kProbeTimeoutMs)) {
        socket.write(QByteArray(kActivationMessage) + '\n');
        socket.waitForBytesWritten(kProbeTimeoutMs);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kProbeTimeoutMs);
        return Probe::running;
    }
    switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError: return Probe::absent;
    case QLocalSocket::ConnectionRefusedError: return Probe::stale;
    default:
        log("not checked, starting anyway: probing " + path + " failed: " + socket.errorString());
        return Probe::unknown;
    }
}

bool SingleInstance::listen(const QString& path) {
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        log("not checked, starting anyway: cannot listen on " + path + ": " + server->errorString());
        delete server;
        return false;
    }
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* connection = server_->nextPendingConnection()) {
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] { readMessages(connection); });
        connect(connection, &QLocalSocket::disconnected, this, [this, connection] {
            readMessages(connection);
            connection->deleteLater();
        });
    }
}

void SingleInstance::readMessages(QLocalSocket* connection) {
    while (connection->canReadLine()) {
        QByteArray line = connection->readLine().trimmed();
        if (line == kActivationMessage)
            emit activationRequested();
        else
            log("ignored an unknown message of " + QString::number(line.size()) + " bytes");
    }
    if (connection->bytesAvailable() > kMaxLine) {
        log("dropped a connection that sent no line end");
        connection->abort();
    }
}

QString privateRuntimeDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime) + "/zelkar";
    return QStringLiteral("/tmp/zelkar-%1").arg(::geteuid());
}

bool preparePrivateDirectory(const QString& path, QString* why) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        *why = path + ": cannot create: " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        *why = path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *why = path + " is not a directory";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *why = path + " belongs to user " + QString::number(st.st_uid);
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        *why = path + " is open to other users (mode " + QString::number(st.st_mode & 0777, 8) + ")";
        return false;
    }
    return true;
}
