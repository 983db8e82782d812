#include "profile/IniText.h"

#include <cstdint>
#include <vector>

#include "profile/IniFile.h"

namespace initext {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool hasAny(std::string_view s, std::string_view chars) { return s.find_first_of(chars) != std::string_view::npos; }

const std::string_view kBreaksAndNul("\r\n\0", 3);

struct Line {
    enum Kind { other, section, key };
    std::size_t begin = 0;        // offset of the line in the text
    std::size_t end = 0;          // offset of its line ending
    std::size_t next = 0;         // offset of the following line
    Kind kind = other;
    std::string_view name;        // section or key name, blanks removed
    std::string_view value;       // key value, blanks removed
    std::size_t valueBegin = 0;   // offset where a key's value starts (after '=' and blanks)
    bool blank = false;           // nothing but blanks
};

Line classify(std::string_view text, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    std::string_view raw = text.substr(begin, end - begin);
    std::size_t first = 0;
    while (first < raw.size() && isBlank(raw[first])) ++first;
    if (first == raw.size()) {
        line.blank = true;
        return line;
    }
    if (raw[first] == ';') return line;
    if (raw[first] == '[') {
        // The name ends at the last ']'; a header without one is an ordinary line.
        std::size_t close = raw.rfind(']');
        if (close != std::string_view::npos && close > first) {
            line.kind = Line::section;
            line.name = trimBlanks(raw.substr(first + 1, close - first - 1));
            return line;
        }
    }
    std::size_t eq = raw.find('=', first);
    if (eq == std::string_view::npos) return line;
    line.kind = Line::key;
    line.name = trimBlanks(raw.substr(first, eq - first));
    std::size_t v = eq + 1;
    while (v < raw.size() && isBlank(raw[v])) ++v;
    line.valueBegin = begin + v;
    line.value = trimBlanks(raw.substr(v));
    return line;
}

struct Parsed {
    std::vector<Line> lines;
    std::string_view eol = "\n";  // the file's own line ending, for lines we add
};

Parsed parse(std::string_view text) {
    Parsed p;
    std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    bool eolSeen = false;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        if (nl != std::string_view::npos && end > pos && text[end - 1] == '\r') --end;
        if (!eolSeen && nl != std::string_view::npos) {
            eolSeen = true;
            if (end != nl) p.eol = "\r\n";
        }
        p.lines.push_back(classify(text, pos, end, next));
        pos = next;
    }
    return p;
}

// Index of the first line of the matching section after `from`, or lines.size().
std::size_t findSection(const Parsed& p, std::string_view section, std::size_t from = 0) {
    for (std::size_t i = from; i < p.lines.size(); ++i)
        if (p.lines[i].kind == Line::section && sameName(p.lines[i].name, section)) return i;
    return p.lines.size();
}

// One past the last line belonging to the section whose header is at `header`.
std::size_t sectionEnd(const Parsed& p, std::size_t header) {
    std::size_t i = header + 1;
    while (i < p.lines.size() && p.lines[i].kind != Line::section) ++i;
    return i;
}

std::size_t findKey(const Parsed& p, std::size_t header, std::string_view key) {
    std::size_t end = sectionEnd(p, header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (p.lines[i].kind == Line::key && sameName(p.lines[i].name, key)) return i;
    return p.lines.size();
}

// Bytes and UTF-16 units of the UTF-8 character at s[i]; an invalid byte counts as one of each.
void measureChar(std::string_view s, std::size_t i, std::size_t* bytes, std::size_t* units) {
    auto lead = static_cast<uint8_t>(s[i]);
    std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (n > 1) {
        for (std::size_t k = 1; k < n; ++k)
            if (i + k >= s.size() || (static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) n = 0;
    }
    *bytes = n == 0 ? 1 : n;
    *units = n == 4 ? 2 : 1;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool validSection(std::string_view section) {
    return !trimBlanks(section).empty() && !hasAny(section, kBreaksAndNul) && section.find(']') == std::string_view::npos;
}

bool validKey(std::string_view key) {
    std::string_view name = trimBlanks(key);
    return !name.empty() && name.front() != ';' && name.front() != '[' && !hasAny(key, kBreaksAndNul) &&
           key.find('=') == std::string_view::npos;
}

bool validValue(std::string_view value) { return !hasAny(value, kBreaksAndNul); }

std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key) {
    Parsed p = parse(text);
    std::size_t header = findSection(p, trimBlanks(section));
    if (header == p.lines.size()) return std::nullopt;
    std::size_t at = findKey(p, header, trimBlanks(key));
    if (at == p.lines.size()) return std::nullopt;
    return std::string(p.lines[at].value);
}

namespace {

std::string lowered(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

}  // namespace

ValueIndex::ValueIndex(std::string_view text) {
    const Parsed p = parse(text);
    std::unordered_map<std::string, std::string>* current = nullptr;  // null: before any section or in a repeat
    for (const Line& line : p.lines) {
        if (line.kind == Line::section) {
            auto [at, fresh] = sections_.try_emplace(lowered(line.name));
            current = fresh ? &at->second : nullptr;  // a later section of the same name is never searched
        } else if (line.kind == Line::key && current) {
            auto [at, fresh] = current->try_emplace(lowered(line.name), line.value);
            if (fresh) bytes_ += at->first.size() + at->second.size();
        }
    }
}

std::optional<std::string> ValueIndex::find(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(lowered(trimBlanks(section)));
    if (s == sections_.end()) return std::nullopt;
    const auto k = s->second.find(lowered(trimBlanks(key)));
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    Parsed p = parse(text);
    std::string out;
    std::size_t header = findSection(p, section);
    if (header == p.lines.size()) {
        out.assign(text);
        if (!p.lines.empty() && p.lines.back().next == p.lines.back().end) out += p.eol;  // no final break
        if (!p.lines.empty() && !p.lines.back().blank) out += p.eol;  // a blank line between sections
        out.append("[").append(section).append("]").append(p.eol);
        out.append(key).append("=").append(value).append(p.eol);
        return out;
    }
    std::size_t at = findKey(p, header, key);
    if (at != p.lines.size()) {
        // Keep the line's own spelling of the key and its spacing; replace only the value.
        const Line& line = p.lines[at];
        out.append(text.substr(0, line.valueBegin)).append(value).append(text.substr(line.end));
        return out;
    }
    // A new key goes after the section's last non-blank line, so blank separators stay below it.
    std::size_t last = header;
    for (std::size_t i = header + 1; i < sectionEnd(p, header); ++i)
        if (!p.lines[i].blank) last = i;
    const Line& after = p.lines[last];
    out.append(text.substr(0, after.next));
    if (after.next == after.end) out += p.eol;  // the file ended without a line break
    out.append(key).append("=").append(value).append(p.eol);
    out.append(text.substr(after.next));
    return out;
}

std::string withoutKey(std::string_view text, std::string_view section, std::string_view key) {
    Parsed p = parse(text);
    std::size_t header = findSection(p, trimBlanks(section));
    if (header == p.lines.size()) return std::string(text);
    std::size_t at = findKey(p, header, trimBlanks(key));
    if (at == p.lines.size()) return std::string(text);
    std::string out(text.substr(0, p.lines[at].begin));
    return out.append(text.substr(p.lines[at].next));
}

std::string withoutSection(std::string_view text, std::string_view section) {
    Parsed p = parse(text);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t header = findSection(p, trimBlanks(section)); header < p.lines.size();) {
        std::size_t end = sectionEnd(p, header);
        out.append(text.substr(copied, p.lines[header].begin - copied));
        copied = end < p.lines.size() ? p.lines[end].begin : text.size();
        header = findSection(p, trimBlanks(section), end);
    }
    return out.append(text.substr(copied));
}

std::string_view stripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string cutToBuffer(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::size_t bytesUsed = 0, unitsUsed = 0;
    while (bytesUsed < text.size()) {
        std::size_t bytes, units;
        measureChar(text, bytesUsed, &bytes, &units);
        if (unitsUsed + units > kIniValueBufferChars - 1) break;
        bytesUsed += bytes;
        unitsUsed += units;
    }
    return std::string(text.substr(0, bytesUsed));
}

}  // namespace initext
