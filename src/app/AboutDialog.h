#pragma once
#include <QDialog>

// Title "About <application name>", the product line, the version from
// Region.stv and the legal notices.
class CAboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDialog(const QString &productVersion, QWidget *parent = nullptr);
};
