#include "platform/capture/ScriptedInputCapture.h"

bool ScriptedInputCapture::key(KeyEventKind kind, int virtualKey, unsigned flags) {
    const bool withheld = deliverKey(CapturedKey{kind, virtualKey, flags, clock_ += 10});
    if (!withheld) passed_.push_back(virtualKey);
    return withheld;
}
