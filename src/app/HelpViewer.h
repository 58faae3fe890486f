#pragma once
#include <QString>
#include <QWidget>

class QTextBrowser;

// The help viewer: the help of a language is a folder of HTML pages whose
// index.html is the default topic (Content and Index).
class CHelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit CHelpViewer(QWidget *parent = nullptr);

    // Opens the default topic of the help at path (the folder, or a page in
    // it) in the one viewer window; false when there is no readable page.
    static bool ShowDefaultTopic(const QString &path, QWidget *parent);
    // The page a help path opens with: index.html of a folder, or the file itself.
    static QString DefaultTopic(const QString &path);

    QTextBrowser *Browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
