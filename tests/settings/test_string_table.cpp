// The string table: the built-in English texts, the German translation file of
// the installation, and the filling of printf-style placeholders.

#include "settings/StringTable.h"
#include "support/TestEnvironment.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

const QString kGermanResource = StagedInstallation() + QStringLiteral("/languages/tarncps_de.qm");

// The printf placeholders of a text in order ("%%" included), as FormatText
// and the callers of the string table see them.
QStringList Placeholders(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(%|[-+ #0]*\\d*(?:\\.\\d+)?(?:l|h)?[sducxf])"));
    QStringList found;
    for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
        found << match.captured();
    return found;
}

class StringTableTest : public ::testing::Test
{
protected:
    void SetUp() override { UnloadLanguageResource(); }
    void TearDown() override { UnloadLanguageResource(); }
};

TEST_F(StringTableTest, EnglishIdsAreSortedAndUnique)
{
    ASSERT_GT(kEnglishStringCount, 300u);
    for (std::size_t i = 0; i < kEnglishStringCount; ++i) {
        const StringEntry &entry = kEnglishStrings[i];
        if (i > 0) {
            EXPECT_LT(kEnglishStrings[i - 1].id, entry.id) << "at index " << i;
        }
        EXPECT_FALSE(QString::fromUtf16(entry.text).isEmpty()) << entry.id;
        EXPECT_EQ(LoadString(entry.id), QString::fromUtf16(entry.text)) << entry.id;
    }
}

TEST_F(StringTableTest, UnknownIdsAreEmpty)
{
    for (int id : {0, -1, 1, 128, 138, 99999}) {
        EXPECT_EQ(LoadString(id), QString()) << id;
        EXPECT_EQ(EnglishString(id), QString()) << id;
    }
}

TEST_F(StringTableTest, MessagesOfStartUpAndSettings)
{
    const struct
    {
        int id;
        const char16_t *text;
    } messages[] = {
        {130, u"Fatal registry Error, the application will be closed!"},
        {131, u"Unknown Error"},
        {134, u"Fatal error: 102.\nPlease uninstall and re-install CPS."},
        {149, u"OLE initialization failed. Make sure that the OLE libraries are the correct version."},
        {263, u"Error: Load dealer information failed."},
        {264, u"Error: There is an error when acquiring language type."},
        {265, u"Dealer Information"},
        {266, u"Dealer Information"},
        {267, u"Contact Information"},
        {268, u"Notes"},
        {274, u"%s Customer Programming Software"},
        {275, u"Version %s"},
        {297, u"About"},
        {315, u"Some files needed by CPS are not available.\nPlease reinstall CPS."},
        {321, u"&Language"},
        {325, u"The language resource file is missing. The CPS will start with English language version."},
        {372, u"COM initial failed."},
        {373, u"Failed to open registry!"},
        {374, u"Failed to write registry!"},
        {375, u"The dealer information in the registry is too long to fit the dialog, please check it!"},
        {381, u"CPS needs vbscript engine to start. Please install vbscript engine before re-starting the %s."},
    };
    for (const auto &message : messages)
        EXPECT_EQ(LoadString(message.id), QString::fromUtf16(message.text)) << message.id;
    EXPECT_EQ(kAppName, QStringLiteral("ZR4400 & ZR4480 Distributor CPS"));
}

TEST_F(StringTableTest, GermanHasEveryIdWithTheSamePlaceholders)
{
    // The translation file on its own: every English text must be found in
    // it under its own id (the lookup key is the exact English text).
    QTranslator translator;
    ASSERT_TRUE(translator.load(kGermanResource)) << qPrintable(kGermanResource);
    ASSERT_TRUE(LoadLanguageResource(kGermanResource));
    EXPECT_TRUE(IsLanguageResourceLoaded());

    QStringList missing;
    int differing = 0;
    for (std::size_t i = 0; i < kEnglishStringCount; ++i) {
        const int id = kEnglishStrings[i].id;
        const QString english = QString::fromUtf16(kEnglishStrings[i].text);
        const QString german = translator.translate("StringTable", english.toUtf8().constData(),
                                                    QByteArray::number(id).constData());
        if (german.isEmpty()) {
            missing << QString::number(id);
            continue;
        }
        EXPECT_EQ(LoadString(id), german) << id;
        EXPECT_EQ(Placeholders(german), Placeholders(english)) << id << ": " << qPrintable(german);
        EXPECT_EQ(german.count(QLatin1Char('\n')), english.count(QLatin1Char('\n'))) << id;
        if (german != english)
            ++differing;
    }
    EXPECT_TRUE(missing.isEmpty()) << "no German text for " << qPrintable(missing.join(QLatin1Char(' ')));
    // Names such as "OK" or "CPS" may stay as they are; most texts may not.
    EXPECT_GT(differing, static_cast<int>(kEnglishStringCount) * 3 / 4);
    EXPECT_EQ(LoadString(130),
              QStringLiteral("Schwerwiegender Fehler in der Registrierung, die Anwendung wird geschlossen!"));
    EXPECT_EQ(LoadString(99999), QString());

    UnloadLanguageResource();
    EXPECT_FALSE(IsLanguageResourceLoaded());
    EXPECT_EQ(LoadString(130), QStringLiteral("Fatal registry Error, the application will be closed!"));
}

TEST_F(StringTableTest, UnusableResourceKeepsEnglish)
{
    QTemporaryDir dir;
    const QString notQm = WriteFile(dir.filePath(QStringLiteral("broken.qm")), "this is not a translation file");
    for (const QString &path :
         {QString(), dir.filePath(QStringLiteral("missing.qm")), notQm,
          QStringLiteral(TARN_SOURCE_DIR "/installation/languages/tarncps_de.ts")}) {
        EXPECT_FALSE(LoadLanguageResource(path)) << qPrintable(path);
        EXPECT_FALSE(IsLanguageResourceLoaded());
        EXPECT_EQ(LoadString(131), QStringLiteral("Unknown Error"));
    }
}

TEST(FormatTextTest, FillsPlaceholdersInOrder)
{
    const struct
    {
        const char *format;
        QStringList values;
        const char *expected;
    } cases[] = {
        {"Version %s", {"1.0.0"}, "Version 1.0.0"},
        {"%s of %s", {"a", "b"}, "a of b"},
        {"Line: %d, Pos: %d", {"3", "14"}, "Line: 3, Pos: 14"},
        {"%u %x %c", {"1", "ff", "z"}, "1 ff z"},
        {"100%% done, %d%%", {"50"}, "100% done, 50%"},
        {"%s and %s", {"only"}, "only and "},
        {"%s", {}, ""},
        {"no placeholders", {"unused"}, "no placeholders"},
        {"value %s", {"%s %d"}, "value %s %d"},
        {"a %, b %q c %", {"x"}, "a %, b %q c %"},
        {"", {"x"}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatText(QString::fromLatin1(c.format), c.values), QString::fromLatin1(c.expected)) << c.format;
}

} // namespace
