#pragma once

#include <QDialog>
#include <string>

#include "core/effects/SampleRatePresets.h"
#include "core/services/Services.h"

class CFormatPicker;
class QComboBox;
class QLabel;
class QPushButton;

// "Sample Presets": names, saves and deletes the (frequency, channels, bits) presets of the
// settings store. The caller gives the name and values to start from and reads m_strName, the
// name the dialog ended with, whichever way it was closed.
class CSamplePresetsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSamplePresetsDlg(Services& services, QWidget* parent = nullptr);
    CSamplePresetsDlg(Services& services, const std::string& name, const std::string& frequency,
                      int n16Bit, int nStereo, QWidget* parent = nullptr);

    int m_n16Bit = 0;
    int m_nStereo = 0;
    std::string m_strFrequency = "22050 Hz";
    std::string m_strName;
    std::string m_strMemory = "21 Kb/Sec";

    void accept() override;

private:
    void BuildControls();
    void InitDialog();
    void ReadControls();
    void WriteControls();
    void UpdateMemory();
    void ApplyPreset();

    void OnNameChosen(const QString& name);
    void OnSave();
    void OnDelete();

    Services& m_services;
    SampleRatePresets m_presets;
    QComboBox* m_nameCombo;
    CFormatPicker* m_format;
    QLabel* m_memoryText;
};
