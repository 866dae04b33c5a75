#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class CUpDown;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SampleBuffer;

// "Adjust Volume": the left and right volume (in percent or dB), normalising to a target
// percentage of full scale and the DC bias adjustment. Every opening starts from 100 % on both
// sides; after OK the caller reads m_fLeft, m_fRight, m_bDcBias and m_strDcBias. Controls carry
// their dialog ids as object names.
class CAmplifyDlg : public QDialog {
    Q_OBJECT
public:
    CAmplifyDlg(SampleBuffer* buffer, bool stereoView, uint32_t start, uint32_t end,
                uint32_t channel, QWidget* parent = nullptr);

    float m_fLeft = 100.0f;
    float m_fRight = 100.0f;
    std::string m_strNormalise = "100";
    std::string m_strLeft = "100";
    std::string m_strRight = "100";
    bool m_bLock = false;
    std::string m_strDcBias = "100";
    bool m_bDcBias = false;
    bool m_bDb = false;

    void accept() override;

private:
    void BuildControls();
    void ApplyEnabling();
    void ReadControls();
    void WriteControls();
    void DeriveVolumes(bool inDb);

    void OnVolumeEdited(bool left);
    void OnVolumeArrow(bool left, int position);
    void OnScaleInDb();
    void OnNormalise();

    SampleBuffer* m_pBuffer;
    uint32_t m_nStart;
    uint32_t m_nEnd;
    uint32_t m_nChannel;
    bool m_bStereoView;

    QLabel* m_leftLabel;
    QLineEdit* m_leftEdit;
    CUpDown* m_leftArrows;
    QLabel* m_leftUnit;
    QLabel* m_rightLabel;
    QLineEdit* m_rightEdit;
    CUpDown* m_rightArrows;
    QLabel* m_rightUnit;
    QCheckBox* m_dbCheck;
    QCheckBox* m_lockCheck;
    QPushButton* m_normaliseButton;
    QLineEdit* m_normaliseEdit;
    CUpDown* m_normaliseArrows;
    QCheckBox* m_dcBiasCheck;
    QLineEdit* m_dcBiasEdit;
    CUpDown* m_dcBiasArrows;
};
