#include "app/AppLog.h"

#include <chrono>
#include <string>

#include "platform/DebugLog.h"

Q_LOGGING_CATEGORY(lcZelkar, "zelkar", QtInfoMsg)

namespace {

const auto g_programStart = std::chrono::steady_clock::now();

void toCategory(const std::string& line) { qCDebug(lcZelkar).noquote() << QString::fromStdString(line); }

}  // namespace

void installDebugLogSink() {
    const QByteArray value = qgetenv("ZELKAR_DEBUG");
    if (!value.isEmpty() && value != "0") const_cast<QLoggingCategory&>(lcZelkar()).setEnabled(QtDebugMsg, true);
    setDebugLogSink(&toCategory);
}

int64_t msSinceProgramStart() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_programStart)
        .count();
}
