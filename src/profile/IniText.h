// The in-memory half of the INI module: finding and changing keys in the text of a whole file.
// IniFile.cpp does the file work around it; the rules are described in IniFile.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace initext {

// Names and values as they may be written (IniFile.h lists the rules).
bool validSection(std::string_view section);
bool validKey(std::string_view key);
bool validValue(std::string_view value);

std::string_view trimBlanks(std::string_view s);

// The raw value of the key (blanks around it removed, quotes kept), or nothing.
std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key);

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
