#include "CSplashWnd.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimerEvent>

CSplashWnd::CSplashWnd(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
}

CSplashWnd* CSplashWnd::ShowFor(QWidget* owner) {
    auto* splash = new CSplashWnd(owner);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        splash->move(desktop.center() - QPoint(kWidth / 2, kHeight / 2));
    }
    splash->show();
    return splash;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x1d, 0x3d, 0x6b));
    QSvgRenderer picture(QStringLiteral(":/pictures/splash.svg"));
    picture.render(&painter, QRectF(0, 0, kWidth, kHeight));
}

void CSplashWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_timer.isActive())
        m_timer.start(kShowMs, this);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId())
        return;
    hide();
    m_timer.stop();
    close();
}
