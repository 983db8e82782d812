// The program's debug output as a Qt logging category, "zelkar", silent by default.
//
// installDebugLogSink() routes every debugLog() line (device layer, INI code, the shell) into the
// category. Switch it on with QT_LOGGING_RULES="zelkar.debug=true" or ZELKAR_DEBUG=1; the lines
// then go to standard error through Qt's message handler.
#pragma once

#include <QLoggingCategory>
#include <cstdint>

Q_DECLARE_LOGGING_CATEGORY(lcZelkar)

void installDebugLogSink();

// Milliseconds since the program's static initialisation: the start-up figure the first paint
// reports.
int64_t msSinceProgramStart();
