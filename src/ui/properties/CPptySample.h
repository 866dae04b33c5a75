#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "core/effects/SampleRatePresets.h"
#include "core/sample/SampleFormat.h"

class COrvexView;
class CUpDown;
class QComboBox;
class QLabel;
class QRadioButton;
class SampleBuffer;
struct Services;

// "Format": relabels the bound sound by frequency, sample width and channels without touching
// its bytes (the marks stay on the same bytes), picks named qualities, shows the data rate and
// the format the bytes really have, and reverts to or converts from that original format.
class CPptySample : public QWidget {
    Q_OBJECT
public:
    CPptySample(Services& services, QWidget* parent = nullptr);

    void Bind(COrvexView* view, SampleBuffer* buffer);
    SampleBuffer* Buffer() const { return m_buffer; }
    // The bound view's sound now has this format, its bytes `original`.
    void UpdateFormat(uint32_t frequency, bool stereo, bool sixteenBit,
                      const SampleFormat& original);

private:
    void BuildControls();
    void FillQualities();
    void MatchQuality();
    void ShowControls();
    // The frequency the text gives, or 0 when it is no frequency a sound can have.
    uint32_t TypedFrequency() const;
    void Apply();
    // Tells the other windows of the sound and the status bar, without the answer rewriting
    // what is being typed here.
    void ShowChange();
    void OnWidth(int choice);
    void OnChannels(int choice);
    void OnQuality(const QString& name, bool zoomAll);
    void OnPresets();
    void OnFrequencyText();
    void OnFrequencyStep(int position);
    void OnFrequencyFinished();
    void OnRevert();
    void OnConvert();

    Services& m_services;
    SampleRatePresets m_presets;
    SampleBuffer* m_buffer = nullptr;
    COrvexView* m_view = nullptr;
    std::string m_frequency;
    int m_bits = -1;
    int m_channels = -1;
    std::string m_quality;
    bool m_applying = false;

    QComboBox* m_qualityCombo;
    QComboBox* m_frequencyCombo;
    CUpDown* m_frequencyArrows;
    QRadioButton* m_8BitRadio;
    QRadioButton* m_16BitRadio;
    QRadioButton* m_monoRadio;
    QRadioButton* m_stereoRadio;
    QLabel* m_memory;
    QLabel* m_original;
};
