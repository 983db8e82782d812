// The control language of zelkar-vhid: one command per line, one answer line per command.
//
//   plug DEV                          publish the device            -> ok plugged DEV
//   unplug DEV                        remove it                     -> ok unplugged DEV
//   notify DEV USAGE                  consumer press + release      -> ok notified DEV 0x0401
//   peek DEV AREA OFFSET LENGTH       read onboard memory           -> ok <hex>
//   poke DEV AREA OFFSET HEX          write onboard memory          -> ok poked N bytes
//   frame DEV                         last complete lighting frame  -> ok frame kb <792 hex digits>
//   fault DEV KIND [ARG...]           arm a fault (kinds below)     -> ok fault KIND on DEV
//   devices                           list plugged devices          -> ok plugged: kb small
//   help                              list the commands             -> ok ...
//   quit                              stop the program              -> ok bye
//
// Fault kinds: drop N | delay N MS | status CMD STATUS [NTH] | unplug-after N | wrong-id N |
// short N | clear. Numbers are decimal or 0x-prefixed hex. Anything wrong answers one line
// "error: <reason>" and changes nothing. Blank lines and lines starting with '#' get no answer.
#pragma once

#include <string>

namespace sim {

class VirtualBus;

class ControlConsole {
public:
    explicit ControlConsole(VirtualBus& bus) : bus_(bus) {}

    // Runs one line. Returns the answer (without newline), "" for blank and comment lines.
    // *quit is set when the line was "quit".
    std::string execute(const std::string& line, bool* quit = nullptr);

private:
    VirtualBus& bus_;
};

}  // namespace sim
