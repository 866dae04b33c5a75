#include "effects/VolumeText.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// Skips leading white space and a plus sign, which from_chars does not take.
const char* NumberStart(const std::string& text, bool& negative) {
    const char* p = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    return p;
}

}  // namespace

double LeadingNumber(const std::string& text) {
    bool negative = false;
    const char* p = NumberStart(text, negative);
    double value = 0.0;
    const auto result = std::from_chars(p, text.c_str() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) value = HUGE_VAL;
    if (result.ec == std::errc::invalid_argument) value = 0.0;
    return negative ? -value : value;
}

int LeadingInteger(const std::string& text) {
    bool negative = false;
    const char* p = NumberStart(text, negative);
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) value = INT_MAX;  // no overflow on absurd input
    }
    return static_cast<int>(negative ? -value : value);
}

float VolumeFromText(const std::string& text, bool inDb) {
    const double value = LeadingNumber(text);
    return static_cast<float>(inDb ? 100.0 * std::pow(10.0, value * 0.05) : value);
}

std::string VolumeText(float percent, bool inDb) {
    char text[64];
    if (inDb) {
        std::snprintf(text, sizeof text, "%.2f", 20.0 * std::log10(percent * 0.01));
    } else {
        std::snprintf(text, sizeof text, "%.1f", static_cast<double>(percent));
    }
    return text;
}

std::string NormaliseText(int targetPercent, float gain, bool inDb) {
    return VolumeText(static_cast<float>(targetPercent) * gain, inDb);
}
