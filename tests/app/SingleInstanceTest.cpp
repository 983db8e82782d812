#include "app/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "support/TestSupport.h"

using testsupport::TempDir;

namespace {

// Started with ZELKAR_SI_ROLE set, the test program plays one copy of Zelkar and exits before any
// test runs: "second" exits 0 when a running copy took its activation (3 if it found none);
// "first" prints "listening", then "activated" per activation, until it is killed.
int playCopy(const char* role, const char* directory) {
    int argc = 1;
    char name[] = "zelkar";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(directory));
    bool first = instance.acquire();
    if (std::string(role) != "first") return first ? 3 : 0;
    if (!first) return 4;
    QObject::connect(&instance, &SingleInstance::activationRequested, [] { std::puts("activated"), std::fflush(stdout); });
    std::puts("listening");
    std::fflush(stdout);
    return app.exec();
}

[[maybe_unused]] const bool g_playingACopy = [] {
    if (const char* role = std::getenv("ZELKAR_SI_ROLE")) std::_Exit(playCopy(role, std::getenv("ZELKAR_SI_DIR")));
    return false;
}();

// Widgets tests may share this program, so the application is a full (offscreen) QApplication.
void ensureApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

bool spinUntil(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

struct Copy {
    explicit Copy(const char* role, const QString& directory) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZELKAR_SI_ROLE", role);
        env.insert("ZELKAR_SI_DIR", directory);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), {});
    }
    ~Copy() {
        process.kill();
        process.waitForFinished();
    }
    bool waitForLine(const QByteArray& line) {
        return spinUntil([&] { return process.waitForReadyRead(20), process.canReadLine() && process.readLine().trimmed() == line; });
    }
    int exitCode() {
        process.waitForFinished(10000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QProcess process;
};

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    QString dir() const { return QString::fromStdString(temp_.file("run")); }
    TempDir temp_;
};

}  // namespace

TEST_F(SingleInstanceTest, SecondCopyActivatesTheFirstAndExitsZero) {
    SingleInstance first(dir());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
    ASSERT_TRUE(first.acquire());
    ASSERT_TRUE(first.isListening());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(first.socketPath()).constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    for (int copy = 1; copy <= 2; ++copy) {  // a third copy is answered the same way
        Copy second("second", dir());
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(spinUntil([&] { return activations == copy; }));
    }
    EXPECT_TRUE(first.isListening());
}

TEST_F(SingleInstanceTest, ALiveCopyInAnotherProcessIsNeverTakenOver) {
    Copy first("first", dir());
    ASSERT_TRUE(first.waitForLine("listening"));
    SingleInstance second(dir());
    EXPECT_FALSE(second.acquire());
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(first.waitForLine("activated"));
    EXPECT_EQ(Copy("second", dir()).exitCode(), 0);  // its socket is still in place
    EXPECT_TRUE(first.waitForLine("activated"));
}

TEST_F(SingleInstanceTest, SocketLeftByAKilledCopyDoesNotBlockTheNextStart) {
    {
        Copy crashed("first", dir());
        ASSERT_TRUE(crashed.waitForLine("listening"));
        crashed.process.kill();  // SIGKILL: nothing is cleaned up
        crashed.process.waitForFinished();
    }
    ASSERT_TRUE(QFileInfo::exists(dir() + "/KIVRANDRVER"));
    SingleInstance next(dir());
    int activations = 0;
    QObject::connect(&next, &SingleInstance::activationRequested, [&] { ++activations; });
    ASSERT_TRUE(next.acquire());
    EXPECT_TRUE(next.isListening());
    EXPECT_EQ(Copy("second", dir()).exitCode(), 0);
    EXPECT_TRUE(spinUntil([&] { return activations == 1; }));
}

TEST_F(SingleInstanceTest, OnlyTheActivationLineActivates) {
    struct Case { QByteArray sent; int activations; } cases[] = {
        {"MORVANTE_001\n", 1}, {"MORVANTE_001\r\n", 1}, {"MORVANTE_001\nMORVANTE_001\n", 2},
        {"MORVANTE_001", 0}, {"HELLO\n", 0}, {"MORVANTE_0011\n", 0}, {QByteArray(4096, 'M'), 0},
    };
    SingleInstance first(dir());
    ASSERT_TRUE(first.acquire());
    for (const Case& c : cases) {
        int activations = 0;
        auto link = QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
        QLocalSocket client;
        client.connectToServer(first.socketPath());
        ASSERT_TRUE(client.waitForConnected(2000));
        client.write(c.sent);
        client.waitForBytesWritten(2000);
        client.disconnectFromServer();
        spinUntil([&] { return activations > c.activations; }, 150);
        EXPECT_EQ(activations, c.activations) << c.sent.left(40).toStdString();
        QObject::disconnect(link);
    }
}

TEST_F(SingleInstanceTest, UnsafeRuntimeFoldersAreRefusedAndTheProgramStartsAnyway) {
    const std::string path = dir().toStdString(), real = path + "-real";
    auto privateDir = [](const std::string& p) { ::mkdir(p.c_str(), 0700); };
    struct Case { const char* name; std::function<void()> make; bool accepted; } cases[] = {
        {"missing: created 0700", [] {}, true},
        {"private", [&] { privateDir(path); }, true},
        {"open to others", [&] { privateDir(path), ::chmod(path.c_str(), 0755); }, false},
        {"open to the group", [&] { privateDir(path), ::chmod(path.c_str(), 0770); }, false},
        {"another user's", [&] { privateDir(path), (void)!::chown(path.c_str(), 65534, 65534); }, false},
        {"a link to a private folder", [&] { privateDir(real), (void)!::symlink(real.c_str(), path.c_str()); }, false},
        {"a file", [&] { testsupport::writeFile(path, ""); }, false},
    };
    for (const Case& c : cases) {
        if (std::string(c.name) == "another user's" && ::geteuid() != 0) continue;  // needs chown
        std::filesystem::remove_all(path);
        std::filesystem::remove_all(real);
        c.make();
        QString why;
        EXPECT_EQ(preparePrivateDirectory(dir(), &why), c.accepted) << c.name;
        EXPECT_EQ(why.isEmpty(), c.accepted) << c.name;
        SingleInstance instance(dir());
        EXPECT_TRUE(instance.acquire()) << c.name;
        EXPECT_EQ(instance.isListening(), c.accepted) << c.name;
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(!c.accepted || (st.st_mode & 0777) == 0700) << c.name;
    }
}

TEST_F(SingleInstanceTest, RuntimeFolderComesFromXdgRuntimeDir) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const bool hadIt = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QString fallback = QString("/tmp/zelkar-%1").arg(::geteuid());
    struct Case { const char* value; QString expected; } cases[] = {
        {nullptr, fallback}, {"relative/dir", fallback}, {"/no/such/folder", fallback},
        {temp_.path().c_str(), QString::fromStdString(temp_.path()) + "/zelkar"},
    };
    for (const Case& c : cases) {
        c.value ? qputenv("XDG_RUNTIME_DIR", c.value) : qunsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(privateRuntimeDirectory(), c.expected) << (c.value ? c.value : "(unset)");
    }
    hadIt ? qputenv("XDG_RUNTIME_DIR", saved) : qunsetenv("XDG_RUNTIME_DIR");
}
