// The program's command line, read before Qt starts (so --help and --version need no display).
// Our own options are --help and --version; Qt's own options (-platform NAME, -style NAME,
// -display NAME, -reverse, ...) are left for QApplication; anything else is refused.
#pragma once

#include <string>

struct ProgramOptions {
    enum class Action { run, help, version, refuse };
    Action action = Action::run;
    std::string error;  // for refuse: what was wrong, one line without the program name
};

ProgramOptions readProgramOptions(int argc, const char* const* argv);

const char* programUsage();    // the --help text
std::string programVersion();  // "zelkar 0.1.0"
