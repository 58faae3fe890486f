// tarncps-cli to-image and from-image: profiles and codeplug image files, as
// a dealer's script uses them.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/Installation.h"
#include "settings/StringTable.h"
#include "settings/TextFile.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using CP = VirtualCP;

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

VirtualCP ImageFile(const QString &path)
{
    VirtualCP image;
    EXPECT_TRUE(image.Load(ReadAll(path))) << path.toStdString() << " is no image";
    return image;
}

// An image whose every byte differs from its neighbours and from a cleared
// image, with a valid serial number.
VirtualCP PatternedImage()
{
    QByteArray bytes(CP::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x5A ^ (i * 7));
    VirtualCP image;
    EXPECT_TRUE(image.Load(bytes));
    image.Set(CP::kSerial, QByteArray("123ABC4567"));
    return image;
}

class ImageCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config.InstallMachineLevel(StagedInstallation());
        CAppContext::Instance().Reset();
        ASSERT_TRUE(LoadInstallation());
    }
    void TearDown() override { CAppContext::Instance().Reset(); }

    static CliRun Cli(const QStringList &arguments) { return RunCli(arguments); }

    static QStringList Templates()
    {
        QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
        QStringList paths;
        for (const QString &name : folder.entryList({QStringLiteral("*.ra9")}, QDir::Files, QDir::Name))
            paths << folder.filePath(name);
        return paths;
    }

    static QString Fixture() { return QStringLiteral(TARN_TESTDATA_DIR "/profile_three_channels.xml"); }

    QString Path(const QString &name) const { return dir.filePath(name); }

    QString WriteImage(const QString &name, const QByteArray &bytes) { return WriteFile(Path(name), bytes); }

    // What a write to a radio of that codeplug version would put into a
    // cleared image, worked out here without the tool.
    static VirtualCP ExpectedImage(const QString &profilePath, quint8 radioVersion)
    {
        QString text;
        EXPECT_TRUE(LoadTextFile(profilePath, text));
        CRadioDataModel model;
        EXPECT_TRUE(model.LoadProfile(text, false));
        CRadioIdentity radio;
        radio.codeplugVersion = radioVersion;
        VirtualCP image;
        GetVirtualCPData(model, image, radio);
        return image;
    }

    ScopedConfig config;
    QTemporaryDir dir;
};

TEST_F(ImageCommandsTest, EveryTemplateToAnImageAndBack)
{
    const QStringList templates = Templates();
    ASSERT_FALSE(templates.isEmpty());
    for (const QString &path : templates) {
        SCOPED_TRACE(path.toStdString());
        const QString image = Path(QStringLiteral("template.bin"));
        const CliRun toImage = Cli({QStringLiteral("to-image"), path, QStringLiteral("-o"), image});
        ASSERT_EQ(toImage.status, 0) << toImage.err.toStdString();
        // The template's own codeplug version is the radio's.
        EXPECT_EQ(ImageFile(image), ExpectedImage(path, 3));

        const QString profile = Path(QStringLiteral("from.ra9"));
        const CliRun fromImage = Cli({QStringLiteral("from-image"), image, QStringLiteral("-o"), profile});
        ASSERT_EQ(fromImage.status, 0) << fromImage.err.toStdString();
        const QByteArray saved = ReadAll(profile);
        ASSERT_GE(saved.size(), 4);
        EXPECT_EQ(saved.left(2), QByteArray("\xFF\xFE")) << "the profile file form";
        EXPECT_EQ(static_cast<unsigned char>(saved[2]), '<' ^ 0x9B);
        const CliRun validate = Cli({QStringLiteral("validate"), profile});
        EXPECT_EQ(validate.status, 0) << validate.err.toStdString();

        // The profile made from the image gives the same image again, apart
        // from frequency slots the template left empty, which come back as
        // the encoder writes them; after that the file no longer changes.
        const QString again = Path(QStringLiteral("again.bin"));
        ASSERT_EQ(Cli({QStringLiteral("to-image"), profile, QStringLiteral("-o"), again}).status, 0);
        const VirtualCP first = ImageFile(image), second = ImageFile(again);
        for (int slot = 0; slot < CP::kFrequencyCount; ++slot) {
            if (first.Get(slot, CP::Frequency::kReferenceDivider) == 7) {
                EXPECT_EQ(first.Save().mid(0x230 + 16 * slot, 16), second.Save().mid(0x230 + 16 * slot, 16)) << slot;
            }
        }
        EXPECT_EQ(first.Save().left(0x230), second.Save().left(0x230));
        EXPECT_EQ(first.Save().mid(0x860), second.Save().mid(0x860));
        const QString profileAgain = Path(QStringLiteral("again.ra9"));
        ASSERT_EQ(Cli({QStringLiteral("from-image"), again, QStringLiteral("-o"), profileAgain}).status, 0);
        const QString third = Path(QStringLiteral("third.bin"));
        ASSERT_EQ(Cli({QStringLiteral("to-image"), profileAgain, QStringLiteral("-o"), third}).status, 0);
        EXPECT_EQ(ImageFile(third), second);
    }
}

TEST_F(ImageCommandsTest, BaseImageKeepsWhatTheProfileDoesNotCarry)
{
    const VirtualCP base = PatternedImage();
    const QString basePath = WriteImage(QStringLiteral("radio.bin"), base.Save());
    const QString overCleared = Path(QStringLiteral("cleared.bin")), overBase = Path(QStringLiteral("base.bin"));
    ASSERT_EQ(Cli({QStringLiteral("to-image"), Fixture(), QStringLiteral("-o"), overCleared}).status, 0);
    const CliRun run = Cli({QStringLiteral("to-image"), Fixture(), QStringLiteral("--base"), basePath, QStringLiteral("-o"), overBase});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const VirtualCP cleared = ImageFile(overCleared), converted = ImageFile(overBase);
    EXPECT_EQ(ReadAll(basePath), base.Save()) << "the base file itself is not written";

    // The fixture has 3 channels and 3 frequencies.
    const struct
    {
        const char *what;
        int offset;
        int size;
    } notCarried[] = {
        {"model flag", 0x29, 1},
        {"reserved in the limit block", 0x1E, 2},
        {"reserved before maxCodes", 0x39, 3},
        {"reserved after the limit flags", 0x47, 1},
        {"button entries 0-3", 0x57, 2},
        {"channel slots 3-18", 0x74 + 3 * 22, 16 * 22},
        {"reserved byte of channel slot 0", 0x74 + 21, 1},
        {"reserved after the customised codes", 0x22E, 2},
        {"frequency slots 3-98", 0x230 + 3 * 16, 96 * 16},
        {"reserved bytes of frequency slot 0", 0x236, 2},
        {"after the clone byte", 0x861, 3},
    };
    for (const auto &field : notCarried) {
        SCOPED_TRACE(field.what);
        EXPECT_EQ(converted.Save().mid(field.offset, field.size), base.Save().mid(field.offset, field.size));
    }
    EXPECT_EQ(converted.ButtonEntry(7), base.ButtonEntry(7));
    EXPECT_EQ(converted.Bytes()[0x5F + 3 / 8] & 0xF8, base.Bytes()[0x5F] & 0xF8) << "scan bits of slots 3-7";
    const struct
    {
        const char *what;
        int offset;
        int size;
    } carried[] = {
        {"factory block and counts", 0x00, 0x1E},
        {"band edges and limit flags", 0x20, 9},
        {"setting block", 0x48, 0x0F},
        {"channel slots 0-2", 0x74, 21},
        {"customised codes", 0x216, 24},
        {"frequency slot 0", 0x230, 6},
        {"clone byte", 0x860, 1},
    };
    for (const auto &field : carried) {
        SCOPED_TRACE(field.what);
        EXPECT_EQ(converted.Save().mid(field.offset, field.size), cleared.Save().mid(field.offset, field.size));
        EXPECT_NE(converted.Save().mid(field.offset, field.size), base.Save().mid(field.offset, field.size));
    }
    EXPECT_EQ(converted.ButtonEntry(6), 7) << "side1_but";
}

TEST_F(ImageCommandsTest, RadioCodeplugVersionDecidesTheChannelSwitches)
{
    const struct
    {
        QStringList options;
        quint8 version;
    } cases[] = {
        {{}, 3}, // the profile's own codeplug_version
        {{QStringLiteral("--radio-codeplug-version"), QStringLiteral("2")}, 2},
        {{QStringLiteral("--radio-codeplug-version"), QStringLiteral("3")}, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const QString image = Path(QStringLiteral("radio.bin"));
        const CliRun run = Cli(QStringList{QStringLiteral("to-image"), Fixture(), QStringLiteral("-o"), image} + c.options);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const VirtualCP converted = ImageFile(image);
        EXPECT_EQ(converted, ExpectedImage(Fixture(), c.version));
        // The fixture's first channel is disabled and has talkaround scan.
        EXPECT_EQ(converted.FlagByte(0, CP::Channel::kDisableChannel), c.version >= 3 ? 1 : 0);
        EXPECT_EQ(converted.FlagByte(0, CP::Channel::kTalkaroundScan), c.version >= 3 ? 1 : 0);
    }
}

TEST_F(ImageCommandsTest, FilesThatAreNoImageAreRefused)
{
    const QByteArray image = PatternedImage().Save();
    const struct
    {
        const char *what;
        QByteArray bytes;
    } files[] = {
        {"empty", QByteArray()},
        {"one byte short", image.left(CP::kSize - 1)},
        {"one byte long", image + '\0'},
        {"a profile", ReadAll(Fixture())},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.what);
        const QString path = WriteImage(QStringLiteral("odd.bin"), file.bytes);
        const QString output = Path(QStringLiteral("out.file"));
        const CliRun from = Cli({QStringLiteral("from-image"), path, QStringLiteral("-o"), output});
        EXPECT_EQ(from.status, 1);
        EXPECT_TRUE(from.err.contains(QStringLiteral("not a codeplug image"))) << from.err.toStdString();
        EXPECT_TRUE(from.err.contains(QStringLiteral("2148"))) << from.err.toStdString();
        const CliRun to = Cli({QStringLiteral("to-image"), Fixture(), QStringLiteral("--base"), path, QStringLiteral("-o"), output});
        EXPECT_EQ(to.status, 1);
        EXPECT_TRUE(to.err.contains(QStringLiteral("not a codeplug image"))) << to.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(output));
    }
    EXPECT_EQ(Cli({QStringLiteral("from-image"), Path(QStringLiteral("missing.bin")), QStringLiteral("-o"), Path(QStringLiteral("x.ra9"))}).status, 1);
}

TEST_F(ImageCommandsTest, RefusedImagesAndProfilesWriteNothing)
{
    VirtualCP corrupted = PatternedImage();
    corrupted.Set(0, CP::Channel::kName, QByteArray("A\x02"));
    VirtualCP tooManyChannels = ExpectedImage(Fixture(), 3);
    tooManyChannels.Set(CP::kMaxChannels, 20);
    const struct
    {
        const char *what;
        QByteArray image;
        QString expected;
    } images[] = {
        {"cleared image: no serial number", VirtualCP().Save(), LoadString(376)},
        {"text that does not parse", corrupted.Save(), LoadString(391)},
        {"more channels than the radio holds", tooManyChannels.Save(), LoadString(135)},
    };
    for (const auto &image : images) {
        SCOPED_TRACE(image.what);
        const QString output = Path(QStringLiteral("refused.ra9"));
        const CliRun run = Cli({QStringLiteral("from-image"), WriteImage(QStringLiteral("refused.bin"), image.image), QStringLiteral("-o"), output});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(image.expected)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(output));
    }

    QString text;
    ASSERT_TRUE(LoadTextFile(Fixture(), text));
    const struct
    {
        const char *what;
        QString profile;
        QString expected;
    } profiles[] = {
        {"region served by no one", QString(text).replace(QStringLiteral("model=\"ZRD51610\""), QStringLiteral("model=\"ZRD51655\"")), LoadString(310)},
        {"schema violation", QString(text).replace(QStringLiteral("maxChannels=\"3\""), QStringLiteral("maxChannels=\"20\"")), LoadString(135)},
    };
    for (const auto &profile : profiles) {
        SCOPED_TRACE(profile.what);
        const QString output = Path(QStringLiteral("profile.bin"));
        const QString path = WriteFile(Path(QStringLiteral("refused.xml")), profile.profile.toUtf8());
        const CliRun run = Cli({QStringLiteral("to-image"), path, QStringLiteral("-o"), output});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(profile.expected)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(output));
    }
}

TEST_F(ImageCommandsTest, WrongUsageExitsWithTwo)
{
    const QString image = WriteImage(QStringLiteral("radio.bin"), PatternedImage().Save());
    const QString out = Path(QStringLiteral("out"));
    const QStringList cases[] = {
        {QStringLiteral("to-image"), Fixture()},
        {QStringLiteral("to-image"), QStringLiteral("-o"), out},
        {QStringLiteral("to-image"), Fixture(), Fixture(), QStringLiteral("-o"), out},
        {QStringLiteral("to-image"), Fixture(), QStringLiteral("-o"), out, QStringLiteral("--radio-codeplug-version"), QStringLiteral("256")},
        {QStringLiteral("to-image"), Fixture(), QStringLiteral("-o"), out, QStringLiteral("--radio-codeplug-version"), QStringLiteral("two")},
        {QStringLiteral("to-image"), Fixture(), QStringLiteral("-o"), out, QStringLiteral("--base")},
        {QStringLiteral("from-image"), image},
        {QStringLiteral("from-image"), QStringLiteral("-o"), out},
        {QStringLiteral("from-image"), image, QStringLiteral("--base"), image, QStringLiteral("-o"), out},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(Cli(arguments).status, 2);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    const CliRun help = Cli({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("to-image FILE -o IMAGE")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("from-image IMAGE -o FILE")));
}

} // namespace
