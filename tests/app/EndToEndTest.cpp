// The keyboard family and the program as two separate processes: zelkar-vhid serving the
// emulated keyboard, small keyboard and companion keyboard on a private bus, and the real program
// finding them. Everything is checked on the emulator's wire log.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/ProcessAndWire.h"
#include "device/CommandReport.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

// The program's reads of the whole keyboard start with 1, 3 and then the default key table.
int countReadAlls(const std::vector<Report>& kb) {
    int n = 0;
    for (size_t i = 0; i + 2 < kb.size(); ++i) n += kb[i].bytes[3] == 1 && kb[i + 1].bytes[3] == 3 && kb[i + 2].bytes[3] == 7;
    return n;
}

}  // namespace

TEST(EndToEnd, TheProgramFollowsTheKeyboardFamily) {
    Session session;
    ZELKAR_NEED_PROGRAM(session.built(), session.program);
    const std::string& wire = session.wire;
    const auto busProcess = session.startBus("kb,small,companion");
    Child& bus = *busProcess;
    const auto zelkar = session.startProgram();
    OutputOnFailure programOutput{session.log};

    // Waits until the wire log satisfies check.
    auto waitFor = [&](auto check, std::chrono::milliseconds limit) {
        return waitUntil([&] { return check(readWire(wire)); }, limit);
    };
    auto framesAfter = [](const std::vector<Report>& reports, double t) {
        const std::vector<uint8_t> c = commandsOf(sentTo(reports, "kb", t));
        return std::count(c.begin(), c.end(), 18);
    };

    // Arrival: the keyboard is read in order, with good checksums and chunk addresses; 500 ms
    // later it is read again and frames begin.
    ASSERT_TRUE(waitFor([&](const std::vector<Report>& all) {
        return countReadAlls(sentTo(all, "kb")) >= 2 && framesAfter(all, -1) > 8;
    }, 20s));
    auto all = readWire(wire);
    auto kb = sentTo(all, "kb");
    const std::vector<uint8_t> commands = commandsOf(kb);
    ASSERT_GE(commands.size(), 19u);
    EXPECT_EQ(std::vector<uint8_t>(commands.begin(), commands.begin() + 19),
              (std::vector<uint8_t>{1, 3, 7, 7, 7, 7, 7, 7, 7, 5, 8, 8, 8, 8, 8, 8, 8, 5, 2}));
    for (size_t i = 0; i < 19; ++i) {
        const uint16_t sum = commandChecksum(kb[i].bytes.data());
        EXPECT_EQ(kb[i].bytes[1], sum & 0xFF);
        EXPECT_EQ(kb[i].bytes[2], sum >> 8);
    }
    for (size_t i = 2; i < 9; ++i) EXPECT_EQ(kb[i].bytes[5] | (kb[i].bytes[6] << 8), int(i - 2) * 56);
    EXPECT_FALSE(sentTo(all, "small").empty());
    EXPECT_FALSE(sentTo(all, "companion").empty());
    std::ifstream device(session.documents + "/ZELKAR/kb/新配置文件1.config");
    EXPECT_TRUE(device.good());

    // 0x0402 reads everything again; three 0x0401 in a row re-read block 0 once.
    double mark = all.back().t;
    auto blockRereads = [](const std::vector<Report>& reports) {
        int n = 0;
        for (size_t i = 0; i + 1 < reports.size(); ++i)
            n += reports[i].bytes[3] == 5 && reports[i].bytes[4] == 1 && reports[i + 1].bytes[3] == 5 &&
                 reports[i + 1].bytes[4] == 56 && (i == 0 || reports[i - 1].bytes[3] != 8);
        return n;
    };
    bus.say("notify kb 0x0402");
    bus.say("notify kb 0x0401");
    bus.say("notify kb 0x0401");
    bus.say("notify kb 0x0401");
    ASSERT_TRUE(waitFor([&](const std::vector<Report>& reports) {
        const auto after = sentTo(reports, "kb", mark);
        return countReadAlls(after) >= 1 && blockRereads(after) >= 1;
    }, 10s));
    std::this_thread::sleep_for(500ms);
    kb = sentTo(readWire(wire), "kb", mark);
    EXPECT_EQ(countReadAlls(kb), 1);
    EXPECT_EQ(blockRereads(kb), 1);

    // Unplugged, the frames stop; plugged again, everything comes back.
    bus.say("unplug kb");
    EXPECT_TRUE(waitFor([&](const std::vector<Report>& reports) {
        const double last = reports.back().t;
        std::this_thread::sleep_for(300ms);
        return sentTo(readWire(wire), "kb", last).empty();
    }, 10s));
    mark = readWire(wire).back().t;
    bus.say("plug kb");
    EXPECT_TRUE(waitFor([&](const std::vector<Report>& reports) {
        return countReadAlls(sentTo(reports, "kb", mark)) >= 1;
    }, 10s));
    // The listener finds the keyboard again (about a second after it came back).
    bool readAgain = false;
    for (int attempt = 0; attempt < 5 && !readAgain; ++attempt) {
        mark = readWire(wire).back().t;
        bus.say("notify kb 0x0402");
        readAgain = waitFor([&](const std::vector<Report>& reports) {
            return countReadAlls(sentTo(reports, "kb", mark)) >= 1;
        }, 1500ms);
    }
    EXPECT_TRUE(readAgain);
}
