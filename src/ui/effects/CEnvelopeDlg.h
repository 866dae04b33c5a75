#pragma once

#include <cstdint>
#include <string>

#include "ui/effects/CCurveDlg.h"

class CUpDown;
class QLineEdit;
class QPushButton;
class SampleBuffer;

// "Edit Envelope": a gain curve over frames start..end and an overall amplification in percent,
// which "&Normalise" can compute from the loudest sample of the range. After OK the caller reads
// Amplification() and the curve and applies them.
class CEnvelopeDlg : public CCurveDlg {
    Q_OBJECT
public:
    CEnvelopeDlg(Services& services, SampleBuffer* buffer, uint32_t start, uint32_t end,
                 uint32_t channel, QWidget* parent = nullptr);

    std::string m_strAmplification = "100";
    std::string m_strNormalise = "100";

    // The amplification as a factor: the typed percent read as a leading number (text that is
    // not a number reads as 0 and silences the range) times 0.01.
    float Amplification() const;
    void accept() override;

private:
    void ReadControls();
    void WriteControls();
    void OnNormalise();

    SampleBuffer* m_pBuffer;
    uint32_t m_nStart;
    uint32_t m_nEnd;
    uint32_t m_nChannel;
    QLineEdit* m_amplificationEdit;
    CUpDown* m_amplificationArrows;
    QPushButton* m_normaliseButton;
    QLineEdit* m_normaliseEdit;
    CUpDown* m_normaliseArrows;
};
