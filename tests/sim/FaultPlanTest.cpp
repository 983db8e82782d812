// The decisions armed faults make, request by request.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sim/FaultPlan.h"

using namespace sim;

namespace {

// One letter per request: '.' answered normally, 'x' swallowed, 'U' swallowed and unplugged,
// 'F'/'E' forced status 0xFF/0xFE, 'w' wrong id, 's' short, 'd' delayed; a delay that comes with
// a forced status or a garble adds 'd' after that letter.
std::string letter(const FaultDecision& d) {
    if (d.unplug) return "U";
    if (d.swallow) return "x";
    const std::string late = d.delayMs ? "d" : "";
    if (d.forcedStatus == 0xFF) return "F" + late;
    if (d.forcedStatus == 0xFE) return "E" + late;
    if (d.garble == Garble::WrongId) return "w" + late;
    if (d.garble == Garble::Short) return "s" + late;
    if (d.delayMs) return "d";
    return ".";
}

struct Scenario {
    const char* what;
    std::function<void(FaultPlan&)> arm;
    std::string commands;  // one command per character: '5' is command 5, 'a' command 10 ...
    std::string expected;
};

}  // namespace

TEST(FaultPlan, DecidesRequestByRequest) {
    const Scenario scenarios[] = {
        {"nothing armed", [](FaultPlan&) {}, "1357", "...."},
        {"drop two", [](FaultPlan& f) { f.drop(2); }, "5555", "xx.."},
        {"third read of the default table fails",
         [](FaultPlan& f) { f.failCommand(7, 0xFF, 3); }, "1777777", "...F..."},
        {"every write block refused until cleared",
         [](FaultPlan& f) { f.failCommand(6, 0xFE); }, "56565", ".E.E."},
        {"two one-shot rules on the same command both fire",
         [](FaultPlan& f) { f.failCommand(7, 0xFF, 2); f.failCommand(7, 0xFE, 3); }, "7777", ".FE."},
        {"unplug after two", [](FaultPlan& f) { f.unplugAfter(2); }, "1355", "..U."},
        {"unplug at once", [](FaultPlan& f) { f.unplugAfter(0); }, "11", "U."},
        {"dropped requests count towards the unplug",
         [](FaultPlan& f) { f.unplugAfter(1); f.drop(1); }, "111", "xU."},
        {"garble wrong id", [](FaultPlan& f) { f.garble(2, Garble::WrongId); }, "333", "ww."},
        {"garble short", [](FaultPlan& f) { f.garble(1, Garble::Short); }, "33", "s."},
        {"delay spends only on answers", [](FaultPlan& f) { f.delay(1, 50); f.drop(1); }, "555", "xd."},
        {"a forced status can still come late",
         [](FaultPlan& f) { f.failCommand(5, 0xFF, 1); f.delay(1, 10); }, "55", "Fd."},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        FaultPlan plan;
        s.arm(plan);
        std::string got;
        for (char c : s.commands) {
            const uint8_t command = uint8_t(c >= 'a' ? c - 'a' + 10 : c - '0');
            got += letter(plan.onRequest(command));
        }
        EXPECT_EQ(got, s.expected);
    }
}

TEST(FaultPlan, DelayCarriesItsTimeAndClearDisarmsEverything) {
    FaultPlan plan;
    EXPECT_TRUE(plan.empty());
    plan.delay(2, 120);
    EXPECT_EQ(plan.onRequest(3).delayMs, 120u);
    plan.failCommand(3, 0xFF);
    plan.unplugAfter(5);
    plan.garble(3, Garble::Short);
    EXPECT_FALSE(plan.empty());
    plan.clear();
    EXPECT_TRUE(plan.empty());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(letter(plan.onRequest(3)), ".");
}
