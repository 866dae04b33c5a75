#pragma once

#include <string>

// The number at the start of a text as the dialogs read it: leading blanks, a sign, digits and
// a fraction; text that is not a number reads as 0. Always with "." as the decimal point,
// whatever the user's locale.
double LeadingNumber(const std::string& text);
int LeadingInteger(const std::string& text);
// `value` with `decimals` digits after a "." whatever the user's locale, rounded as printf's
// "%.Nf" rounds: the texts the dialogs and file descriptions write are read back by
// LeadingNumber, so both sides use one locale.
std::string FixedText(double value, int decimals);

// A volume text in percent, or in dB when `inDb` (percent = 100 * 10^(dB * 0.05)).
float VolumeFromText(const std::string& text, bool inDb);
// "%.1f" of a percentage, or "%.2f" of its dB value 20 * log10(percent * 0.01).
std::string VolumeText(float percent, bool inDb);
// The text "&Normalise" writes for a normalise target of `targetPercent` and a peak gain.
std::string NormaliseText(int targetPercent, float gain, bool inDb);
