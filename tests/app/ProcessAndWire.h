// The real program and the emulator as child processes, and the emulator's wire log read back:
// shared by the tests that run them as separate processes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TestSupport.h"

extern "C" char** environ;

namespace e2e {

// A child process with its standard input on a pipe we write to.
class Child {
public:
    Child(std::vector<std::string> argv, const std::vector<std::string>& extraEnv) {
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
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
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
    void say(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] ssize_t n = ::write(input_, text.data(), text.size());
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
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
