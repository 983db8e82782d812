#include "sim/ControlConsole.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <vector>

#include "sim/DeviceCatalog.h"
#include "sim/VirtualBus.h"

namespace sim {
namespace {

constexpr const char* kHelp =
    "ok commands: plug DEV | unplug DEV | notify DEV USAGE | peek DEV AREA OFFSET LENGTH | "
    "poke DEV AREA OFFSET HEX | frame DEV | fault DEV KIND [ARG...] | devices | help | quit; "
    "DEV: kb small companion mouse pad; AREA: info defaultkeys settings keys macro recoil frame; "
    "KIND: drop N, delay N MS, status CMD STATUS [NTH], unplug-after N, wrong-id N, short N, stall, clear";

std::vector<std::string> split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Decimal or 0x-prefixed hex, the whole word, at most `max`.
bool parseNumber(const std::string& word, uint64_t max, uint64_t* value) {
    size_t i = 0;
    unsigned base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= word.size()) return false;
    uint64_t v = 0;
    for (; i < word.size(); ++i) {
        const char c = word[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
        else return false;
        if (v > (max - d) / base) return false;
        v = v * base + d;
    }
    *value = v;
    return true;
}

bool parseHex(const std::string& text, std::vector<uint8_t>* out) {
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != '\t') digits += c;
    if (digits.empty() || digits.size() % 2) return false;
    out->clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        uint64_t byte;
        if (!parseNumber("0x" + digits.substr(i, 2), 0xFF, &byte)) return false;
        out->push_back(uint8_t(byte));
    }
    return true;
}

std::string toHex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

std::string error(const std::string& why) { return "error: " + why; }

struct Args {
    const std::vector<std::string>& words;
    std::string problem;

    // Number argument i, or sets the problem.
    bool number(size_t i, uint64_t max, uint64_t* v) {
        if (parseNumber(words[i], max, v)) return true;
        problem = "bad number '" + words[i] + "' (decimal or 0x hex, at most " + std::to_string(max) + ")";
        return false;
    }
};

}  // namespace

std::string ControlConsole::execute(const std::string& line, bool* quit) {
    const std::vector<std::string> w = split(line);
    if (w.empty() || w[0][0] == '#') return {};
    const std::string& cmd = w[0];
    Args args{w, {}};
    std::string why;

    if (cmd == "quit" || cmd == "exit") {
        if (quit) *quit = true;
        return "ok bye";
    }
    if (cmd == "help") return kHelp;
    if (cmd == "devices") {
        std::string s = "ok plugged:";
        for (const std::string& d : bus_.pluggedDevices()) s += " " + d;
        return s;
    }
    const bool known = cmd == "plug" || cmd == "unplug" || cmd == "notify" || cmd == "peek" ||
                       cmd == "poke" || cmd == "frame" || cmd == "fault";
    if (!known) return error("unknown command '" + cmd + "' (try help)");
    if (w.size() < 2) return error("usage: " + cmd + " DEV ...");
    const std::string& dev = w[1];
    if (!findDevice(dev)) return error("unknown device '" + dev + "' (kb, small, companion, mouse, pad)");

    if (cmd == "plug" || cmd == "unplug") {
        if (w.size() != 2) return error("usage: " + cmd + " DEV");
        const bool ok = cmd == "plug" ? bus_.plug(dev, &why) : bus_.unplug(dev, &why);
        return ok ? "ok " + cmd + "ged " + dev : error(why);
    }
    if (cmd == "frame") {
        if (w.size() != 2) return error("usage: frame DEV");
        std::vector<uint8_t> bytes;
        if (!bus_.lastFrame(dev, &bytes, &why)) return error(why);
        return "ok frame " + dev + " " + toHex(bytes);
    }
    if (cmd == "notify") {
        uint64_t usage;
        if (w.size() != 3) return error("usage: notify DEV USAGE");
        if (!args.number(2, 0xFFFF, &usage)) return error(args.problem);
        if (!bus_.notify(dev, uint16_t(usage), &why)) return error(why);
        char text[8];
        std::snprintf(text, sizeof text, "0x%04x", unsigned(usage));
        return "ok notified " + dev + " " + text;
    }
    if (cmd == "peek" || cmd == "poke") {
        if (w.size() < 5 || (cmd == "peek" && w.size() != 5))
            return error(cmd == "peek" ? "usage: peek DEV AREA OFFSET LENGTH" : "usage: poke DEV AREA OFFSET HEX");
        Area area;
        if (!areaFromName(w[2], &area))
            return error("unknown area '" + w[2] + "' (info, defaultkeys, settings, keys, macro, recoil, frame)");
        uint64_t offset, length;
        if (!args.number(3, 0xFFFFFF, &offset)) return error(args.problem);
        if (cmd == "peek") {
            std::vector<uint8_t> bytes;
            if (!args.number(4, 0xFFFFFF, &length)) return error(args.problem);
            if (!bus_.peek(dev, area, offset, length, &bytes, &why)) return error(why);
            return "ok " + toHex(bytes);
        }
        std::string text;
        for (size_t i = 4; i < w.size(); ++i) text += w[i];
        std::vector<uint8_t> bytes;
        if (!parseHex(text, &bytes)) return error("bad hex '" + text + "' (pairs of hex digits)");
        if (!bus_.poke(dev, area, offset, bytes, &why)) return error(why);
        return "ok poked " + std::to_string(bytes.size()) + " bytes";
    }

    // fault DEV KIND [ARG...]
    if (w.size() < 3) return error("usage: fault DEV KIND [ARG...]");
    const std::string& kind = w[2];
    const size_t argc = w.size() - 3;
    uint64_t a = 0, b = 0, c = 0;
    constexpr uint64_t kMaxCount = 1000000000;
    auto usage = [&](const char* text) { return error(std::string("usage: fault DEV ") + text); };
    if (kind == "clear") {
        if (argc != 0) return usage("clear");
        bus_.clearFaults(dev);
    } else if (kind == "stall") {
        if (argc != 0) return usage("stall");
        bus_.stallReads(dev, true);
    } else if (kind == "drop" || kind == "unplug-after" || kind == "wrong-id" || kind == "short") {
        if (argc != 1) return usage((kind + " N").c_str());
        if (!args.number(3, kMaxCount, &a)) return error(args.problem);
        if (kind == "drop") bus_.dropAnswers(dev, unsigned(a));
        else if (kind == "unplug-after") bus_.unplugAfter(dev, unsigned(a));
        else bus_.garbleAnswers(dev, unsigned(a), kind == "short" ? Garble::Short : Garble::WrongId);
    } else if (kind == "delay") {
        if (argc != 2) return usage("delay N MS");
        if (!args.number(3, kMaxCount, &a) || !args.number(4, 600000, &b)) return error(args.problem);
        bus_.delayAnswers(dev, unsigned(a), unsigned(b));
    } else if (kind == "status") {
        if (argc != 2 && argc != 3) return usage("status CMD STATUS [NTH]");
        if (!args.number(3, 0xFF, &a) || !args.number(4, 0xFF, &b) ||
            (argc == 3 && !args.number(5, kMaxCount, &c)))
            return error(args.problem);
        bus_.failCommand(dev, uint8_t(a), uint8_t(b), unsigned(c));
    } else {
        return error("unknown fault kind '" + kind +
                     "' (drop, delay, status, unplug-after, wrong-id, short, stall, clear)");
    }
    return "ok fault " + kind + " on " + dev;
}

}  // namespace sim
