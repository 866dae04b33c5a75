#pragma once

#include <QDialog>

#include "core/fileformats/AuSaveOptions.h"

class QCheckBox;
class QRadioButton;

// "Sun/NeXT Save Options": mu-law or linear, and for mu-law whether the sound is forced to 8 kHz
// mono first. The dialog edits an AuSaveOptions; its rules (the tick is enabled only with mu-law
// and keeps its state while disabled) live there.
class CAuOptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAuOptionsDlg(const AuSaveOptions& options, QWidget* parent = nullptr);

    // What the controls hold now (after OK: what the user chose).
    AuSaveOptions Options() const { return m_options; }

private:
    void OnRadio(int index);
    void ApplyEnabling();

    AuSaveOptions m_options;
    QRadioButton* m_uLawRadio;
    QRadioButton* m_linearRadio;
    QCheckBox* m_forceCheck;
};

// The Sun/NeXT handler's way of showing its options in the editor: the dialog above, over the
// window that is active (the save dialog whose Options... button asked).
class CAuOptionsPresenter : public AuOptionsPresenter {
public:
    bool Present(AuSaveOptions& options) override;
};
