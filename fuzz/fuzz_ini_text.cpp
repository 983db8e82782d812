// INI text from anywhere: a file's text, a section, a key and a value cut from the input (fields
// separated by byte 0x01). Looked up through the parsed index and through the text; the two must
// agree. With names that may be written, the edits must leave a text in which the key reads back
// as written (or is gone), whatever the text was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "profile/IniText.h"

namespace {

std::string_view field(std::string_view& rest) {
    const size_t cut = rest.find('\x01');
    std::string_view f = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    return f;
}

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = field(rest), key = field(rest), value = field(rest), text = rest;

    const initext::ValueIndex index(text);
    check(index.find(section, key) == initext::findValue(text, section, key));
    initext::cutToBuffer(initext::stripQuotes(value));

    if (!initext::validSection(section) || !initext::validKey(key)) return 0;
    if (initext::validValue(value)) {
        const std::string written = initext::withValue(text, section, key, value);
        const std::optional<std::string> back = initext::findValue(written, section, key);
        check(back && *back == initext::trimBlanks(value));
        check(initext::ValueIndex(written).find(section, key) == back);
    }
    const std::string withoutKey = initext::withoutKey(text, section, key);
    check(!initext::findValue(withoutKey, section, key) || initext::findValue(text, section, key));
    const std::string withoutSection = initext::withoutSection(text, section);
    check(!initext::findValue(withoutSection, section, key));
    return 0;
}
