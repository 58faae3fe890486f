#pragma once
// Runs tarncps-cli as a script would and collects what it answered. The
// child inherits this process's environment (the test's configuration
// folders and cable folder), with any changes the caller makes.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

inline CliRun RunCli(const QStringList &arguments,
                     const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TARN_CLI_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
