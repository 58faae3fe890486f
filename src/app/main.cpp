#include "app/TarnCPSApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    CTarnCPSApp app;
    if (!app.InitInstance(QApplication::arguments())) {
        app.ExitInstance();
        return 1;
    }
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
