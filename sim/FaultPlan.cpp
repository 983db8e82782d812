#include "sim/FaultPlan.h"

#include <climits>

namespace sim {

void FaultPlan::unplugAfter(unsigned requests) {
    unplugAfter_ = requests > unsigned(INT_MAX) ? INT_MAX : int(requests);
}

void FaultPlan::drop(unsigned requests) { drop_ = requests; }

void FaultPlan::failCommand(uint8_t command, uint8_t status, unsigned nth) {
    statusRules_.push_back({command, status, nth});
}

void FaultPlan::garble(unsigned answers, Garble kind) {
    garbleCount_ = kind == Garble::None ? 0 : answers;
    garbleKind_ = kind;
}

void FaultPlan::delay(unsigned answers, unsigned ms) {
    delayCount_ = answers;
    delayMs_ = ms;
}

void FaultPlan::clear() { *this = FaultPlan(); }

bool FaultPlan::empty() const {
    return unplugAfter_ < 0 && drop_ == 0 && statusRules_.empty() && garbleCount_ == 0 && delayCount_ == 0;
}

FaultDecision FaultPlan::onRequest(uint8_t command) {
    FaultDecision d;
    if (unplugAfter_ == 0) {
        unplugAfter_ = -1;
        d.swallow = d.unplug = true;
        return d;
    }
    if (unplugAfter_ > 0) --unplugAfter_;
    if (drop_ > 0) {
        --drop_;
        d.swallow = true;
        return d;
    }
    // Every rule for this command counts the request, so two one-shot rules for the 2nd and the
    // 3rd occurrence both fire where expected.
    for (size_t i = 0; i < statusRules_.size();) {
        StatusRule& rule = statusRules_[i];
        if (rule.command != command) {
            ++i;
            continue;
        }
        if (rule.remaining == 0) {
            if (d.forcedStatus < 0) d.forcedStatus = rule.status;
            ++i;
        } else if (--rule.remaining == 0) {
            if (d.forcedStatus < 0) d.forcedStatus = rule.status;
            statusRules_.erase(statusRules_.begin() + ptrdiff_t(i));
        } else {
            ++i;
        }
    }
    if (garbleCount_ > 0) {
        --garbleCount_;
        d.garble = garbleKind_;
    }
    if (delayCount_ > 0) {
        --delayCount_;
        d.delayMs = delayMs_;
    }
    return d;
}

}  // namespace sim
