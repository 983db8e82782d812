// The program's debug output: plain text lines for whoever debugs it, never shown to the user.
//
// Silent by default. With a sink installed every line goes to the sink (the application routes it
// to its Qt logging category, which has its own switch); without one, lines go to stderr only when
// the environment variable ZELKAR_DEBUG is set to something other than "" or "0".
//
// Plain C++ on purpose: the INI code and the profile files log through it without Qt.
#pragma once

#include <string>

using DebugLogSink = void (*)(const std::string& line);

void debugLog(const std::string& line);

// nullptr restores the default. Safe to call while other threads log.
void setDebugLogSink(DebugLogSink sink);
