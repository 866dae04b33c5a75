#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// The most recently used files, newest first, at most kSize of them, kept in the settings store
// as the values File1..File4 of the key "Recent File List".
class RecentFileList {
public:
    static constexpr int kSize = 4;

    explicit RecentFileList(SettingsStore& store) : m_store(store) {}

    // Reads the list the store holds; empty values are skipped.
    void Load();
    // Puts `path` first (once only) and stores the list.
    void Add(const QString& path);

    const QStringList& Files() const { return m_files; }

private:
    void Save() const;

    SettingsStore& m_store;
    QStringList m_files;
};
