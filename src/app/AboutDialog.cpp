#include "app/AboutDialog.h"
#include "settings/StringTable.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(const QString &productVersion, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(LoadString(297) + QLatin1Char(' ') + kAppName); // "About"
    QString product = QStringLiteral("ZR4400 && ZR4480 Distributor CPS");
    product.remove(QStringLiteral(" CPS"));

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(FormatText(LoadString(274), {product}).replace(QStringLiteral("&&"), QStringLiteral("&")));
    title->setObjectName(QStringLiteral("productLine"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *version = new QLabel(FormatText(LoadString(275), {productVersion}));
    version->setObjectName(QStringLiteral("versionLine"));
    auto *legal = new QLabel(QStringLiteral(
        "Copyright \u00A9 2026 Velmora. All rights reserved.\n"
        "This program is protected by copyright law and international treaties.\n"
        "Unauthorised reproduction or distribution of this program, or any portion of it,\n"
        "may result in civil and criminal penalties."));
    legal->setObjectName(QStringLiteral("legalNotice"));
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addSpacing(8);
    layout->addWidget(legal);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setText(LoadString(140)); // "&OK"
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
