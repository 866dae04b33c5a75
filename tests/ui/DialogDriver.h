#pragma once

// Drives dialogs the way a user does: controls are found by their dialog id (the object name),
// radios by their text; edits are typed into, arrows and buttons clicked, combo items picked
// from the open list.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "ui/controls/UpDown.h"

template <typename Control>
Control* ById(QWidget* dialog, const char* id) {
    auto* control = dialog->findChild<Control*>(QString::fromLatin1(id));
    if (!control)
        qFatal("no control with id %s", id);
    return control;
}

inline QRadioButton* RadioByText(QWidget* dialog, const char* text) {
    for (auto* radio : dialog->findChildren<QRadioButton*>()) {
        if (radio->text() == QLatin1String(text))
            return radio;
    }
    qFatal("no radio button %s", text);
}

inline QString TextOf(QWidget* dialog, const char* id) {
    if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(id)))
        return edit->text();
    if (auto* combo = dialog->findChild<QComboBox*>(QString::fromLatin1(id))) {
        return combo->currentText();
    }
    if (auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(id)))
        return label->text();
    qFatal("no text control with id %s", id);
}

// Selects what the edit holds and types `text` over it; an empty text erases it.
inline void TypeOver(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

inline void TypeOver(QWidget* dialog, const char* id, const QString& text) {
    if (auto* combo = dialog->findChild<QComboBox*>(QString::fromLatin1(id))) {
        TypeOver(combo->lineEdit(), text);
    } else {
        TypeOver(ById<QLineEdit>(dialog, id), text);
    }
}

// Check boxes and radios stretch across their cell while only their box and text take clicks,
// so they are pressed from the keyboard; push buttons and arrows with the mouse.
inline void Click(QAbstractButton* button) {
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}
inline void Click(QWidget* dialog, const char* id) {
    Click(ById<QAbstractButton>(dialog, id));
}

inline void ClickArrow(QWidget* dialog, const char* id, bool up, int times = 1) {
    auto* arrows = ById<CUpDown>(dialog, id);
    for (int i = 0; i < times; ++i) Click(up ? arrows->UpButton() : arrows->DownButton());
}

// Opens the combo's list and clicks the item with this text.
inline void Choose(QWidget* dialog, const char* id, const QString& item) {
    auto* combo = ById<QComboBox>(dialog, id);
    const int index = combo->findText(item, Qt::MatchExactly);
    if (index < 0)
        qFatal("no item %s", qPrintable(item));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    if (view->isVisible())
        combo->hidePopup();
}

inline QStringList Items(QWidget* dialog, const char* id) {
    auto* combo = ById<QComboBox>(dialog, id);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

// Runs `action` on the modal dialog that opens next (for dialogs run with exec()), which is
// expected to close it.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog*)> action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            qFatal("the expected modal dialog is not open");
        action(dialog);
        // A check that failed half-way returns early: close the dialog so the test reports
        // the failure instead of waiting for a user.
        if (dialog->isVisible())
            dialog->reject();
    });
}
