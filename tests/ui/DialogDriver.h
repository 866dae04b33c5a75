#pragma once

// Drives dialogs the way a user does. Controls are found by their dialog id (the object name);
// edits are typed into, arrows, buttons and radios clicked, combo items picked from the open list.

#include <QTest>
#include <QtWidgets>
#include <array>
#include <functional>

#include "core/effects/SampleRatePresets.h"
#include "ui/controls/UpDown.h"

template <typename Control = QWidget>
Control* ById(QWidget* dialog, const QString& id) {
    auto* control = dialog->findChild<Control*>(id);
    if (!control)
        qFatal("no control with id %s", qPrintable(id));
    return control;
}

// What controls show, joined by "|" for ids separated by blanks: the text of an edit, combo or
// label, "on" or "off" for a check box or radio, the position of arrows; "?1013" tells whether
// the control can be used, "on" or "off"; "*1053" gives each item of the combo's list.
inline QString Shown(QWidget* dialog, const QString& ids) {
    QStringList texts;
    for (const QString& id : ids.split(u' ')) {
        QWidget* control =
            ById(dialog, id.startsWith(u'?') || id.startsWith(u'*') ? id.mid(1) : id);
        if (id.startsWith(u'?'))
            texts << (control->isEnabled() ? "on" : "off");
        else if (auto* list = qobject_cast<QComboBox*>(control); list && id.startsWith(u'*'))
            for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            texts << edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            texts << combo->currentText();
        else if (auto* label = qobject_cast<QLabel*>(control))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            texts << (button->isChecked() ? "on" : "off");
        else
            texts << QString::number(ById<CUpDown>(dialog, id)->Position());
    }
    return texts.join(u'|');
}

// Check boxes and radios stretch across their cell while only their box and text take clicks,
// so they are pressed from the keyboard; push buttons and arrows with the mouse.
inline void Click(QAbstractButton* button) {
    qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)
        ? QTest::keyClick(button, Qt::Key_Space)
        : QTest::mouseClick(button, Qt::LeftButton);
}

// Opens the combo's list and clicks the item with this text.
inline void Choose(QWidget* dialog, const QString& id, const QString& item) {
    auto* combo = ById<QComboBox>(dialog, id);
    const int index = combo->findText(item, Qt::MatchExactly);
    if (index < 0)
        qFatal("no item %s", qPrintable(item));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

// Plays a user's steps, separated by "; ": "1015" clicks that button, box or radio; "1013=7.5"
// selects what the edit or editable combo holds and types over it ("1013=" erases it);
// "1106+3" clicks the arrows up three times, "1106-2" down twice; "1001:22050 Hz" picks the
// item from the combo's list.
inline void Do(QWidget* dialog, const QString& steps) {
    for (const QString& step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        qsizetype at = 0;
        while (at < step.size() && !QStringLiteral("=+-:").contains(step[at])) ++at;
        const QString id = step.left(at);
        const QString text = step.mid(at + 1);
        const QChar op = at < step.size() ? step[at] : QChar();
        if (op == u'=') {
            QLineEdit* edit = qobject_cast<QLineEdit*>(ById(dialog, id));
            if (!edit)
                edit = ById<QComboBox>(dialog, id)->lineEdit();
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, text);
        } else if (op == u'+' || op == u'-') {
            auto* arrows = ById<CUpDown>(dialog, id);
            for (int i = 0; i < text.toInt(); ++i)
                Click(op == u'+' ? arrows->UpButton() : arrows->DownButton());
        } else if (op == u':') {
            Choose(dialog, id, text);
        } else {
            Click(ById<QAbstractButton>(dialog, id));
        }
    }
}

// Plays mouse steps on a widget, separated by blanks: "p100,50" presses the left button at
// (100, 50), "d110,60" drags there with it held, "r" releases it, "c" clicks, "h" hovers; a step
// without a y is at mid-height. The events go to the widget itself, as they do while it holds the
// mouse; `keys` are held throughout.
inline void Mouse(QWidget* target, const QString& steps, Qt::KeyboardModifiers keys = {}) {
    for (const QString& step : steps.split(u' ')) {
        const QStringList xy = step.mid(1).split(u',');
        const QPointF at(xy[0].toInt(), xy.size() > 1 ? xy[1].toInt() : target->height() / 2);
        const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, target->mapToGlobal(at), button, held, keys);
            QApplication::sendEvent(target, &event);
        };
        if (step[0] == u'p' || step[0] == u'c')
            send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        if (step[0] == u'r' || step[0] == u'c')
            send(QEvent::MouseButtonRelease, Qt::LeftButton, {});
        if (step[0] == u'd' || step[0] == u'h')
            send(QEvent::MouseMove, Qt::NoButton, step[0] == u'd' ? Qt::LeftButton : Qt::NoButton);
    }
}

// A script of {steps, the ids to look at afterwards, what they must show}.
inline void Play(QWidget* dialog, std::initializer_list<std::array<const char*, 3>> script) {
    for (const auto& [steps, ids, expected] : script) {
        Do(dialog, QString::fromUtf8(steps));
        const QString shown = Shown(dialog, QString::fromLatin1(ids));
        QVERIFY2(shown == QString::fromUtf8(expected),
                 qPrintable(QStringLiteral("after \"%1\" %2 show \"%3\"").arg(steps, ids, shown)));
    }
}

// Runs `action` on the next modal dialog of this class once it is up (for dialogs run with
// exec(), however many come before it); the action is expected to close it. One that has not come
// after 3000 looks is given up, so that a failure does not hang the run.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog*)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action, looks = 0]() mutable {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && ++looks < 3000)
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            action(dialog);
        // A check that failed half-way returns early: close the dialog so the test reports
        // the failure instead of waiting for a user.
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
    poll->start(10);
}

// Stores sample-rate presets given as "CD=44100,2,16; Radio=22050,1,8" (rate, channels, bits).
inline void StorePresets(SettingsStore& settings, const QString& presets) {
    SampleRatePresets store(settings);
    for (const QString& preset : presets.split(QStringLiteral("; "))) {
        const QStringList v = preset.section(u'=', 1).split(u',');
        std::tie(store.Frequency, store.Channels, store.Bits) =
            std::tuple(v[0].toUInt(), v[1].toUInt(), v[2].toUInt());
        store.Save(preset.section(u'=', 0, 0).toStdString());
    }
}
