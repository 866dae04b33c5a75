#include "platform/qt/QSettingsStore.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

#include "core/settings/SettingsKeyPath.h"

namespace {

// Every key carries this value, so that a key without values of its own still exists (INI
// files keep no empty groups). It never shows in enumerations.
const QString kKeyMarker = QStringLiteral("_key_");

// Values keep their type: the first byte names it, the rest are the value's bytes.
QByteArray Encode(const SettingsValue& value) {
    QByteArray bytes;
    bytes.append(static_cast<char>(value.type));
    bytes.append(reinterpret_cast<const char*>(value.bytes.data()),
                 static_cast<qsizetype>(value.bytes.size()));
    return bytes;
}

std::optional<SettingsValue> Decode(const QByteArray& bytes) {
    if (bytes.isEmpty() ||
        static_cast<uint8_t>(bytes[0]) > static_cast<uint8_t>(SettingsValueType::None)) {
        return std::nullopt;
    }
    SettingsValue value;
    value.type = static_cast<SettingsValueType>(bytes[0]);
    value.bytes.assign(bytes.begin() + 1, bytes.end());
    return value;
}

QString Join(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

}  // namespace

QSettingsStore::QSettingsStore() : QSettingsStore(DefaultFilePath()) {}

QSettingsStore::QSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

QString QSettingsStore::DefaultFilePath() {
    const QByteArray overrideDir = qgetenv("ORVEX_SETTINGS_DIR");
    const QString dir =
        !overrideDir.isEmpty()
            ? QString::fromLocal8Bit(overrideDir)
            : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  QStringLiteral("/Orvex");
    return QDir(dir).filePath(QStringLiteral("orvex.conf"));
}

std::optional<QString> QSettingsStore::Resolve(const std::string& keyPath) const {
    QString group;
    for (const auto& name : SplitKeyPath(keyPath)) {
        m_settings->beginGroup(group);
        const QStringList children = m_settings->childGroups();
        m_settings->endGroup();
        const QString wanted = QString::fromStdString(name);
        auto it = std::find_if(children.begin(), children.end(), [&](const QString& child) {
            return child.compare(wanted, Qt::CaseInsensitive) == 0;
        });
        if (it == children.end())
            return std::nullopt;
        group = Join(group, *it);
    }
    return group;
}

std::optional<QString> QSettingsStore::ResolveValue(const QString& group,
                                                    const std::string& name) const {
    m_settings->beginGroup(group);
    const QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    const QString wanted = QString::fromStdString(name);
    for (const QString& key : keys) {
        if (key != kKeyMarker && key.compare(wanted, Qt::CaseInsensitive) == 0) {
            return Join(group, key);
        }
    }
    return std::nullopt;
}

bool QSettingsStore::Sync() const {
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool QSettingsStore::CreateKey(const std::string& keyPath) {
    QString group;
    for (const auto& name : SplitKeyPath(keyPath)) {
        const auto existing = Resolve(JoinKey(group.toStdString(), name));
        group = existing ? *existing : Join(group, QString::fromStdString(name));
        if (!existing)
            m_settings->setValue(Join(group, kKeyMarker), 1);
    }
    return Sync();
}

bool QSettingsStore::KeyExists(const std::string& keyPath) const {
    return Resolve(keyPath).has_value();
}

std::vector<std::string> QSettingsStore::SubKeys(const std::string& keyPath) const {
    std::vector<std::string> names;
    const auto group = Resolve(keyPath);
    if (!group)
        return names;
    m_settings->beginGroup(*group);
    for (const QString& child : m_settings->childGroups()) names.push_back(child.toStdString());
    m_settings->endGroup();
    std::sort(names.begin(), names.end(), CaseInsensitiveLess());
    return names;
}

bool QSettingsStore::DeleteKey(const std::string& keyPath) {
    const auto group = Resolve(keyPath);
    if (!group || group->isEmpty())
        return false;
    m_settings->remove(*group);
    return Sync();
}

bool QSettingsStore::SetValue(const std::string& keyPath, const std::string& name,
                              const SettingsValue& value) {
    if (!CreateKey(keyPath))
        return false;
    const QString group = Resolve(keyPath).value_or(QString());
    const auto existing = ResolveValue(group, name);
    m_settings->setValue(existing ? *existing : Join(group, QString::fromStdString(name)),
                         Encode(value));
    return Sync();
}

std::optional<SettingsValue> QSettingsStore::GetValue(const std::string& keyPath,
                                                      const std::string& name) const {
    const auto group = Resolve(keyPath);
    if (!group)
        return std::nullopt;
    const auto key = ResolveValue(*group, name);
    if (!key)
        return std::nullopt;
    return Decode(m_settings->value(*key).toByteArray());
}

bool QSettingsStore::DeleteValue(const std::string& keyPath, const std::string& name) {
    const auto group = Resolve(keyPath);
    if (!group)
        return false;
    const auto key = ResolveValue(*group, name);
    if (!key)
        return false;
    m_settings->remove(*key);
    return Sync();
}
