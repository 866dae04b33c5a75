#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "core/effects/SampleRatePresets.h"

class CFormatPicker;
class CUpDown;
class QCheckBox;
class QComboBox;
class QLabel;
struct Services;

// "Recording Options": the quality (a stored preset), frequency, channels, width and time of a
// recording, with the memory it will take. The caller sets the members to start from, runs the
// dialog and reads the members back.
class CRecordOptionsDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's results.
    static constexpr int kCancel = 2;
    static constexpr int kRecordAsNew = 10;
    static constexpr int kRecordHere = 11;

    explicit CRecordOptionsDlg(Services& services, QWidget* parent = nullptr);

    // Runs the dialog starting with `defaultTime` seconds: kCancel, kRecordAsNew or kRecordHere.
    int Run(int defaultTime);
    // 4 for mono or 8 for stereo, plus 1 for 8-bit or 2 for 16-bit.
    uint32_t FormatCode() const;

    std::string m_strFrequency = "22050 Hz";
    std::string m_strTime = "1";
    int m_nBits = 0;
    int m_nChannels = 0;
    std::string m_strQuality = " ";
    std::string m_strMemory;
    bool m_bRecordAsNew = true;
    bool m_bTimeSpecified = true;
    uint32_t m_frequency = 22050;
    uint32_t m_blockSize = 22050;
    bool m_bStereo = false;
    bool m_b16Bit = false;

    void accept() override;
    void reject() override;

private:
    void BuildControls();
    void InitDialog();
    void ReadControls();
    void WriteControls();
    // The block size from the controls as they stand; stores frequency and block size.
    uint32_t ComputeSize();
    void UpdateReadout();
    void MatchQuality();
    bool ApplyPreset(const std::string& name);
    void ApplyQuality(const QString& name);

    void OnFormatEdited();
    void OnTimeEdited();
    void OnTimeChosen(int index);
    void OnTimeArrows();
    void OnPresets();
    void OnTimeSpecifiedClicked();

    Services& m_services;
    SampleRatePresets m_presets;
    int m_defaultTime = 1;
    bool m_bInitialised = false;

    CFormatPicker* m_format;
    QComboBox* m_qualityCombo;
    QComboBox* m_timeCombo;
    CUpDown* m_timeArrows;
    QLabel* m_secondsLabel;
    QLabel* m_memoryText;
    QCheckBox* m_recordAsNew;
    QCheckBox* m_timeSpecified;
};
