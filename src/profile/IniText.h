// The in-memory half of the INI module: finding and changing keys in the text of a whole file.
// IniFile.cpp does the file work around it; the rules are described in IniFile.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace initext {

// Names and values as they may be written (IniFile.h lists the rules).
bool validSection(std::string_view section);
bool validKey(std::string_view key);
bool validValue(std::string_view value);

std::string_view trimBlanks(std::string_view s);

// The raw value of the key (blanks around it removed, quotes kept), or nothing.
std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key);

// Every value of a file's text, found as findValue finds it (the first matching section, its first
// matching key), after one pass over the text: reading N values of a file costs one parse.
class ValueIndex {
public:
    explicit ValueIndex(std::string_view text);
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::size_t size() const { return bytes_; }

private:
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections_;
    std::size_t bytes_ = 0;
};

// The text with the key set; other lines untouched. Names must be valid.
std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);
std::string withoutKey(std::string_view text, std::string_view section, std::string_view key);
std::string withoutSection(std::string_view text, std::string_view section);

// One pair of matching quotes around a value removed.
std::string_view stripQuotes(std::string_view value);

// Text as the 260-character buffer receives it: cut at the first NUL and after 259 UTF-16 units,
// never inside a character.
std::string cutToBuffer(std::string_view text);

}  // namespace initext
