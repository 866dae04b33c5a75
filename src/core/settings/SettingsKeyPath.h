#pragma once

#include <string>
#include <vector>

// Splits "A\B\C" into its names, dropping empty ones (so leading, trailing and doubled
// separators do no harm).
std::vector<std::string> SplitKeyPath(const std::string& keyPath);

// Key and value names compare without regard to case, as the registry's do.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
