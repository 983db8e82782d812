// Presence on the virtual bus as the watcher asks for it ten times a second: answers it keeps from
// earlier connections must not outlive the bus process that served them.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "integration/BusFixture.h"

extern char** environ;

namespace {

std::string vhidProgram() {
    if (const char* dir = std::getenv("ZELKAR_BINARY_DIR"); dir && *dir) return std::string(dir) + "/sim/zelkar-vhid";
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "sim" / "zelkar-vhid").string();
}

bool listsKeyboard(const std::string& dir) {
    std::vector<HidPathInfo> found;
    listHidInterfaces(testsupport::busRoots(dir), &found);
    for (const HidPathInfo& h : found)
        if (h.productId == 0x751D) return true;
    return false;
}

}  // namespace

// A bus killed outright leaves its socket files behind; the keyboard must read as gone at once,
// both to the presence check and to enumeration, though both answered from memory before.
TEST(BusPresence, AKilledBusIsGoneThoughItsFilesRemain) {
    std::string program = vhidProgram();
    ZELKAR_NEED_PROGRAM(access(program.c_str(), X_OK) == 0, program);
    testsupport::TempDir dir;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string bus = dir.path() + "/bus";
    std::vector<char*> argv = {program.data(), const_cast<char*>("--bus"), bus.data(), const_cast<char*>("--devices"),
                               const_cast<char*>("kb"), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    const std::string socket = bus + "/kb-if1";
    const std::string path = "vhid:" + socket + "#vid_0c45&pid_751d&mi_01&col04";
    HidTransport probe(testsupport::busRoots(bus));
    for (int i = 0; i < 300 && !probe.isPresent(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(probe.isPresent(path));
    EXPECT_TRUE(probe.isPresent(path));
    EXPECT_TRUE(listsKeyboard(bus));
    EXPECT_TRUE(listsKeyboard(bus));

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(socket)) << "the files a dead bus leaves are the case under test";
    EXPECT_FALSE(probe.isPresent(path));
    EXPECT_FALSE(listsKeyboard(bus));
}
