#include "support/TempDir.h"

#include <random>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device random;
    do {
        m_path = fs::temp_directory_path() / ("orvex-test-" + std::to_string(random()));
    } while (!fs::create_directory(m_path));
}

TempDir::~TempDir() {
    std::error_code ignored;  // a test may have taken away the folder's own permissions
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}
