#pragma once

#include <QDialog>
#include <string>

#include "core/effects/SampleRatePresets.h"
#include "core/services/Services.h"

class CFormatPicker;
class QComboBox;
class QLabel;

// "Convert Sample": the target rate, width and channel count of a conversion, with the quality
// box naming the stored preset those values match. OK is refused, with a message, for a rate no
// sound can have (0, or above 50000 Hz).
class CConvertDlg : public QDialog {
    Q_OBJECT
public:
    CConvertDlg(Services& services, const std::string& source, const std::string& frequency,
                int n16Bit, int nStereo, QWidget* parent = nullptr);

    int m_n16Bit = 0;
    int m_nStereo = 0;
    std::string m_strSource;
    std::string m_strQuality;
    std::string m_strFrequency;

    void accept() override;

    static constexpr const char* kBadFrequencyMessage =
        "Please enter a frequency between 1 and 50000 Hz.";

private:
    void BuildControls();
    void InitDialog();
    void ReadControls();
    void WriteControls();
    void LookUpQuality();
    bool ApplyPreset(const std::string& name);

    void OnQualityChosen(const QString& name);
    void OnPresets();

    Services& m_services;
    SampleRatePresets m_presets;
    QLabel* m_sourceText;
    CFormatPicker* m_format;
    QComboBox* m_qualityCombo;
};
