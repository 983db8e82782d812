#include "app/ProgramOptions.h"

#include <array>
#include <string_view>

#ifndef ZELKAR_VERSION
#define ZELKAR_VERSION "unknown"
#endif

namespace {

// QApplication's options, written with one dash or two; those in the first list take a value
// as the next argument (-style and -stylesheet also after '=', as Qt reads them).
constexpr std::array<std::string_view, 15> kQtWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowtitle",
    "title", "qwindowicon", "icon", "name", "display", "session", "style", "stylesheet"};
constexpr std::array<std::string_view, 6> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

ProgramOptions refuse(std::string why) { return {ProgramOptions::Action::refuse, std::move(why)}; }

}  // namespace

ProgramOptions readProgramOptions(int argc, const char* const* argv) {
    ProgramOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == "-h" || arg == "--help") {
            options.action = ProgramOptions::Action::help;
            continue;
        }
        if (arg == "-V" || arg == "--version") {
            if (options.action == ProgramOptions::Action::run) options.action = ProgramOptions::Action::version;
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') return refuse("unexpected argument '" + std::string(arg) + "'");
        std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) name = name.substr(0, equals);
        if (among(kQtFlags, name) && !inlineValue) continue;
        if (among(kQtWithValue, name)) {
            if (inlineValue && (name == "style" || name == "stylesheet")) continue;
            if (inlineValue) return refuse("unknown option '" + std::string(arg) + "'");
            if (i + 1 < argc) {
                ++i;
                continue;
            }
            return refuse("option '" + std::string(arg) + "' needs a value");
        }
        return refuse("unknown option '" + std::string(arg) + "'");
    }
    return options;
}

const char* programUsage() {
    return "usage: zelkar [-h|--help] [-V|--version] [Qt options]\n"
           "\n"
           "Configures the Zelkar keyboard family, mouse and mouse pad: key assignments, macros,\n"
           "lighting and profiles. The window shows when a device is plugged in.\n"
           "\n"
           "  -h, --help     show this text and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
           "Qt's own options are passed on: -platform NAME, -display NAME, -style NAME,\n"
           "-stylesheet FILE, -reverse, ...\n"
           "\n"
           "Environment: ZELKAR_DEBUG=1 writes the debug log to standard error.\n"
           "Files: ~/Documents/ZELKAR/ (profiles, macros, main.ini).\n";
}

std::string programVersion() { return std::string("zelkar ") + ZELKAR_VERSION; }
