// The five setting documents: loading from the installation folder (and the
// single message when one cannot be used), and every lookup, first against
// the real installation, then against small documents that show the rules.

#include "settings/SettingDocuments.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QTemporaryDir>
#include <QSet>
#include <QXmlStreamReader>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace {

const QStringList kFiles = {QStringLiteral("VisibleSetting.stv"), QStringLiteral("ButtonList.stv"),
                            QStringLiteral("Region.stv"), QStringLiteral("HelpPanMap.stv"),
                            QStringLiteral("UpDownGradeSetting.stv")};

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

xmlDoc *DocumentOf(const CSettingDocuments &docs, const QString &file)
{
    xmlDoc *const all[] = {docs.VisibleSetting(), docs.ButtonList(), docs.Region(), docs.HelpPanMap(),
                           docs.UpDownGradeSetting()};
    return all[kFiles.indexOf(file)];
}

// A Region.stv made of the given elements.
QByteArray RegionDoc(const char *body)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<RegionSetting xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\">\n")
        + body + "\n</RegionSetting>\n";
}

// An entry two levels below an element: its group (the middle level), its
// element name and the attributes the lookups hand out.
struct Entry
{
    QString group;
    QString name;
    QString id;
    QString pageName;
};

// Reads a staged setting document with Qt's own XML reader, independently
// of the loader under test: the entries two levels below the element `parent`.
QList<Entry> EntriesBelow(const QString &path, const QString &parent)
{
    QList<Entry> entries;
    QXmlStreamReader reader(ReadBytes(path));
    int depth = 0;
    int parentDepth = -1;
    QString group;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            if (parentDepth < 0 && reader.name() == parent)
                parentDepth = depth;
            else if (parentDepth > 0 && depth == parentDepth + 1)
                group = reader.name().toString();
            else if (parentDepth > 0 && depth == parentDepth + 2)
                entries << Entry{group, reader.name().toString(), reader.attributes().value("ID").toString()
                                     + reader.attributes().value("id").toString(),
                                 reader.attributes().value("pageName").toString()};
        } else if (reader.isEndElement()) {
            if (depth == parentDepth)
                parentDepth = -2; // the element is closed; nothing below it follows
            --depth;
        }
    }
    EXPECT_FALSE(reader.hasError()) << qPrintable(path) << ": " << qPrintable(reader.errorString());
    return entries;
}

class SettingDocumentsTest : public ::testing::Test
{
protected:
    // A private copy of the installation that the machine level points at.
    QString UseCopy()
    {
        m_copies.push_back(std::make_unique<QTemporaryDir>());
        m_install = CopyInstallation(m_copies.back()->path());
        m_config.InstallMachineLevel(m_install);
        return m_install;
    }
    QString LibFile(const QString &file) const { return m_install + QStringLiteral("/lib/") + file; }
    void Replace(const QString &file, const QByteArray &bytes) { WriteFile(LibFile(file), bytes); }

    // Loads the copy with one Region.stv replaced; the test stops when that fails.
    void LoadWithRegion(const char *body)
    {
        UseCopy();
        Replace(QStringLiteral("Region.stv"), RegionDoc(body));
        ASSERT_TRUE(m_docs.LoadAll()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
    }

    ScopedConfig m_config;
    CapturingSink m_sink;
    CSettingDocuments m_docs;
    QString m_install;
    std::vector<std::unique_ptr<QTemporaryDir>> m_copies;
};

// ------------------------------------------------------------ the installation

class StagedSettingsTest : public SettingDocumentsTest
{
protected:
    void SetUp() override
    {
        m_install = StagedInstallation();
        m_config.InstallMachineLevel(m_install);
        ASSERT_TRUE(m_docs.LoadAll()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
        EXPECT_TRUE(m_sink.texts.isEmpty());
        m_docs.SetRegionName(m_docs.GetRegionName());
    }
};

TEST_F(StagedSettingsTest, RegionLookups)
{
    for (const QString &file : kFiles)
        EXPECT_NE(DocumentOf(m_docs, file), nullptr) << qPrintable(file);

    EXPECT_EQ(m_docs.GetRegionName(), QStringLiteral("Asia"));
    EXPECT_EQ(m_docs.GetProductVersion(), QStringLiteral("1.0.0"));
    EXPECT_EQ(m_docs.GetSupportList(), (QStringList{QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("70")}));
    EXPECT_EQ(m_docs.GetCPVersion(), 3);
    EXPECT_EQ(m_docs.GetSupportLanguages(), (QStringList{QStringLiteral("English"), QStringLiteral("German")}));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("English")), QStringLiteral("English"));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("German")), QStringLiteral("Deutsch"));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("french")), QStringLiteral(" "));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("german")), QStringLiteral(" ")) << "names are exact";

    QHash<int, QString> codes;
    ASSERT_TRUE(m_docs.LoadModelRegions(codes));
    const QString asia = QStringLiteral("Tarn QX Dealer Asia CPS");
    const QString europe = QStringLiteral("Tarn QX Dealer Europe CPS");
    const QString americas = QStringLiteral("Tarn QX Dealer Americas CPS");
    const QHash<int, QString> expected = {
        {10, asia}, {20, asia}, {30, europe}, {40, americas}, {70, asia}, {73, europe}};
    EXPECT_EQ(codes, expected);
}

TEST_F(StagedSettingsTest, SupportedRegionCodesMatchExactly)
{
    const struct
    {
        const char *code;
        bool supported;
    } cases[] = {{"10", true}, {"20", true}, {"70", true},  {"30", false}, {"40", false}, {"73", false},
                 {"010", false}, {"1", false}, {" 10", false}, {"10 ", false}, {"", false}, {"7", false}};
    for (const auto &c : cases)
        EXPECT_EQ(m_docs.IsSupportedRegionCode(QString::fromLatin1(c.code)), c.supported) << c.code;
}

TEST_F(StagedSettingsTest, VisibleSettingNodesOfEveryPage)
{
    const QList<Entry> entries =
        EntriesBelow(m_install + QStringLiteral("/lib/VisibleSetting.stv"), QStringLiteral("Asia"));
    QStringList pages;
    for (const Entry &entry : entries)
        if (!pages.contains(entry.group))
            pages << entry.group;
    ASSERT_EQ(pages.size(), 10);

    for (const QString &page : pages) {
        SCOPED_TRACE(qPrintable(page));
        QStringList expected, actual;
        for (const Entry &entry : entries)
            if (entry.group == page)
                expected << entry.name + QLatin1Char(':') + entry.id;
        for (xmlNode *node : m_docs.GetVisibleSettingNodes(page))
            actual << Xml::NodeName(node) + QLatin1Char(':') + Xml::Attribute(node, "ID");
        EXPECT_EQ(actual, expected);
    }

    // The general settings page: its display and non-display groups stand
    // among the controls in document order.
    const std::vector<xmlNode *> settings = m_docs.GetVisibleSettingNodes(QStringLiteral("Settings"));
    ASSERT_EQ(settings.size(), 36u);
    EXPECT_EQ(Xml::Attribute(settings[0], "ID"), QStringLiteral("1048"));
    EXPECT_EQ(Xml::NodeName(settings[5]), QStringLiteral("Display"));
    EXPECT_EQ(Xml::NodeName(settings[6]), QStringLiteral("NonDisplay"));

    EXPECT_TRUE(m_docs.GetVisibleSettingNodes(QStringLiteral("NoSuchPage")).empty());
    EXPECT_TRUE(m_docs.GetVisibleSettingNodes(QStringLiteral("Settings/*|//*")).empty());
    CSettingDocuments withoutRegion = m_docs;
    withoutRegion.SetRegionName(QString());
    EXPECT_TRUE(withoutRegion.GetVisibleSettingNodes(QStringLiteral("Settings")).empty());
}

TEST_F(StagedSettingsTest, HelpPageOfEveryMap)
{
    const QList<Entry> maps =
        EntriesBelow(m_install + QStringLiteral("/lib/HelpPanMap.stv"), QStringLiteral("HelpPanMap"));
    ASSERT_GT(maps.size(), 50);
    QSet<QString> seen;
    for (const Entry &map : maps) {
        if (seen.contains(map.group + map.id))
            continue; // a repeated id: the first entry answers
        seen.insert(map.group + map.id);
        QString pageName = QStringLiteral("unchanged");
        m_docs.GetHelpPageName(map.group, map.id, pageName);
        EXPECT_EQ(pageName, map.pageName) << qPrintable(map.group) << " " << qPrintable(map.id);
    }

    // One id, different forms.
    QString audio, general;
    m_docs.GetHelpPageName(QStringLiteral("AudioSettings"), QStringLiteral("1026"), audio);
    m_docs.GetHelpPageName(QStringLiteral("GeneralSettings"), QStringLiteral("1026"), general);
    EXPECT_EQ(audio, QStringLiteral("AudioSettings.html#accessory-microphone-gain"));
    EXPECT_EQ(general, QStringLiteral("GeneralSettings.html#transmit-timeout-timer"));
}

TEST_F(StagedSettingsTest, HelpPageNameUnchangedWithoutMap)
{
    const struct
    {
        const char *form;
        const char *id;
    } cases[] = {
        {"Channel", "9999"},
        {"Channel", ""},
        {"Channel", " 1016"},
        {"NoSuchForm", "1016"},
        {"", "1016"},
        {"Channel", "1016' or '1'='1"},
        {"Channel/dfns:map|//dfns:RadioInfo", "1066"},
    };
    for (const auto &c : cases) {
        QString pageName = QStringLiteral("before");
        m_docs.GetHelpPageName(QString::fromLatin1(c.form), QString::fromLatin1(c.id), pageName);
        EXPECT_EQ(pageName, QStringLiteral("before")) << c.form << " / " << c.id;
    }
}

TEST_F(StagedSettingsTest, ButtonPicturesAndCodeplugVersions)
{
    xmlNode *picture = Xml::SelectSingle(m_docs.ButtonList(), QStringLiteral("//dfns:Asia/dfns:IMAGE/dfns:*"));
    ASSERT_NE(picture, nullptr);
    for (const char *kind : {"Display", "NonDisplay"}) {
        const QString file = Xml::Attribute(picture, kind);
        EXPECT_TRUE(QFile::exists(m_install + QStringLiteral("/lib/") + file)) << kind << ": " << qPrintable(file);
    }

    // One version element per codeplug version, CPVer1 up to CPVersion.
    QStringList versions;
    for (xmlNode *node : Xml::Select(m_docs.UpDownGradeSetting(), QStringLiteral("//dfns:CodePlugSetting/dfns:*")))
        versions << Xml::NodeName(node);
    EXPECT_EQ(versions, (QStringList{QStringLiteral("CPVer1"), QStringLiteral("CPVer2"), QStringLiteral("CPVer3")}));
    EXPECT_EQ(versions.size(), m_docs.GetCPVersion());
}

// ------------------------------------------------------- small Region documents

TEST_F(SettingDocumentsTest, MissingCPVersionIsOne)
{
    ASSERT_NO_FATAL_FAILURE(LoadWithRegion("<Region name=\"Asia\"/><Support><Code num=\"10\"/></Support>"));
    EXPECT_EQ(m_docs.GetCPVersion(), 1);
}

TEST_F(SettingDocumentsTest, ModelRegionCodesAsIntegers)
{
    ASSERT_NO_FATAL_FAILURE(LoadWithRegion("<ModelRegions>"
                                           "<Product name=\"A\" code=\"70\"/>"
                                           "<!-- <Product name=\"comment\" code=\"5\"/> -->"
                                           "<Product name=\"B\" code=\"070\"/>"
                                           "<Product name=\"C\" code=\"x1\"/>"
                                           "<Product name=\"D\" code=\"12abc\"/>"
                                           "<Product name=\"E\" code=\"\"/>"
                                           "</ModelRegions>"));
    QHash<int, QString> codes;
    ASSERT_TRUE(m_docs.LoadModelRegions(codes));
    const QHash<int, QString> expected = {
        {70, QStringLiteral("B")}, {0, QStringLiteral("E")}, {12, QStringLiteral("D")}};
    EXPECT_EQ(codes, expected);
}

TEST_F(SettingDocumentsTest, CommentsAddNoEntries)
{
    ASSERT_NO_FATAL_FAILURE(LoadWithRegion("<Support><!-- 30 --><Code num=\"10\"/>"
                                           "<!-- <Code num=\"40\"/> --><Code num=\"7A\"/><!-- end --></Support>"
                                           "<SupportLanguages><!-- English first -->"
                                           "<language name=\"English\" displayName=\"English\"/><!-- then German -->"
                                           "<language name=\"German\" displayName=\"\"/>"
                                           "</SupportLanguages>"));
    EXPECT_EQ(m_docs.GetSupportList(), (QStringList{QStringLiteral("10"), QStringLiteral("7A")}));
    EXPECT_EQ(m_docs.GetSupportLanguages(), (QStringList{QStringLiteral("English"), QStringLiteral("German")}));

    // Codes compare exactly, letter case included.
    EXPECT_TRUE(m_docs.IsSupportedRegionCode(QStringLiteral("7A")));
    EXPECT_FALSE(m_docs.IsSupportedRegionCode(QStringLiteral("7a")));
    EXPECT_FALSE(m_docs.IsSupportedRegionCode(QStringLiteral("30")));

    // An empty or missing display name reads as a single blank; a name with
    // quotes finds nothing instead of breaking the selection open.
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("German")), QStringLiteral(" "));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("Dutch")), QStringLiteral(" "));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("x' or '1'='1")), QStringLiteral(" "));
    EXPECT_EQ(m_docs.GetLanguageDisplayName(QStringLiteral("x\" or \"1\"=\"1' or '1'='1")), QStringLiteral(" "));
}

TEST_F(SettingDocumentsTest, MissingSingleElementRaises131)
{
    ASSERT_NO_FATAL_FAILURE(LoadWithRegion("<Support/>"));
    EXPECT_TRUE(m_docs.GetSupportList().isEmpty());
    EXPECT_FALSE(m_docs.IsSupportedRegionCode(QString()));
    for (auto lookup : {&CSettingDocuments::GetRegionName, &CSettingDocuments::GetProductVersion}) {
        try {
            (m_docs.*lookup)();
            ADD_FAILURE() << "no error raised";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 131);
        }
    }
}

// --------------------------------------------------------------- load failures

TEST_F(SettingDocumentsTest, UnusableFileStopsLoadingWithOneMessage)
{
    const struct
    {
        const char *name;
        std::function<void(const QString &path)> spoil;
    } faults[] = {
        {"missing", [](const QString &path) { QFile::remove(path); }},
        {"empty", [](const QString &path) { WriteFile(path, QByteArray()); }},
        {"byte-order mark only", [](const QString &path) { WriteFile(path, QByteArray("\xFF\xFE", 2)); }},
        {"not well-formed",
         [](const QString &path) {
             QByteArray bytes = ReadBytes(path);
             bytes.chop(bytes.size() - bytes.lastIndexOf("</")); // the root is never closed
             WriteFile(path, bytes);
         }},
        {"document type declaration",
         [](const QString &path) {
             QByteArray bytes = ReadBytes(path);
             bytes.insert(bytes.indexOf('\n') + 1, "<!DOCTYPE root [<!ENTITY e \"e\">]>\n");
             WriteFile(path, bytes);
         }},
    };
    for (qsizetype failing = 0; failing < kFiles.size(); ++failing) {
        for (const auto &fault : faults) {
            SCOPED_TRACE(qPrintable(kFiles[failing] + QStringLiteral(": ") + QLatin1String(fault.name)));
            UseCopy();
            fault.spoil(LibFile(kFiles[failing]));
            // The files after the failing one are not needed.
            for (qsizetype later = failing + 1; later < kFiles.size(); ++later)
                QFile::remove(LibFile(kFiles[later]));
            m_sink.texts.clear();
            CSettingDocuments docs;

            EXPECT_FALSE(docs.LoadAll());
            EXPECT_EQ(m_sink.texts, QStringList{EnglishString(315)});
            for (qsizetype i = 0; i < kFiles.size(); ++i)
                EXPECT_EQ(DocumentOf(docs, kFiles[i]) != nullptr, i < failing) << qPrintable(kFiles[i]);
        }
    }
}

TEST_F(SettingDocumentsTest, EveryFileFormLoadsAlike)
{
    const struct
    {
        const char *name;
        std::function<QByteArray(const QString &text)> encode;
    } forms[] = {
        {"16-bit scrambled", [](const QString &text) { return ScrambleText(text); }},
        {"16-bit plain",
         [](const QString &text) {
             return QByteArray("\xFF\xFE", 2)
                 + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
         }},
        {"8-bit scrambled",
         [](const QString &text) {
             QByteArray bytes = text.toUtf8();
             for (char &byte : bytes)
                 byte = static_cast<char>(byte ^ 0x9B);
             return bytes;
         }},
    };
    for (const auto &form : forms) {
        SCOPED_TRACE(form.name);
        UseCopy();
        for (const QString &file : kFiles) {
            QString text;
            ASSERT_TRUE(LoadTextFile(LibFile(file), text));
            Replace(file, form.encode(text));
        }
        CSettingDocuments docs;
        ASSERT_TRUE(docs.LoadAll()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
        docs.SetRegionName(docs.GetRegionName());
        EXPECT_EQ(docs.GetRegionName(), QStringLiteral("Asia"));
        EXPECT_EQ(docs.GetSupportList(),
                  (QStringList{QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("70")}));
        EXPECT_EQ(docs.GetLanguageDisplayName(QStringLiteral("German")), QStringLiteral("Deutsch"));
        EXPECT_EQ(docs.GetVisibleSettingNodes(QStringLiteral("Settings")).size(), 36u);
        QString pageName;
        docs.GetHelpPageName(QStringLiteral("Channel"), QStringLiteral("1016"), pageName);
        EXPECT_EQ(pageName, QStringLiteral("Channel.html#rx-frequency"));
    }
}

TEST_F(SettingDocumentsTest, ReportFolderWhenNotFromLib)
{
    UseCopy();
    WriteFile(m_install + QStringLiteral("/Report/Handout.xsl"),
              "<?xml version=\"1.0\"?>\n<xsl:stylesheet version=\"1.0\" "
              "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"/>\n");
    EXPECT_NE(CSettingDocuments::LoadSettingDoc(QStringLiteral("Handout.xsl"), false), nullptr);
    EXPECT_TRUE(m_sink.texts.isEmpty());
    EXPECT_EQ(CSettingDocuments::LoadSettingDoc(QStringLiteral("Handout.xsl"), true), nullptr);
    EXPECT_EQ(CSettingDocuments::LoadSettingDoc(QStringLiteral("Region.stv"), false), nullptr);
    EXPECT_EQ(m_sink.texts, (QStringList{EnglishString(315), EnglishString(315)}));
}

} // namespace
