#include "app/SplashWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

CSplashWindow::CSplashWindow(const QPixmap &picture, int milliseconds)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(picture)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    // Key and mouse presses anywhere in the program close the splash while it shows.
    qApp->installEventFilter(this);
    QTimer::singleShot(milliseconds, this, &QWidget::close);
}

void CSplashWindow::ShowAndWait(const QString &resource, int milliseconds)
{
    QPixmap picture(resource);
    if (picture.isNull())
        return;
    auto *splash = new CSplashWindow(picture, milliseconds);
    QEventLoop loop;
    QObject::connect(splash, &CSplashWindow::closed, &loop, &QEventLoop::quit);
    splash->show();
    loop.exec();
}

void CSplashWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

bool CSplashWindow::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Announces a key press: no shortcut may take it, and the press that
        // follows closes the splash and is swallowed with it.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        close();
        return true;
    default:
        return false;
    }
}

void CSplashWindow::closeEvent(QCloseEvent *event)
{
    qApp->removeEventFilter(this);
    Q_EMIT closed();
    QWidget::closeEvent(event);
}
