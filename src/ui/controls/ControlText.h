#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <string>

// Text exchange between dialog members (UTF-8 std::string) and controls. Writing leaves a
// control alone when it already shows the text, so the caret of an edit being typed in stays put.
inline std::string TextOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}
inline std::string TextOf(const QComboBox* combo) {
    return combo->currentText().toStdString();
}

inline void ShowText(QLineEdit* edit, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (edit->text() != value)
        edit->setText(value);
}

inline void ShowText(QComboBox* combo, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (combo->currentText() != value)
        combo->setEditText(value);
}
