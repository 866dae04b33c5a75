// The editor's entry point: one file name on the command line (all arguments together, as one
// name), handed to an editor that already runs if there is one.
#include <QApplication>
#include <QStringList>

#include "core/fileformats/SoundFileRegistry.h"
#include "core/services/Services.h"
#include "platform/audio/PortAudioBackend.h"
#include "platform/qt/QClipboardService.h"
#include "platform/qt/QMessageBoxSink.h"
#include "platform/qt/QSettingsStore.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/ShellOpen.h"
#include "ui/fileformats/AuOptionsDlg.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvex"));
    QApplication::setApplicationVersion(QStringLiteral("1.5.2"));
    QApplication::setDesktopFileName(QStringLiteral("orvex"));

    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString commandLine = words.join(QLatin1Char(' '));
    const QString serverName = ShellServerName();
    if (!commandLine.isEmpty() && SendShellOpen(serverName, commandLine, 1000))
        return 0;

    QSettingsStore settings;
    QClipboardService clipboard;
    QMessageBoxSink messages;
    // The Sun/NeXT handler shows its save options through the editor's dialog.
    CAuOptionsPresenter auOptions;
    SoundFileRegistry registry(messages, &auOptions);
    // Made before the application so that it outlives every document's devices.
    PortAudioBackend audio;
    Services services{registry, settings, clipboard, messages, audio};

    int result = 1;
    {
        COrvexApp app(services);
        COrvexApp::Options options;
        options.shellServerName = serverName;
        options.showSplash = qEnvironmentVariableIsEmpty("ORVEX_NO_SPLASH");
        if (app.InitInstance(commandLine, options))
            result = QApplication::exec();
    }
    return result;
}
