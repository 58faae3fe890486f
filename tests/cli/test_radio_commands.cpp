// tarncps-cli's radio commands against the simulated radio on a virtual cable.

#include "support/CliRunner.h"
#include "support/SimulatedRadio.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RadioCommandsTest : public SimulatedRadioTest
{
protected:
    static CliRun Cli(const QStringList &arguments, const QString &cables)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARNCPS_VIRTUAL_CABLES"), cables);
        return RunCli(arguments, environment);
    }
};

TEST_F(RadioCommandsTest, CablesListsTheProgrammingCableOrSaysThereIsNone)
{
    const CliRun found = Cli({QStringLiteral("cables")}, Folder());
    EXPECT_EQ(found.status, 0) << found.err.toStdString();
    EXPECT_TRUE(found.out.contains(QStringLiteral("QX CPS Cable\t(programming cable)"))) << found.out.toStdString();

    QTemporaryDir empty;
    const CliRun none = Cli({QStringLiteral("cables")}, empty.path());
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("No programming cable"))) << none.err.toStdString();

    EXPECT_EQ(Cli({QStringLiteral("cables"), QStringLiteral("extra")}, Folder()).status, 2);
}

} // namespace
