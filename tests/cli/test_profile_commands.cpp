// tarncps-cli decode, encode and validate, run as a dealer's script would.

#include "settings/StringTable.h"
#include "settings/TextFile.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override { config.InstallMachineLevel(StagedInstallation()); }

    static CliRun Cli(const QStringList &arguments) { return RunCli(arguments); }

    QString Template() const
    {
        return StagedInstallation() + QStringLiteral("/profiletemplate/ZR4400 VHF 4CH Rotary (ZRR40410).ra9");
    }

    QString Fixture() const { return QStringLiteral(TARN_TESTDATA_DIR "/profile_v1_handheld.xml"); }

    QString Edited(const QString &from, const QString &to)
    {
        QString text;
        EXPECT_TRUE(LoadTextFile(Fixture(), text));
        EXPECT_TRUE(text.contains(from));
        return WriteFile(dir.filePath(QStringLiteral("edited.xml")), text.replace(from, to).toUtf8());
    }

    ScopedConfig config;
    QTemporaryDir dir;
};

TEST_F(CliTest, DecodeAndEncodeRoundTripTheProfileFileForm)
{
    const CliRun decoded = Cli({QStringLiteral("decode"), Template()});
    ASSERT_EQ(decoded.status, 0) << decoded.err.toStdString();
    EXPECT_TRUE(decoded.out.startsWith(QStringLiteral("<?xml")));

    const QString plain = dir.filePath(QStringLiteral("plain.xml"));
    ASSERT_EQ(Cli({QStringLiteral("decode"), Template(), QStringLiteral("-o"), plain}).status, 0);
    const QString encoded = dir.filePath(QStringLiteral("again.ra9"));
    ASSERT_EQ(Cli({QStringLiteral("encode"), plain, QStringLiteral("-o"), encoded}).status, 0);

    QFile file(encoded);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), '<' ^ 0x9B) << "the text is scrambled";
    EXPECT_EQ(bytes[3], '\0');
    QString original, again;
    ASSERT_TRUE(LoadTextFile(Template(), original));
    ASSERT_TRUE(LoadTextFile(encoded, again));
    EXPECT_EQ(again, original);
}

TEST_F(CliTest, ValidateAcceptsTemplatesAndExplainsWhatItRefuses)
{
    for (const QString &name : QDir(StagedInstallation() + QStringLiteral("/profiletemplate")).entryList({QStringLiteral("*.ra9")})) {
        const CliRun run = Cli({QStringLiteral("validate"), StagedInstallation() + QStringLiteral("/profiletemplate/") + name});
        EXPECT_EQ(run.status, 0) << name.toStdString() << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed(), QStringLiteral("valid"));
    }

    const struct
    {
        const char *what;
        QString from;
        QString to;
        QString expected;
    } refusals[] = {
        {"schema violation", QStringLiteral("rx_code=\"12\""), QStringLiteral("rx_code=\"300\""), QStringLiteral("Line: 12, Pos: 30")},
        {"region served by another product", QStringLiteral("model=\"ZRR40410\""), QStringLiteral("model=\"ZRR40430\""),
         LoadString(310) + QLatin1Char(' ') + FormatText(LoadString(503), {QStringLiteral("Tarn QX Dealer Europe CPS")})},
        {"region nobody serves", QStringLiteral("model=\"ZRR40410\""), QStringLiteral("model=\"ZRR40455\""), LoadString(310)},
        {"newer codeplug", QStringLiteral("codeplug_version=\"1\""), QStringLiteral("codeplug_version=\"9\""), LoadString(342)},
    };
    for (const auto &r : refusals) {
        SCOPED_TRACE(r.what);
        const CliRun run = Cli({QStringLiteral("validate"), Edited(r.from, r.to)});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(r.expected)) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains(QStringLiteral("valid")));
    }
}

TEST_F(CliTest, WrongUsageExitsWithTwo)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("validate")},
        {QStringLiteral("validate"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("encode"), Fixture()},
        {QStringLiteral("decode"), QStringLiteral("--no-such-option"), Fixture()},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(Cli(arguments).status, 2);
    }
    EXPECT_EQ(Cli({QStringLiteral("decode"), dir.filePath(QStringLiteral("missing.ra9"))}).status, 1);
}

} // namespace
