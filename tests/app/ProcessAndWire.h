// The real program and the emulator as child processes, and the emulator's wire log read back:
// shared by the tests that run them as separate processes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

extern "C" char** environ;

namespace e2e {

// A child process with its standard input on a pipe we write to; its output goes to outputPath
// (nowhere when empty), for the test to show when it fails.
class Child {
public:
    Child(std::vector<std::string> argv, const std::vector<std::string>& extraEnv, const std::string& outputPath = {}) {
        // Our own values replace the inherited ones (the first of two equal names would win).
        std::vector<std::string> env = extraEnv;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const std::string& own : extraEnv) replaced |= own.rfind(name, 0) == 0;
            if (!replaced) env.push_back(entry);
        }
        std::vector<char*> envp, args;
        for (std::string& s : env) envp.push_back(s.data());
        envp.push_back(nullptr);
        for (std::string& s : argv) args.push_back(s.data());
        args.push_back(nullptr);
        int in[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            const int output = outputPath.empty() ? ::open("/dev/null", O_WRONLY)
                                                  : ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(output, 1);
            ::dup2(output, 2);
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
        ::close(in[0]);
        input_ = in[1];
    }
    ~Child() {
        if (input_ >= 0) ::close(input_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            for (int i = 0; i < 200 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    void say(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] ssize_t n = ::write(input_, text.data(), text.size());
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

// Polls check every 50 ms until it holds or the limit passes (limits are generous: sanitizer
// builds are slow); answers whether it held.
template <typename Check>
bool waitUntil(Check check, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (check()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The last lines of a file, for a failure message.
inline std::string tailOf(const std::string& path, size_t lines = 40) {
    std::ifstream in(path);
    std::vector<std::string> kept;
    for (std::string line; std::getline(in, line);) {
        kept.push_back(line);
        if (kept.size() > lines) kept.erase(kept.begin());
    }
    std::string text;
    for (const std::string& line : kept) text += line + "\n";
    return text;
}

// Shows the end of a child's output when the test has failed by the time it goes out of scope.
struct OutputOnFailure {
    std::string path;
    ~OutputOnFailure() {
        if (::testing::Test::HasFailure()) std::cerr << "---- the end of " << path << ":\n" << tailOf(path, 150);
    }
};

// The programs of this build and the private folders both run in: a home (with Documents) and a
// runtime folder, so that nothing touches the user's files or bus.
struct Session {
    std::string build = std::getenv("ZELKAR_BINARY_DIR") ? std::getenv("ZELKAR_BINARY_DIR") : "";
    std::string program = build + "/bin/zelkar", emulator = build + "/sim/zelkar-vhid";
    testsupport::TempDir home, runtime;
    std::string documents = home.path() + "/Documents", wire = home.file("wire.jsonl"), log = home.file("zelkar.log");
    std::vector<std::string> env = {"HOME=" + home.path(), "XDG_RUNTIME_DIR=" + runtime.path(),
                                    "XDG_DOCUMENTS_DIR=" + documents, "QT_QPA_PLATFORM=offscreen"};

    bool built() const { return ::access(program.c_str(), X_OK) == 0; }
    // zelkar-vhid with the devices, its wire log in wire, given a moment to publish them.
    std::unique_ptr<Child> startBus(const std::string& devices) {
        auto bus = std::make_unique<Child>(std::vector<std::string>{emulator, "--devices", devices, "--wire-log", wire}, env);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return bus;
    }
    std::unique_ptr<Child> startProgram() { return std::make_unique<Child>(std::vector<std::string>{program}, env, log); }
};

struct Report {
    double t;
    std::string dev;
    bool out;
    std::vector<uint8_t> bytes;
};

inline std::string field(const std::string& line, const std::string& name) {
    const size_t at = line.find("\"" + name + "\":");
    if (at == std::string::npos) return {};
    size_t start = line.find_first_not_of(" \"", at + name.size() + 3);
    size_t end = line.find_first_of("\",}", start);
    return line.substr(start, end - start);
}

inline std::vector<Report> readWire(const std::string& path) {
    std::vector<Report> reports;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.back() != '}') continue;
        reports.push_back({std::atof(field(line, "t").c_str()), field(line, "dev"), field(line, "dir") == "out",
                           testsupport::fromHex(field(line, "hex"))});
    }
    return reports;
}

inline std::vector<Report> sentTo(const std::vector<Report>& all, const std::string& dev, double after = -1) {
    std::vector<Report> out;
    for (const Report& r : all)
        if (r.out && r.dev == dev && r.t > after && r.bytes.size() == 64) out.push_back(r);
    return out;
}

inline std::vector<uint8_t> commandsOf(const std::vector<Report>& reports) {
    std::vector<uint8_t> c;
    for (const Report& r : reports) c.push_back(r.bytes[3]);
    return c;
}

}  // namespace e2e
