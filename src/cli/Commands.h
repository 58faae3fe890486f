#pragma once
// The commands of tarncps-cli. Each takes its own arguments (after the
// command name) and returns the exit status: 0 success, 1 a refused or failed
// operation, 2 wrong usage.

#include <QStringList>

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

} // namespace Cli
