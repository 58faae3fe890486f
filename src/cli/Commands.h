#pragma once
// The commands of tarncps-cli. Each takes its own arguments (after the
// command name) and returns the exit status: 0 success, 1 a refused or failed
// operation, 2 wrong usage.

#include <QStringList>

class QCommandLineParser;

namespace Cli {

enum ExitStatus : int { Success = 0, Failed = 1, Usage = 2 };

int Decode(const QStringList &arguments);
int Encode(const QStringList &arguments);
int Validate(const QStringList &arguments);
int Cables(const QStringList &arguments);
int ToImage(const QStringList &arguments);
int FromImage(const QStringList &arguments);
int Identify(const QStringList &arguments);
int Read(const QStringList &arguments);
int Write(const QStringList &arguments);
int Reset(const QStringList &arguments);

// Prints to standard error and answers Usage.
int UsageError(const QString &text);

// What the commands share.
// A line on standard error.
void PrintError(const QString &text);
// Parses one command's options (those added to the parser beforehand);
// exactly `files` positional arguments. Reports wrong usage itself.
bool ParseArguments(QCommandLineParser &parser, const QString &command, const QStringList &arguments, int files);
// The user's language and the installation, as every command that opens a
// profile needs them; false after the message when the installation fails.
bool LoadLanguageAndInstallation();
// The check a profile passes before it is opened; on refusal the message has
// gone out and the trace of an error follows it.
bool CheckBeforeOpening(const QString &path);

} // namespace Cli
