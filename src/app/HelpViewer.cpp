#include "app/HelpViewer.h"
#include "settings/StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpViewer::CHelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(kAppName);
    m_browser->setOpenLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(760, 560);
}

QString CHelpViewer::DefaultTopic(const QString &path)
{
    QFileInfo info(path);
    return info.isDir() ? info.absoluteFilePath() + QStringLiteral("/index.html") : info.absoluteFilePath();
}

bool CHelpViewer::ShowDefaultTopic(const QString &path, QWidget *parent)
{
    const QString topic = DefaultTopic(path);
    QFile page(topic);
    if (!page.open(QIODevice::ReadOnly) || !page.peek(512).contains("<"))
        return false;
    // One viewer for the desktop; opening help again brings it forward.
    static QPointer<CHelpViewer> viewer;
    if (!viewer) {
        viewer = new CHelpViewer(parent);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->Browser()->setSource(QUrl::fromLocalFile(topic));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}
