// tarncps-cli's radio commands against the simulated radio on a virtual cable.

#include "support/SimulatedRadio.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RadioCommandsTest : public SimulatedRadioTest
{
protected:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };

    Result Cli(const QStringList &arguments, const QString &cables)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARNCPS_VIRTUAL_CABLES"), cables);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TARN_CLI_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(RadioCommandsTest, CablesListsTheProgrammingCableOrSaysThereIsNone)
{
    const Result found = Cli({QStringLiteral("cables")}, Folder());
    EXPECT_EQ(found.status, 0) << found.err.toStdString();
    EXPECT_TRUE(found.out.contains(QStringLiteral("QX CPS Cable\t(programming cable)"))) << found.out.toStdString();

    QTemporaryDir empty;
    const Result none = Cli({QStringLiteral("cables")}, empty.path());
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("No programming cable"))) << none.err.toStdString();

    EXPECT_EQ(Cli({QStringLiteral("cables"), QStringLiteral("extra")}, Folder()).status, 2);
}

} // namespace
