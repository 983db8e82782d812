#include "perf/SystemSpeeds.h"

#include <cctype>

namespace perf {

int parseWheelText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min(value * 10 + (text[i] - '0'), 1000000L);  // a huge number is just large
    return negative ? -int(value) : int(value);
}

}  // namespace perf
