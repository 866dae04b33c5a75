#pragma once

#include <QWidget>
#include <string>

#include "core/effects/CurveModel.h"
#include "ui/effects/ToneBeeper.h"

class AudioBackend;
class CManipListener;
class MessageSink;
class SettingsStore;

// The curve editor of the envelope, panning and compressor dialogs: a piecewise-linear curve
// drawn as a black line through square handles on a sunken face. A click between two points
// inserts one there and drags it; a click on a handle drags it; a middle point dragged more than
// 20 pixels beyond the top or bottom edge is deleted. A click too close to a point, or a 257th
// point, beeps. The point under the pointer, or being dragged, goes to the listener.
class CManipWnd : public QWidget {
    Q_OBJECT
public:
    // `devices` plays the beep; `messages` takes it when no device answers.
    CManipWnd(AudioBackend& devices, MessageSink& messages, QWidget* parent = nullptr);

    void SetListener(CManipListener* listener) { m_listener = listener; }
    void Reset(int mode);
    float Evaluate(float t) const { return m_curve.Evaluate(t); }
    bool SavePreset(SettingsStore& settings, const std::string& category,
                    const std::string& name) const;
    bool LoadPreset(const SettingsStore& settings, const std::string& category,
                    const std::string& name);
    const CurveModel& Curve() const { return m_curve; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The area the lines and handles next to point i cover: what changes when i moves.
    QRect AroundPoint(int i) const;
    void Hover(const QPoint& at);
    void Capture();
    void ReleaseCapture();
    void ClearReadout();

    ToneBeeper m_beeper;
    CurveModel m_curve;
    CManipListener* m_listener = nullptr;
    // The shape of the last Reset, while nothing has changed it since: a dialog resets its editor
    // before the editor has its final size, and that shape is laid out again for the size it gets.
    int m_resetMode = -1;
};
