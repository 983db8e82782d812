#include "macro/MacroRecorder.h"

#include "keys/KeyCodeTable.h"

namespace macro {

void MacroRecorder::start(uint32_t now, RecordingOptions options) {
    options_ = options;
    lastTick_ = now;
    lastEventTime_ = 0;
    recording_ = true;
}

std::optional<RecordedStep> MacroRecorder::key(int virtualKey, unsigned flags, bool press, uint32_t now,
                                               uint32_t eventTime) {
    const int vk = keys::keyEventVirtualKey(virtualKey, flags);
    if (press) {
        if (vk == lastKey_) return std::nullopt;  // the key repeats while held
        lastKey_ = vk;
    } else if (vk == lastKey_) {
        lastKey_ = 0;
    }
    const int row = keys::findKeyCodeRowByVirtualKey(vk, keys::kMacroKeyRowCount);
    if (row < 0) return std::nullopt;
    std::optional<MacroAction> action = keyAction(row, press);
    if (!action) return std::nullopt;
    return accept(std::move(*action), now, eventTime);
}

std::optional<RecordedStep> MacroRecorder::mouse(uint32_t eventKind, uint32_t now, uint32_t eventTime) {
    const int row = findMouseRowByEvent(eventKind, kRecordedMouseRowCount);
    if (row < 0 || !options_.clicks) return std::nullopt;
    if (eventKind == lastMouse_) return std::nullopt;
    lastMouse_ = eventKind;
    return accept(mouseAction(row), now, eventTime);
}

RecordedStep MacroRecorder::accept(MacroAction action, uint32_t now, uint32_t eventTime) {
    uint32_t measured = (eventTime != 0 && lastEventTime_ != 0) ? eventTime - lastEventTime_ : now - lastTick_;
    lastTick_ = now;
    lastEventTime_ = eventTime;
    if (measured >= uint32_t(kMaxDelayMs)) measured = kMaxDelayMs;
    const int pause = options_.fixedPause ? kFixedPauseMs : int(measured);
    return RecordedStep{std::move(action), pause};
}

}  // namespace macro
