#pragma once

#include <QObject>
#include <QString>
#include <string>

class CUpDown;
class QComboBox;
class QGridLayout;
class QRadioButton;

// The target format of a sound as the Convert Sample and Sample Presets dialogs ask for it: the
// 8-bit / 16-bit and mono / stereo radios, and the frequency: an editable combo (id 1001) of at
// most 10 characters listing the usual rates, with arrows (id 1104) for 4000 to 48000 Hz.
//
// The controls are the dialog's children and sit in rows of the dialog's own grid, so that they
// share its label and field columns with the dialog's other rows. The dialog keeps the values:
// it reads them after each change the user makes (Edited), works out what follows from them,
// and writes them back.
class CFormatPicker : public QObject {
    Q_OBJECT
public:
    // The arrows hold frequency - kFrequencyOffset.
    static constexpr int kFrequencyOffset = 32767;

    explicit CFormatPicker(QWidget* dialog);

    // Lays the controls out in three rows of `grid` from `firstRow`: the radios under columns 1
    // and 2, then the frequency's label, box and arrows in columns 0 to 3.
    void Place(QGridLayout* grid, int firstRow) const;

    // Reads the controls. The arrows are put at the frequency the box shows, so that a step
    // starts from it, also right after typing.
    void Read(std::string& frequency, int& n16Bit, int& nStereo);
    void Write(const std::string& frequency, int n16Bit, int nStereo);

    QComboBox* FrequencyCombo() const { return m_frequencyCombo; }
    CUpDown* FrequencyArrows() const { return m_frequencyArrows; }

    // For dialogs whose texts differ from the conversion's: the width radios' captions and the
    // longest frequency text.
    void SetWidthCaptions(const QString& eightBit, const QString& sixteenBit);
    void SetFrequencyLimit(int characters);

signals:
    // A radio was clicked, the frequency typed, picked from the list or stepped by the arrows;
    // the controls already show the new value.
    void Edited();

private:
    void SyncArrows(const std::string& frequency);

    QWidget* m_frequencyLabel;
    void ShowFrequency(const QString& text);

    QRadioButton* m_8BitRadio;
    QRadioButton* m_16BitRadio;
    QRadioButton* m_monoRadio;
    QRadioButton* m_stereoRadio;
    QComboBox* m_frequencyCombo;
    CUpDown* m_frequencyArrows;
};
