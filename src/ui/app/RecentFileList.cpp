#include "ui/app/RecentFileList.h"

#include <optional>
#include <string>

#include "core/settings/SettingsStore.h"

namespace {

constexpr const char* kRecentKey = "Recent File List";

std::string ValueName(int index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

void RecentFileList::Load() {
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        const std::optional<std::string> file = m_store.GetString(kRecentKey, ValueName(i));
        if (file && !file->empty())
            m_files.append(QString::fromStdString(*file));
    }
}

void RecentFileList::Add(const QString& path) {
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kSize) m_files.removeLast();
    Save();
}

void RecentFileList::Save() const {
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            m_store.SetString(kRecentKey, ValueName(i), m_files[i].toStdString());
        else
            m_store.DeleteValue(kRecentKey, ValueName(i));
    }
}
