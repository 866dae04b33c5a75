#pragma once

#include <QWidget>

// The input level of both channels as two horizontal bars, the left channel above the right,
// green up to the last fifth of the width and red beyond it.
class CLevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit CLevelMeter(QWidget* parent = nullptr);

    // Levels nominally 0.0 ... 1.0; anything outside is clamped.
    void UpdateLevels(float left, float right);

    int LeftEnd() const { return m_leftEnd; }
    int RightEnd() const { return m_rightEnd; }
    int RedThreshold() const { return m_redThreshold; }
    int BarHeight() const { return m_barHeight; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The ends start 2 pixels in, inside the sunken frame.
    static constexpr int kBarStart = 2;
    int EndFor(float level) const;

    int m_width = 0;
    int m_barHeight = 0;
    int m_redThreshold = 0;
    int m_leftEnd = kBarStart;
    int m_rightEnd = kBarStart;
};
