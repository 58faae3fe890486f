// decode, encode, validate: profile files without windows.

#include "cli/Commands.h"
#include "model/ProfileFile.h"
#include "settings/Installation.h"
#include "settings/TextFile.h"

#include <QCommandLineParser>
#include <QFile>
#include <cstdio>

namespace Cli {

void PrintError(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool ParseArguments(QCommandLineParser &parser, const QString &command, const QStringList &arguments, int files)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(QStringList{command} + arguments)) {
        UsageError(parser.errorText());
        return false;
    }
    if (parser.positionalArguments().size() != files) {
        UsageError(QStringLiteral("%1: expected %2 file argument(s); see tarncps-cli --help").arg(command).arg(files));
        return false;
    }
    return true;
}

bool LoadLanguageAndInstallation()
{
    UseConfiguredLanguage();
    return LoadInstallation();
}

bool CheckBeforeOpening(const QString &path)
{
    QString trace;
    if (CheckProfileCompatibility(path, &trace))
        return true;
    if (!trace.isEmpty())
        PrintError(trace.trimmed());
    return false;
}

int UsageError(const QString &text)
{
    PrintError(text);
    return Usage;
}

int Decode(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the text to FILE."), QStringLiteral("FILE"));
    parser.addOption(output);
    if (!ParseArguments(parser, QStringLiteral("decode"), arguments, 1))
        return Usage;
    const QString path = parser.positionalArguments().front();
    QString text;
    if (!LoadTextFile(path, text)) {
        PrintError(QStringLiteral("%1: cannot be opened").arg(path));
        return Failed;
    }
    const QByteArray utf8 = text.toUtf8();
    if (!parser.isSet(output)) {
        std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stdout);
        return Success;
    }
    QFile file(parser.value(output));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(utf8) != utf8.size()) {
        PrintError(QStringLiteral("%1: %2").arg(parser.value(output), file.errorString()));
        return Failed;
    }
    return Success;
}

int Encode(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The profile file to write."), QStringLiteral("FILE"));
    parser.addOption(output);
    if (!ParseArguments(parser, QStringLiteral("encode"), arguments, 1))
        return Usage;
    if (!parser.isSet(output))
        return UsageError(QStringLiteral("encode: -o FILE is required"));
    const QString path = parser.positionalArguments().front();
    QString text;
    if (!LoadTextFile(path, text)) {
        PrintError(QStringLiteral("%1: cannot be opened").arg(path));
        return Failed;
    }
    QString error;
    if (!WriteProfileFile(parser.value(output), text, &error)) {
        PrintError(QStringLiteral("%1: %2").arg(parser.value(output), error));
        return Failed;
    }
    return Success;
}

int Validate(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(parser, QStringLiteral("validate"), arguments, 1))
        return Usage;
    if (!LoadLanguageAndInstallation() || !CheckBeforeOpening(parser.positionalArguments().front()))
        return Failed;
    std::puts("valid");
    return Success;
}

} // namespace Cli
