// The configuration store with its machine and user levels in temporary
// folders: the accessors, the start-up check and the dealer texts.

#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/DealerInfo.h"
#include "settings/StringTable.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using ConfigStore::Level;

class ConfigStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { CAppContext::Instance().Reset(); }
    void TearDown() override { CAppContext::Instance().Reset(); }

    // A user-level dealer text as the program reads it back.
    static QString UserText(const QString &language, const char *value)
    {
        const QString key = QStringLiteral("Language/%1/%2").arg(language, QLatin1String(value));
        const std::optional<QStringList> text = ConfigStore::ReadMultiString(Level::User, key);
        return text ? text->join(QStringLiteral("|")) : QStringLiteral("<absent>");
    }

    ScopedConfig m_config;
    CapturingSink m_sink;
};

// ------------------------------------------------------------------ accessors

TEST_F(ConfigStoreTest, AbsentValues)
{
    EXPECT_EQ(GetInstallPath(), QString());
    EXPECT_EQ(GetCurrentLanguage(), QString());
    EXPECT_EQ(GetDefaultLanguage(), QString());
    EXPECT_EQ(GetShowContextHelp(), -1);
    EXPECT_EQ(GetMachineShowContextHelp(), -1);
    CAppContext::Instance().SetCurrentLanguage(QStringLiteral("English"));
    EXPECT_EQ(GetHelpFilePath(), QString());
    EXPECT_EQ(GetGUIResourcePath(), QString());
    EXPECT_FALSE(QFile::exists(m_config.UserFile())) << "reading creates nothing";
}

TEST_F(ConfigStoreTest, EachValueComesFromItsLevel)
{
    // The same names at the other level do not count.
    m_config.WriteUser(QStringLiteral("InstallPath"), QStringLiteral("/user/path"));
    m_config.WriteUser(QStringLiteral("DefaultLanguage"), QStringLiteral("German"));
    m_config.WriteMachine(QStringLiteral("CurrentLanguage"), QStringLiteral("German"));
    m_config.WriteMachine(QStringLiteral("ShowContextHelp"), 0);
    EXPECT_EQ(GetInstallPath(), QString());
    EXPECT_EQ(GetDefaultLanguage(), QString());
    EXPECT_EQ(GetCurrentLanguage(), QString());
    EXPECT_EQ(GetShowContextHelp(), -1);
    EXPECT_EQ(GetMachineShowContextHelp(), 0);

    m_config.WriteMachine(QStringLiteral("InstallPath"), QStringLiteral("/opt/tarn, dealer"));
    m_config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
    EXPECT_EQ(GetInstallPath(), QStringLiteral("/opt/tarn, dealer"));
    EXPECT_EQ(GetDefaultLanguage(), QStringLiteral("English"));

    // Writing goes to the user level only.
    const QByteArray machine = [this] {
        QFile file(m_config.MachineFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_TRUE(SetCurrentLanguage(QStringLiteral("German")));
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(m_config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("German"));
    QFile file(m_config.MachineFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), machine);
}

TEST_F(ConfigStoreTest, SetShowContextHelpStoresZeroOrOne)
{
    const struct
    {
        int flag;
        int stored;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {-1, 1}, {0x10000, 1}};
    for (const auto &c : cases) {
        EXPECT_TRUE(SetShowContextHelp(c.flag));
        EXPECT_EQ(GetShowContextHelp(), c.stored) << c.flag;
        EXPECT_EQ(m_config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), c.stored) << c.flag;
    }
}

TEST_F(ConfigStoreTest, LanguageFilePathsJoinInstallPath)
{
    m_config.WriteMachine(QStringLiteral("InstallPath"), QStringLiteral("/opt/tarncps"));
    m_config.WriteMachine(QStringLiteral("Language/English/HelpFileName"), QStringLiteral("help/English"));
    m_config.WriteMachine(QStringLiteral("Language/German/HelpFileName"), QStringLiteral("help/German"));
    m_config.WriteMachine(QStringLiteral("Language/German/GUIResource"), QStringLiteral("languages/tarncps_de.qm"));

    // The resource follows the user's CurrentLanguage ...
    EXPECT_EQ(GetGUIResourcePath(), QString());
    m_config.WriteUser(QStringLiteral("CurrentLanguage"), QStringLiteral("German"));
    EXPECT_EQ(GetGUIResourcePath(), QStringLiteral("/opt/tarncps/languages/tarncps_de.qm"));
    m_config.WriteUser(QStringLiteral("CurrentLanguage"), QStringLiteral("English"));
    EXPECT_EQ(GetGUIResourcePath(), QString()) << "English has no resource value";

    // ... the help file the application's current language.
    EXPECT_EQ(GetHelpFilePath(), QString());
    CAppContext::Instance().SetCurrentLanguage(QStringLiteral("German"));
    EXPECT_EQ(GetHelpFilePath(), QStringLiteral("/opt/tarncps/help/German"));
    CAppContext::Instance().SetCurrentLanguage(QStringLiteral("english"));
    EXPECT_EQ(GetHelpFilePath(), QString()) << "language names are exact";
}

TEST_F(ConfigStoreTest, StringsLongerThan1023CharactersAreCut)
{
    const QString full = QStringLiteral("/opt/") + QString(1100, QLatin1Char('x'));
    for (int length : {1022, 1023, 1024, 1105}) {
        m_config.WriteMachine(QStringLiteral("InstallPath"), full.left(length));
        EXPECT_EQ(GetInstallPath(), full.left(std::min(length, 1023))) << length;
    }
    m_config.WriteUser(QStringLiteral("CurrentLanguage"), full);
    EXPECT_EQ(GetCurrentLanguage().size(), 1023);
}

// ------------------------------------------------------- start-up configuration

TEST_F(ConfigStoreTest, FirstStartFillsUserLevelAndSecondKeepsIt)
{
    m_config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("German"));
    m_config.WriteMachine(QStringLiteral("ShowContextHelp"), 1);
    m_config.WriteMachine(QStringLiteral("Language/German/DealerInfoLeft"),
                          QStringList{QStringLiteral("A"), QStringLiteral("B")});
    m_config.WriteMachine(QStringLiteral("Language/German/DealerInfoRight"), QStringLiteral("Velmora, Inc."));
    m_config.WriteMachine(QStringLiteral("Language/English/DealerInfoLeft"), QStringLiteral("English text"));

    ASSERT_TRUE(CheckConfiguration());
    EXPECT_TRUE(m_sink.texts.isEmpty());
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(GetShowContextHelp(), 1);
    // Every NUL between the strings of a factory value becomes CR LF.
    EXPECT_EQ(UserText(QStringLiteral("German"), "DealerInfoLeft"), QStringLiteral("A\r\nB\r\n"));
    EXPECT_EQ(UserText(QStringLiteral("German"), "DealerInfoRight"), QStringLiteral("Velmora, Inc.\r\n"));
    // A factory text that is absent arrives as an empty text.
    EXPECT_EQ(UserText(QStringLiteral("German"), "DealerInfoMiddle"), QString());
    // Only the current language's texts are copied.
    EXPECT_EQ(UserText(QStringLiteral("English"), "DealerInfoLeft"), QStringLiteral("<absent>"));

    // The next start finds the user's values and keeps them, whatever the
    // machine level says now.
    ASSERT_TRUE(SetShowContextHelp(0));
    m_config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
    m_config.WriteMachine(QStringLiteral("ShowContextHelp"), 1);
    m_config.WriteMachine(QStringLiteral("Language/German/DealerInfoLeft"), QStringLiteral("changed"));
    m_config.WriteMachine(QStringLiteral("Language/German/DealerInfoMiddle"), QStringLiteral("added later"));

    ASSERT_TRUE(CheckConfiguration());
    EXPECT_TRUE(m_sink.texts.isEmpty());
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(GetShowContextHelp(), 0);
    EXPECT_EQ(UserText(QStringLiteral("German"), "DealerInfoLeft"), QStringLiteral("A\r\nB\r\n"));
    EXPECT_EQ(UserText(QStringLiteral("German"), "DealerInfoMiddle"), QString());
}

TEST_F(ConfigStoreTest, MachineShowContextHelpBecomesZeroOrOne)
{
    const struct
    {
        int machine;
        int user;
    } cases[] = {{1, 1}, {2, 0}, {0, 0}, {-5, 0}};
    for (const auto &c : cases) {
        ScopedConfig config;
        config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
        config.WriteMachine(QStringLiteral("ShowContextHelp"), c.machine);
        EXPECT_TRUE(CheckConfiguration()) << c.machine;
        EXPECT_EQ(config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), c.user) << c.machine;
    }
    EXPECT_TRUE(m_sink.texts.isEmpty());
}

TEST_F(ConfigStoreTest, MissingConfigurationShows130)
{
    const QStringList fatal{EnglishString(130)};
    const struct
    {
        const char *name;
        bool defaultLanguage;
        bool userLanguage;
        bool machineHelp;
        bool userHelp;
        bool passes;
    } cases[] = {
        {"no language at either level", false, false, true, false, false},
        {"no ShowContextHelp at either level", true, false, false, false, false},
        {"user language, no machine language", false, true, true, false, true},
        {"user ShowContextHelp, none at machine", true, false, false, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedConfig config;
        m_sink.texts.clear();
        if (c.defaultLanguage)
            config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
        if (c.userLanguage)
            config.WriteUser(QStringLiteral("CurrentLanguage"), QStringLiteral("German"));
        if (c.machineHelp)
            config.WriteMachine(QStringLiteral("ShowContextHelp"), 1);
        if (c.userHelp)
            config.WriteUser(QStringLiteral("ShowContextHelp"), 0);

        EXPECT_EQ(CheckConfiguration(), c.passes);
        EXPECT_EQ(m_sink.texts, c.passes ? QStringList() : fatal);
        if (!c.defaultLanguage && !c.userLanguage) {
            EXPECT_FALSE(config.ReadUser(QStringLiteral("ShowContextHelp")).isValid()) << "the check stopped";
        }
    }
}

TEST_F(ConfigStoreTest, UserFolderThatCannotBeCreatedShows130)
{
    m_config.WriteMachine(QStringLiteral("DefaultLanguage"), QStringLiteral("English"));
    m_config.WriteMachine(QStringLiteral("ShowContextHelp"), 1);
    const QString blocker = WriteFile(m_config.Root() + QStringLiteral("/plain-file"), "not a folder");
    qputenv("XDG_CONFIG_HOME", (blocker + QStringLiteral("/config")).toUtf8()); // restored by m_config

    EXPECT_FALSE(CheckConfiguration());
    EXPECT_EQ(m_sink.texts, QStringList{EnglishString(130)});
    EXPECT_FALSE(SetCurrentLanguage(QStringLiteral("English")));
    EXPECT_FALSE(SetShowContextHelp(1));
}

// ------------------------------------------------------------------ dealer texts

TEST_F(ConfigStoreTest, DealerTextCopyNeedsALanguage)
{
    m_config.WriteMachine(QStringLiteral("Language/English/DealerInfoLeft"), QStringLiteral("factory"));
    CopyDealerInfoDefaults();
    EXPECT_EQ(UserText(QStringLiteral("English"), "DealerInfoLeft"), QStringLiteral("<absent>"));

    m_config.WriteUser(QStringLiteral("CurrentLanguage"), QStringLiteral("English"));
    m_config.WriteUser(QStringLiteral("Language/English/DealerInfoRight"), QStringLiteral("the dealer's own"));
    CopyDealerInfoDefaults();
    EXPECT_EQ(UserText(QStringLiteral("English"), "DealerInfoLeft"), QStringLiteral("factory\r\n"));
    EXPECT_EQ(UserText(QStringLiteral("English"), "DealerInfoRight"), QStringLiteral("the dealer's own"));
}

TEST_F(ConfigStoreTest, ReadDealerInfoOfTheCurrentLanguage)
{
    QString left = QStringLiteral("L"), right = QStringLiteral("R"), middle = QStringLiteral("M");
    EXPECT_FALSE(ReadDealerInfo(left, right, middle)) << "no current language";

    CAppContext::Instance().SetCurrentLanguage(QStringLiteral("German"));
    ASSERT_TRUE(ConfigStore::WriteMultiString(QStringLiteral("Language/German/DealerInfoLeft"),
                                              {QStringLiteral("Velmora, Inc.\r\nMain St. 1")}));
    ASSERT_TRUE(ConfigStore::WriteMultiString(QStringLiteral("Language/German/DealerInfoRight"),
                                              {QStringLiteral("call = 555; \"fax\" \\ 556")}));
    EXPECT_FALSE(ReadDealerInfo(left, right, middle)) << "the middle text is missing";

    ASSERT_TRUE(ConfigStore::WriteMultiString(QStringLiteral("Language/German/DealerInfoMiddle"), {QString()}));
    ASSERT_TRUE(ReadDealerInfo(left, right, middle));
    EXPECT_EQ(left, QStringLiteral("Velmora, Inc.\r\nMain St. 1"));
    EXPECT_EQ(right, QStringLiteral("call = 555; \"fax\" \\ 556"));
    EXPECT_EQ(middle, QString());

    // Another language's texts are not read.
    CAppContext::Instance().SetCurrentLanguage(QStringLiteral("English"));
    EXPECT_FALSE(ReadDealerInfo(left, right, middle));
}

TEST_F(ConfigStoreTest, FactoryTextsOfTheInstaller)
{
    // The machine configuration the install step writes, read as it is.
    QFile source(QStringLiteral(TARN_SOURCE_DIR "/installation/machine.conf.in"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    WriteFile(m_config.MachineFile(), source.readAll().replace("@TARN_INSTALL_PATH@", StagedInstallation().toUtf8()));

    ASSERT_TRUE(CheckConfiguration());
    EXPECT_TRUE(m_sink.texts.isEmpty());
    EXPECT_EQ(GetInstallPath(), StagedInstallation());
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(GetShowContextHelp(), 1);

    CAppContext::Instance().SetCurrentLanguage(GetCurrentLanguage());
    EXPECT_TRUE(QFileInfo(GetHelpFilePath() + QStringLiteral("/index.html")).isFile()) << qPrintable(GetHelpFilePath());
    QString left, right, middle;
    ASSERT_TRUE(ReadDealerInfo(left, right, middle));
    EXPECT_EQ(left, QStringLiteral("Authorised Velmora dealer\r\n(your shop name and address)\r\n"));
    EXPECT_EQ(right, QStringLiteral("Service and support:\r\n(your phone and e-mail)\r\n"));
    EXPECT_EQ(middle, QString());

    ASSERT_TRUE(SetCurrentLanguage(QStringLiteral("German")));
    EXPECT_TRUE(QFileInfo(GetGUIResourcePath()).isFile()) << qPrintable(GetGUIResourcePath());
}

} // namespace
