// Faults a test arms on one device, and the decision they make for each command request.
//
// Every request counts (a 64-byte report with id 4 on the command interface, well-formed or not);
// reports the device would not answer anyway are not requests. For each request, in this order:
//
//   unplug after N   the next N requests go on as usual (other faults included); the one after is
//                    swallowed and the device unplugged (clients see the connection close, the
//                    socket files disappear), so the program is left waiting mid-transfer
//   drop N           the next N requests are swallowed: no answer, memory untouched
//   status C S [K]   a request with command C is answered with status S and has no effect;
//                    K = 0: every such request until cleared; K >= 1: only the K-th next one
//   garble N KIND    the next N answers are spoiled: KIND wrong-id sends the answer with report
//                    id 5 (no collection of the device has it), short sends its first 8 bytes only
//   delay N MS       the next N answers are sent MS milliseconds late (other traffic goes on)
//
// Not thread-safe; the bus guards it with its state lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

enum class Garble : uint8_t { None, WrongId, Short };

constexpr uint8_t kWrongReportId = 5;
constexpr size_t kShortAnswerLength = 8;

struct FaultDecision {
    bool swallow = false;       // send no answer, leave memory alone
    bool unplug = false;        // and unplug the device now
    int forcedStatus = -1;      // >= 0: answer with this status instead of handling the request
    Garble garble = Garble::None;
    unsigned delayMs = 0;
};

class FaultPlan {
public:
    void unplugAfter(unsigned requests);
    void drop(unsigned requests);
    void failCommand(uint8_t command, uint8_t status, unsigned nth = 0);
    void garble(unsigned answers, Garble kind);
    void delay(unsigned answers, unsigned ms);
    void clear();
    bool empty() const;

    // Decides the fate of the next request, whose command byte is `command`, and uses up the
    // faults it triggers.
    FaultDecision onRequest(uint8_t command);

private:
    struct StatusRule {
        uint8_t command;
        uint8_t status;
        unsigned remaining;   // 0: every occurrence; else occurrences left until it fires once
    };

    int unplugAfter_ = -1;    // -1: not armed
    unsigned drop_ = 0;
    std::vector<StatusRule> statusRules_;
    unsigned garbleCount_ = 0;
    Garble garbleKind_ = Garble::None;
    unsigned delayCount_ = 0;
    unsigned delayMs_ = 0;
};

}  // namespace sim
