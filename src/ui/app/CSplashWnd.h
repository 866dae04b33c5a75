#pragma once

#include <QBasicTimer>
#include <QPixmap>
#include <QWidget>

// The start-up picture: a borderless 362 x 221 window centred on the screen over the main frame,
// which hides and destroys itself 4.5 seconds after it is shown. It lives on the user-interface
// thread, the only thread on which Qt allows widgets, and is driven by its own timer.
class CSplashWnd : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 362;
    static constexpr int kHeight = 221;
    static constexpr int kShowMs = 4500;

    explicit CSplashWnd(QWidget* owner);
    // Creates, centres and shows the splash window; it deletes itself.
    static CSplashWnd* ShowFor(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_timer;
    QPixmap m_picture;
};
