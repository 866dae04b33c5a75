#include "core/settings/SettingsKeyPath.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> SplitKeyPath(const std::string& keyPath) {
    std::vector<std::string> names;
    std::string current;
    for (char c : keyPath) {
        if (c == '\\' || c == '/') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}
