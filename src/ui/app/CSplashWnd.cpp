#include "ui/app/CSplashWnd.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimerEvent>

CSplashWnd::CSplashWnd(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    // The picture is drawn once, so that every paint is a plain copy.
    m_picture = QPixmap(kWidth, kHeight);
    m_picture.fill(QColor(0x1d, 0x3d, 0x6b));
    QPainter painter(&m_picture);
    QSvgRenderer(QStringLiteral(":/pictures/splash.svg"))
        .render(&painter, QRectF(0, 0, kWidth, kHeight));
    painter.end();
    // The window's own background is the picture too, for the first expose before any paint.
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(m_picture));
    setPalette(pal);
    setAutoFillBackground(true);
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
    painter.drawPixmap(0, 0, m_picture);
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
