#include "platform/qt/QMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString TitleOf(const UserMessage& message) {
    switch (message.title) {
        case MessageTitle::Application:
            return QStringLiteral("Orvex");
        case MessageTitle::Untitled:
            return QString();
        case MessageTitle::Custom:
            return QString::fromStdString(message.customTitle);
    }
    return QString();
}

}  // namespace

void QMessageBoxSink::Show(const UserMessage& message) {
    const QMessageBox::Icon icon = message.title == MessageTitle::Application
                                       ? QMessageBox::Information
                                       : QMessageBox::Warning;
    QMessageBox box(icon, TitleOf(message), QString::fromStdString(message.text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // An empty title would otherwise be replaced by the application's name.
    if (message.title == MessageTitle::Untitled)
        box.setWindowTitle(QStringLiteral(" "));
    box.exec();
}

void QMessageBoxSink::Beep() {
    QApplication::beep();
}

SaveChoice QMessageBoxSink::AskToSave(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvex"), QString::fromStdString(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::kSave;
        case QMessageBox::Discard:
            return SaveChoice::kDiscard;
        default:
            return SaveChoice::kCancel;
    }
}
