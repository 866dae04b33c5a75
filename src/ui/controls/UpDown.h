#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons holding an integer position within a range: the up arrow moves toward
// the maximum, the down arrow toward the minimum, one step per click (repeating while held).
// With a buddy edit attached, a step starts from the number the edit shows and writes the new
// position back into it, so the edit and the arrows always agree.
class CUpDown : public QWidget {
    Q_OBJECT
public:
    explicit CUpDown(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    // Clamped to the range and shown in the buddy edit; emits nothing.
    void SetPosition(int position);
    int Position() const { return m_position; }
    void SetBuddyInt(QLineEdit* buddy);

    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

    // Moves one step as a click on an arrow does (+1 up, -1 down).
    void Step(int delta);

signals:
    // After an arrow moved the position (the thumb-position notification of the arrows).
    void PositionChanged(int position);

private:
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up;
    QToolButton* m_down;
};
