// tarncps-cli: the dealer's programming tool without windows, for scripts and
// for checking profiles and images on a build machine.

#include "settings/StringTable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The rule-script engine needs an application object, so there is one
    // even for commands that never run a script.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarncps-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(kAppName + QStringLiteral(" - command-line tool"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);

    // No command yet: say what the tool offers.
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
}
