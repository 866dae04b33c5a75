#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class COrvexView;
class CUpDown;
class QLabel;
class QLineEdit;
class QRadioButton;

// "View": the bound view's zoom ("%d:1", samples per pixel), its drawing style, and its
// selection or caret in samples, bytes or seconds. Every change goes straight to the view, and
// the view's own changes come back through the sheet.
class CPptyView : public QWidget {
    Q_OBJECT
public:
    enum Unit { kSamples = 0, kBytes = 1, kSeconds = 2 };

    explicit CPptyView(QWidget* parent = nullptr);

    void Bind(COrvexView* view);
    COrvexView* View() const { return m_view; }
    void UpdateScale(uint32_t scale, int style);
    void UpdateSelection(uint32_t left, uint32_t right, uint32_t bytesPerFrame, uint32_t frequency,
                         bool hasSelection);

    uint32_t Left() const { return m_left; }
    uint32_t Right() const { return m_right; }

private:
    void BuildControls();
    void RefreshTexts();
    QString UnitText(uint32_t frames) const;
    // A typed value in the chosen unit as frames, clipped to the sound; none when not a number.
    bool FramesOf(const QString& text, uint32_t& frames) const;
    uint32_t LastFrame() const;
    void OnStyle(int style);
    void OnScaleEdited();
    void OnScaleStep(int position);
    void OnLeftStep(int position);
    void OnRightStep(int position);
    void OnTextEdited();
    // Sets the view's marks without taking its report back into the texts being typed.
    void SendMarks();

    COrvexView* m_view = nullptr;
    uint32_t m_left = 0;
    uint32_t m_right = 0;
    uint32_t m_frequency = 22050;
    uint32_t m_bytesPerFrame = 1;
    bool m_hasSelection = false;
    bool m_ready = false;
    bool m_typingScale = false;
    int m_unit = kSamples;

    QLineEdit* m_scaleEdit;
    CUpDown* m_scaleArrows;
    std::array<QRadioButton*, 4> m_styleRadios = {};
    std::array<QRadioButton*, 3> m_unitRadios = {};
    QLabel* m_leftLabel;
    QLabel* m_rightLabel;
    QLineEdit* m_leftEdit;
    QLineEdit* m_rightEdit;
    CUpDown* m_leftArrows;
    CUpDown* m_rightArrows;
};
