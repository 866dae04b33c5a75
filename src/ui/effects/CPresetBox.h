#pragma once

#include <QGroupBox>
#include <string>

class CManipWnd;
class QComboBox;
class QPushButton;
class SettingsStore;

// The named curves of one category that the curve dialogs share: a sorted list of the stored
// names in which picking a name loads its curve, "&Save" (the typed name, added to the list when
// new), "&Delete" (the typed name when it is in the list) and "&Reset" (the dialog's own starting
// shape). The "&Reset" button stands outside the group; the dialog places it.
class CPresetBox : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kNameLimit = 50;

    CPresetBox(SettingsStore& settings, const char* category, CManipWnd* curve, int resetMode,
               QWidget* parent);

    QPushButton* ResetButton() const { return m_reset; }
    QComboBox* Combo() const { return m_combo; }

private:
    void OnPicked(const QString& name);
    void OnSave();
    void OnDelete();
    void OnReset();
    // The list keeps its names in order, whatever their case.
    void AddName(const QString& name);

    SettingsStore& m_settings;
    std::string m_category;
    CManipWnd* m_curve;
    int m_resetMode;
    QComboBox* m_combo;
    QPushButton* m_save;
    QPushButton* m_delete;
    QPushButton* m_reset;
};
