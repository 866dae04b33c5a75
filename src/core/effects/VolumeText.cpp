#include "core/effects/VolumeText.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The "C" locale, so that "." is the decimal point whatever the user's locale says.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

double LeadingNumber(const std::string& text) {
    return strtod_l(text.c_str(), nullptr, CLocale());
}

int LeadingInteger(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : value));
}

std::string FixedText(double value, int decimals) {
    char text[400];  // the longest double in fixed notation fits
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ec == std::errc() ? result.ptr : text);
}

float VolumeFromText(const std::string& text, bool inDb) {
    const double value = LeadingNumber(text);
    return static_cast<float>(inDb ? 100.0 * std::pow(10.0, value * 0.05) : value);
}

std::string VolumeText(float percent, bool inDb) {
    if (inDb)
        return FixedText(20.0 * std::log10(percent * 0.01), 2);
    return FixedText(static_cast<double>(percent), 1);
}

std::string NormaliseText(int targetPercent, float gain, bool inDb) {
    return VolumeText(static_cast<float>(targetPercent) * gain, inDb);
}
