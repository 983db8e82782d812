// The real program, started as separate processes: one copy per user, activation of the running
// copy, the no-device guard across copies, and the orderly end on SIGTERM.
//
// The copies are started with fork and execve rather than QProcess: QProcess starts its child
// sharing our memory until the exec, which ThreadSanitizer mistakes for a fork of this whole
// multi-threaded program and then refuses every later thread.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "app/AppTestSupport.h"
#include "app/ProcessAndWire.h"

namespace {

using Clock = std::chrono::steady_clock;
extern "C" char** environ;

// One copy of zelkar with its debug log on standard error, in the test's private folders.
class Copy {
public:
    Copy(const std::string& program, const std::map<std::string, std::string>& env) {
        std::vector<std::string> strings;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (!env.count(entry.substr(0, entry.find('=')))) strings.push_back(entry);
        }
        for (const auto& [name, value] : env)
            if (value != "\x01unset") strings.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& s : strings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::string path = program;
        char* argv[] = {path.data(), nullptr};
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(out[1], 2);
            ::execve(path.c_str(), argv, envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = out[0];
        ::fcntl(output_, F_SETFL, O_NONBLOCK);
    }
    ~Copy() {
        if (running()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) ::close(output_);
    }
    bool started() const { return pid_ > 0; }
    bool waitForLog(const std::string& text, int ms = 8000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (count(text) == 0) {
            if (Clock::now() >= deadline) return false;
            pollpause();
        }
        return true;
    }
    int count(const std::string& text) {
        drain();
        int n = 0;
        for (size_t at = log_.find(text); at != std::string::npos; at = log_.find(text, at + 1)) ++n;
        return n;
    }
    // The exit code; -1 when it did not end in time, -2 when a signal ended it.
    int finish(int ms = 8000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (running()) {
            if (Clock::now() >= deadline) return -1;
            pollpause();
        }
        drain();
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -2;
    }
    void terminate() { ::kill(pid_, SIGTERM); }
    const std::string& log() {
        drain();
        return log_;
    }

private:
    bool running() {
        if (pid_ <= 0 || ended_) return false;
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
        return !ended_;
    }
    void drain() {
        char buffer[4096];
        for (ssize_t n; output_ >= 0 && (n = ::read(output_, buffer, sizeof buffer)) > 0;) log_.append(buffer, size_t(n));
    }
    void pollpause() {
        pollfd p{output_, POLLIN, 0};
        ::poll(&p, 1, 10);
        drain();
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = 0;
    bool ended_ = false;
    std::string log_;
};

class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = apptest::binaryDir() + "/bin/zelkar";
        ZELKAR_NEED_PROGRAM(::access(program.c_str(), X_OK) == 0, program);
        testsupport::makeDirs(dir.path() + "/run");
        ::chmod((dir.path() + "/run").c_str(), 0700);
        env = {
            {"XDG_RUNTIME_DIR", dir.path() + "/run"},  // its own bus folder: no device
            {"HOME", dir.path() + "/home"},
            {"XDG_CONFIG_HOME", dir.path() + "/home/.config"},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"QT_LOGGING_RULES", "zelkar.debug=true"},
            {"ZELKAR_DEBUG", "\x01unset"},
        };
    }
    testsupport::TempDir dir;
    std::string program;
    std::map<std::string, std::string> env;
};

}  // namespace

TEST_F(ProgramProcessTest, SecondCopyWakesTheFirstAndNoSecondBoxOpens) {
    Copy first(program, env);
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(first.waitForLog("showing message_text_1")) << first.log();

    for (int copy = 2; copy <= 3; ++copy) {
        Copy later(program, env);
        EXPECT_EQ(later.finish(), 0);
        EXPECT_EQ(later.log().find("InitWindow"), std::string::npos) << "a later copy made a window";
        const auto deadline = Clock::now() + std::chrono::seconds(8);
        while (first.count("no-device box is already open") < copy - 1 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(first.count("no-device box is already open"), copy - 1) << first.log();
    }
    EXPECT_EQ(first.count("showing message_text_1"), 1);

    first.terminate();
    EXPECT_EQ(first.finish(), 0);
    EXPECT_NE(first.log().find("shutdown: 5 workers ended, 0 left behind"), std::string::npos) << first.log();
}

TEST_F(ProgramProcessTest, TerminationEndsTheProgramTheOrderlyWay) {
    {
        Copy copy(program, env);
        ASSERT_TRUE(copy.waitForLog("showing message_text_1"));
        copy.terminate();  // SIGTERM and SIGINT take the same road
        EXPECT_EQ(copy.finish(), 0);
        EXPECT_NE(copy.log().find("signal 15: closing"), std::string::npos);
        EXPECT_NE(copy.log().find("workers ended"), std::string::npos);
    }
    // Its socket went with it: the next copy starts as the first.
    Copy next(program, env);
    EXPECT_TRUE(next.waitForLog("InitWindow")) << next.log();
}
