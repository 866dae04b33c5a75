#include "ui/app/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include "core/fileformats/SoundFileRegistry.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"

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

// A plain dialog (not the desktop's own) so that it looks the same everywhere and can be
// answered by the tests.
void PrepareDialog(SettingsStore& settings, QFileDialog& dialog, const QStringList& filters,
                   int entry) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilters(filters);
    if (entry >= 1 && entry <= filters.size())
        dialog.selectNameFilter(filters[entry - 1]);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
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
    const QStringList filters = NameFiltersFromRegistry(services.registry.OpenFilter());
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    PrepareDialog(services.settings, dialog, filters, s_openTypeEntry);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const qsizetype entry = filters.indexOf(dialog.selectedNameFilter());
    if (entry >= 0)
        s_openTypeEntry = static_cast<int>(entry) + 1;
    // The platform's dialog leaves the current folder alone, so the whole path is handed back.
    name = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    StoreLoadPath(services.settings, name);
    return true;
}

bool SaveDialog(QWidget* parent, Services& services, QString& path, QString& title,
                SampleBuffer& /*sample*/) {
    const QStringList filters = NameFiltersFromRegistry(services.registry.SaveFilter());
    QFileDialog dialog(parent, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    PrepareDialog(services.settings, dialog, filters, 1);
    const qsizetype dot = title.indexOf(QLatin1Char('.'));
    dialog.selectFile(dot < 0 ? title : title.left(dot));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    title = QFileInfo(path).fileName();
    StoreLoadPath(services.settings, path);
    return true;
}

int OpenDialogTypeEntry() {
    return s_openTypeEntry;
}
