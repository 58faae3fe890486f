#include "app/GuiMessageSink.h"
#include "settings/StringTable.h"

#include <QApplication>
#include <QMessageBox>

int CGuiMessageSink::Show(const QString &text, unsigned style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(kAppName);
    box.setText(text);
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon((style & MB_TYPEMASK) == MB_OK ? QMessageBox::Warning : QMessageBox::Question); break;
    }
    switch (style & MB_TYPEMASK) {
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    box.raise();
    box.activateWindow();
    switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}
