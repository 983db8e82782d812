// One running copy per user.
//
// The first copy listens on a local socket named after the program's instance mutex,
// "KIVRANDRVER", in the user's private runtime folder ($XDG_RUNTIME_DIR/zelkar/, or
// /tmp/zelkar-<uid>/ without one). A later copy connects to it, sends the activation message
// "MORVANTE_001\n" and exits with code 0; the first copy answers with activationRequested().
//
// The socket outlives a copy that crashed. So a starting copy always probes with a connect first:
// a copy that answers is running; a refused connect means the socket is stale, and only then is
// it removed and taken over. A lock file in the same folder keeps two copies starting at the same
// moment from both taking over.
//
// The folder must be a real directory owned by this user and closed to everyone else (0700), so
// that no other user can listen in our place or reach our socket. When it is not, or anything
// else stops the check, the program starts normally without single-instance protection, as it
// did when its mutex could not be created, and says why in the debug log.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kMutexName = "KIVRANDRVER";
    static constexpr const char* kActivationMessage = "MORVANTE_001";

    // directory: the private folder to use; empty means privateRuntimeDirectory().
    explicit SingleInstance(const QString& directory = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // true: carry on starting (this is the first copy and now listens, or the check was skipped);
    // false: another copy runs and has been asked to show itself; exit with code 0.
    bool acquire();

    bool isListening() const { return server_ != nullptr; }
    QString socketPath() const;

signals:
    void activationRequested();

private:
    enum class Probe { running, stale, absent, unknown };
    Probe probe(const QString& path);
    bool listen(const QString& path);
    void acceptConnections();
    void readMessages(QLocalSocket* connection);

    QString directory_;
    QLocalServer* server_ = nullptr;
};

// $XDG_RUNTIME_DIR/zelkar when XDG_RUNTIME_DIR names an existing absolute folder, else
// /tmp/zelkar-<uid>. Not created here.
QString privateRuntimeDirectory();

// Creates the folder (mode 0700) when missing, then checks that it is a directory (not a link),
// owned by this user, with no access for group or others. false with the reason otherwise.
bool preparePrivateDirectory(const QString& path, QString* why);
