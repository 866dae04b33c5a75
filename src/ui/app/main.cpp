// The editor's entry point: one file name on the command line (all arguments together, as one
// name), handed to an editor that already runs if there is one.
#include <QApplication>
#include <QStringList>

#include "app/COrvexApp.h"
#include "app/ShellOpen.h"
#include "audio/PortAudioBackend.h"
#include "clipboard/ClipboardService.h"
#include "messages/MessageSink.h"
#include "qt/QClipboardService.h"
#include "qt/QMessageBoxSink.h"
#include "qt/QSettingsStore.h"
#include "settings/SettingsStore.h"

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
    SetSettingsStore(&settings);
    QClipboardService clipboard;
    SetClipboardService(&clipboard);
    QMessageBoxSink messages;
    SetMessageSink(&messages);
    PortAudioBackend audio;
    SetAudioBackend(&audio);

    int result = 1;
    {
        COrvexApp app;
        COrvexApp::Options options;
        options.shellServerName = serverName;
        options.showSplash = qEnvironmentVariableIsEmpty("ORVEX_NO_SPLASH");
        if (app.InitInstance(commandLine, options))
            result = QApplication::exec();
    }
    SetAudioBackend(nullptr);
    SetMessageSink(nullptr);
    SetClipboardService(nullptr);
    SetSettingsStore(nullptr);
    return result;
}
