#pragma once
#include <QPixmap>
#include <QWidget>

// The start-up picture: borderless, centred, closed by its timer or by any
// key or mouse button, which it swallows.
class CSplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDefaultMilliseconds = 2500;

    explicit CSplashWindow(const QPixmap &picture, int milliseconds = kDefaultMilliseconds);

    // Shows the splash and returns when it has closed. Without a picture
    // nothing is shown and it returns at once.
    static void ShowAndWait(const QString &resource, int milliseconds);

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QPixmap m_picture;
};
