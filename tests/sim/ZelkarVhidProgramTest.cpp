// zelkar-vhid as people run it: a separate process with control lines on standard input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "sim/SimTestSupport.h"
#include "support/TestSupport.h"

extern char** environ;

using simtest::BusClient;
using simtest::request;

namespace {

// $ZELKAR_BINARY_DIR/sim/zelkar-vhid; without the variable, the build tree this test program
// lies in (<build>/tests/sim_tests).
std::string programPath() {
    if (const char* dir = std::getenv("ZELKAR_BINARY_DIR"); dir && *dir) return std::string(dir) + "/sim/zelkar-vhid";
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "sim" / "zelkar-vhid").string();
}

// A running zelkar-vhid with pipes on its standard input and output.
class Vhid {
public:
    explicit Vhid(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> argv = {programPath()};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv;
        for (std::string& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        if (posix_spawn(&pid_, cargv[0], &actions, nullptr, cargv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Vhid() {
        closeInput();
        if (output_ >= 0) ::close(output_);
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return pid_ > 0; }

    // The next line of its output, "" on time-out or end of output.
    std::string line(int timeoutMs = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string l = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return l;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            pollfd p{output_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) return {};
            char chunk[4096];
            const ssize_t n = ::read(output_, chunk, sizeof chunk);
            if (n <= 0) return {};
            buffer_.append(chunk, size_t(n));
        }
    }
    std::string ask(const std::string& command) {
        const std::string text = command + "\n";
        if (::write(input_, text.data(), text.size()) != ssize_t(text.size())) return "(write failed)";
        return line();
    }
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    // Exit status, or -1 when it has not ended within the time.
    int waitExit(int timeoutMs = 5000) {
        for (int waited = 0; waited <= timeoutMs; waited += 10) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }

private:
    pid_t pid_ = -1;
    int input_ = -1, output_ = -1;
    bool exited_ = false;
    std::string buffer_;
};

bool exists(const std::string& p) { return std::filesystem::exists(std::filesystem::symlink_status(p)); }

// An expected answer: the exact line, or its beginning when the pattern ends in '*'.
bool matches(const std::string& line, const std::string& pattern) {
    if (!pattern.empty() && pattern.back() == '*') return line.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
    return line == pattern;
}

// One wire-log line: {"t": 1.234567, "dev": "kb", "dir": "out", "hex": "04..."}. Fills dev, dir
// and hex; false when the line has another shape.
bool parseWireLine(const std::string& line, std::string* dev, std::string* dir, std::string* hex) {
    double t = -1;
    char d[16] = {}, w[4] = {}, h[300] = {};
    int end = 0;
    const int fields = std::sscanf(line.c_str(), "{\"t\": %lf, \"dev\": \"%15[a-z]\", \"dir\": \"%3[a-z]\", \"hex\": \"%299[0-9a-f]\"}%n",
                                   &t, d, w, h, &end);
    if (fields != 4 || size_t(end) != line.size() || t < 0) return false;
    *dev = d, *dir = w, *hex = h;
    return *dir == "in" || *dir == "out";
}

}  // namespace

TEST(ZelkarVhid, ControlCommandsAnswerOneLineEach) {
    testsupport::TempDir dir;
    const std::string bus = dir.path() + "/bus";
    Vhid vhid({"--bus", bus, "--devices", "kb,small", "--wire-log", dir.file("wire.jsonl")});
    ASSERT_TRUE(vhid.started());
    EXPECT_EQ(vhid.line(), "ok ready on " + bus + ": kb small");
    for (const char* s : {"kb-if0", "kb-if1", "small-if0", "small-if1"}) EXPECT_TRUE(exists(bus + "/" + s)) << s;

    struct Exchange {
        const char* command;
        const char* answer;  // see matches()
    };
    const Exchange script[] = {
        {"peek kb info 5 2", "ok 7e10"},
        {"peek companion defaultkeys 0 3", "ok 200053"},           // readable while unplugged
        {"poke kb settings 0x40 0a0b0c", "ok poked 3 bytes"},
        {"peek kb settings 64 3", "ok 0a0b0c"},
        {"poke kb settings 318 0102 03", "error: settings of kb holds 320 bytes; offset 318 length 3 goes past its end"},
        {"peek kb frame 396 1", "error: frame of kb holds 396 bytes; offset 396 length 1 goes past its end"},
        {"peek kb recoil 0 1", "error: kb has no recoil area"},
        {"frame kb", "error: kb has received no complete frame"},
        {"frame small", "error: small takes no lighting frames"},
        {"frame kb 0", "error: usage: frame DEV"},
        {"peek kb keys -1 2", "error: bad number '-1'*"},
        {"peek kb keys 0x 2", "error: bad number*"},
        {"peek kb settings 99999999999999999999 1", "error: bad number*"},
        {"poke kb settings 0 abc", "error: bad hex 'abc'*"},
        {"poke kb settings 0 zz", "error: bad hex*"},
        {"peek keyboard info 0 1", "error: unknown device 'keyboard'*"},
        {"peek kb flash 0 1", "error: unknown area 'flash'*"},
        {"peek kb info 0", "error: usage: peek DEV AREA OFFSET LENGTH"},
        {"frobnicate", "error: unknown command 'frobnicate'*"},
        {"plug", "error: usage: plug DEV*"},
        {"notify mouse 0x0401", "error: mouse has no consumer-control interface"},
        {"notify companion 0x0401", "error: companion is not plugged in"},
        {"notify kb 0x10000", "error: bad number*"},
        {"fault kb status 5 0xff 3", "ok fault status on kb"},
        {"fault kb status 5", "error: usage: fault DEV status CMD STATUS [NTH]"},
        {"fault kb delay 1", "error: usage: fault DEV delay N MS"},
        {"fault kb meltdown 1", "error: unknown fault kind 'meltdown'*"},
        {"fault kb clear", "ok fault clear on kb"},
        {"fault kb drop 1", "ok fault drop on kb"},
        {"fault kb clear", "ok fault clear on kb"},
        {"fault kb stall 1", "error: usage: fault DEV stall"},
        {"fault kb stall", "ok fault stall on kb"},
        {"fault kb clear", "ok fault clear on kb"},
        {"devices", "ok plugged: kb small"},
        {"unplug small", "ok unplugged small"},
        {"unplug small", "error: small is not plugged in"},
        {"plug companion", "ok plugged companion"},
        {"help", "ok commands: plug DEV*"},
    };
    for (const Exchange& e : script) {
        const std::string got = vhid.ask(e.command);
        EXPECT_TRUE(matches(got, e.answer)) << e.command << " -> " << got;
    }
    EXPECT_FALSE(exists(bus + "/small-if1"));
    EXPECT_TRUE(exists(bus + "/companion-if1"));

    // The armed fault reaches a real client: the third block read is refused.
    {
        ASSERT_EQ(vhid.ask("fault kb status 5 0xfe 2"), "ok fault status on kb");
        BusClient client(bus + "/kb-if1");
        ASSERT_TRUE(client.skipHello());
        const auto first = client.exchange(request(CmdReadBlock, 3, 64));
        ASSERT_TRUE(first);
        EXPECT_EQ((*first)[7], 0);
        EXPECT_EQ((*first)[8], 0x0a);  // what was poked above
        const auto second = client.exchange(request(CmdReadBlock, 3, 64));
        ASSERT_TRUE(second);
        EXPECT_EQ((*second)[7], 0xFE);
        EXPECT_EQ(vhid.ask("notify kb 0x0402"), "ok notified kb 0x0402");
        EXPECT_EQ(client.receive(), (std::vector<uint8_t>{3, 0x02, 0x04}));
    }

    EXPECT_EQ(vhid.ask("quit"), "ok bye");
    EXPECT_EQ(vhid.waitExit(), 0);
    EXPECT_FALSE(exists(bus + "/kb-if1"));
    EXPECT_FALSE(exists(bus + "/companion-if0"));

    // The wire log: one JSON object per line, both directions, in order.
    std::istringstream log(testsupport::readFile(dir.file("wire.jsonl")));
    std::vector<std::string> dirs, hexes;
    for (std::string l; std::getline(log, l);) {
        std::string dev, dir, hex;
        ASSERT_TRUE(parseWireLine(l, &dev, &dir, &hex)) << l;
        EXPECT_EQ(dev, "kb");
        dirs.push_back(dir);
        hexes.push_back(hex);
    }
    ASSERT_EQ(dirs.size(), 6u);
    EXPECT_EQ(dirs, (std::vector<std::string>{"out", "in", "out", "in", "in", "in"}));
    EXPECT_EQ(hexes[0], testsupport::toHex(request(CmdReadBlock, 3, 64).bytes(), 64));
    EXPECT_EQ(hexes[4], "030204");
    EXPECT_EQ(hexes[5], "030000");
}

TEST(ZelkarVhid, KeepsRunningAfterEndOfInputUntilASignal) {
    testsupport::TempDir dir;
    const std::string bus = dir.path() + "/bus";
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        Vhid vhid({"--bus", bus, "--devices", "mouse,pad"});
        ASSERT_EQ(vhid.line(), "ok ready on " + bus + ": mouse pad");
        vhid.closeInput();
        EXPECT_EQ(vhid.waitExit(200), -1);  // still serving
        BusClient client(bus + "/pad-if0");
        ASSERT_TRUE(client.skipHello());
        const auto answer = client.exchange(request(CmdReadDeviceInfo, 33));
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)[8 + 2], 0x58);  // product id 0x6758 in the information block
        vhid.signal(sig);
        EXPECT_EQ(vhid.waitExit(), 0);
        EXPECT_FALSE(exists(bus + "/mouse-if1"));
        EXPECT_FALSE(exists(bus + "/pad-if0"));
        EXPECT_TRUE(client.closesWithin(1000));
    }
}

TEST(ZelkarVhid, CommandLineErrors) {
    testsupport::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* firstLine;  // expected start of standard output
    };
    const std::string openDir = dir.path() + "/open";
    std::filesystem::create_directory(openDir);
    std::filesystem::permissions(openDir, std::filesystem::perms(0755));
    const Case cases[] = {
        {{"--help"}, 0, "usage: zelkar-vhid [--bus DIR]"},
        {{"--version"}, 0, "zelkar-vhid "},
        {{"--bus"}, 2, ""},
        {{"--devices", "kb,toaster", "--bus", dir.path() + "/b1"}, 2, ""},
        {{"--frob"}, 2, ""},
        {{"--bus", openDir}, 1, ""},
        {{"--bus", dir.path() + "/b2", "--wire-log", dir.path() + "/no/such/dir/log"}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        Vhid vhid(c.args);
        ASSERT_TRUE(vhid.started());
        const std::string first = vhid.line(2000);
        EXPECT_EQ(first.rfind(c.firstLine, 0), 0u) << first;
        EXPECT_EQ(vhid.waitExit(), c.status);
    }
}
