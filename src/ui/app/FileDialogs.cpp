#include "ui/app/FileDialogs.h"

#include "core/fileformats/SoundFileRegistry.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "ui/fileformats/ExtendedFileOpen.h"

namespace {

// The type entry of the open dialog, counted from 1, kept for the run.
int s_openTypeEntry = 1;

QString StoredLoadPath(SettingsStore& settings) {
    settings.CreateKey(kOrvexKey);
    const std::optional<std::string> path = settings.GetString(kOrvexKey, kLoadPathValue);
    return path ? QString::fromStdString(*path) : QString();
}

void StoreLoadPath(SettingsStore& settings, const QString& chosen) {
    settings.SetString(kOrvexKey, kLoadPathValue, FolderForLoadPath(chosen.toStdString()));
}

// The dialog starts in the remembered folder, on the given type entry (counted from 1).
void PrepareDialog(SettingsStore& settings, CExtendedFileOpen& dialog, int entry) {
    const QStringList filters = dialog.nameFilters();
    if (entry >= 1 && entry <= filters.size())
        dialog.selectNameFilter(filters[entry - 1]);
    const QString folder = StoredLoadPath(settings);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
}

}  // namespace

QStringList NameFiltersFromRegistry(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString tail = QStringLiteral("(%1)").arg(patterns);
        // Qt reads the patterns from the last parentheses of the entry.
        filters << (description.endsWith(tail) ? description
                                               : description + QLatin1Char(' ') + tail);
    }
    return filters;
}

bool OpenDialog(QWidget* parent, Services& services, QString& name) {
    CExtendedFileOpen dialog(true, NameFiltersFromRegistry(services.registry.OpenFilter()),
                             services, parent);
    PrepareDialog(services.settings, dialog, s_openTypeEntry);
    if (dialog.exec() != QDialog::Accepted || dialog.FileName().isEmpty())
        return false;
    if (dialog.TypeEntry() >= 1)
        s_openTypeEntry = dialog.TypeEntry();
    // The platform's dialog leaves the current folder alone, so the whole path is handed back.
    name = dialog.FileName();
    StoreLoadPath(services.settings, name);
    return true;
}

bool SaveDialog(QWidget* parent, Services& services, QString& path, QString& title,
                SampleBuffer& sample) {
    CExtendedFileOpen dialog(false, NameFiltersFromRegistry(services.registry.SaveFilter()),
                             services, parent);
    dialog.SetOptionsSample(&sample);
    PrepareDialog(services.settings, dialog, 1);
    const qsizetype dot = title.indexOf(QLatin1Char('.'));
    dialog.selectFile(dot < 0 ? title : title.left(dot));
    if (dialog.exec() != QDialog::Accepted || dialog.FileName().isEmpty())
        return false;
    path = dialog.FileName();
    title = dialog.FileTitle();
    StoreLoadPath(services.settings, path);
    return true;
}

int OpenDialogTypeEntry() {
    return s_openTypeEntry;
}
