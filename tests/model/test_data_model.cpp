// Loading, migrating, validating and saving profiles, and the data items'
// behaviour where no rule-script hook is attached.

#include "model/DataItem.h"
#include "model/ProfileFile.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/Installation.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <libxml/tree.h>

namespace {

class DataModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config.InstallMachineLevel(StagedInstallation());
        CAppContext::Instance().Reset();
        ASSERT_TRUE(LoadInstallation());
    }
    void TearDown() override { CAppContext::Instance().Reset(); }

    static QString Fixture(const char *name)
    {
        QString text;
        EXPECT_TRUE(LoadTextFile(QStringLiteral(TARN_TESTDATA_DIR "/") + QLatin1String(name), text));
        return text;
    }

    static QStringList Templates()
    {
        QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
        QStringList paths;
        for (const QString &name : folder.entryList({QStringLiteral("*.ra9")}, QDir::Files, QDir::Name))
            paths << folder.filePath(name);
        return paths;
    }

    // Every element in document order with its attributes sorted: equal
    // outlines mean the same elements, attributes and values.
    static QStringList Outline(xmlDoc *doc)
    {
        QStringList lines;
        std::function<void(xmlNode *, int)> walk = [&](xmlNode *node, int depth) {
            for (; node; node = node->next) {
                if (node->type != XML_ELEMENT_NODE)
                    continue;
                QStringList attributes;
                for (xmlAttr *a = node->properties; a; a = a->next)
                    attributes << QStringLiteral("%1=%2").arg(QString::fromUtf8(reinterpret_cast<const char *>(a->name)),
                                                              Xml::Attribute(node, reinterpret_cast<const char *>(a->name)));
                attributes.sort();
                lines << QString(depth, QLatin1Char(' ')) + Xml::NodeName(node) + QLatin1Char(' ') + attributes.join(QLatin1Char(' '));
                walk(node->children, depth + 1);
            }
        };
        walk(xmlDocGetRootElement(doc), 0);
        return lines;
    }
    static QStringList Outline(const QString &text)
    {
        XmlDocPtr doc = Xml::ParseText(text);
        EXPECT_TRUE(doc);
        return doc ? Outline(doc.get()) : QStringList();
    }

    // The error a load raises, or id 0 when it loads.
    static std::pair<int, QString> LoadError(const QString &text)
    {
        try {
            CRadioDataModel model;
            model.LoadProfile(text, false);
        } catch (const CTarnCPSException &e) {
            return {e.MessageId(), e.Trace()};
        }
        return {0, QString()};
    }

    ScopedConfig config;
    CapturingSink sink;
};

TEST_F(DataModelTest, EveryTemplateLoadsAndKeepsEveryValueThroughSaveAndReload)
{
    const QStringList templates = Templates();
    ASSERT_GE(templates.size(), 5);
    for (const QString &path : templates) {
        SCOPED_TRACE(path.toStdString());
        CRadioDataModel model;
        ASSERT_TRUE(model.LoadProfile(path, true));
        EXPECT_TRUE(model.AddedFields().empty()) << "templates are of the newest codeplug version";
        const QStringList loaded = Outline(model.ProfileDocument());

        const QString saved = ProfileTextForSaving(model);
        CRadioDataModel reloaded;
        ASSERT_TRUE(reloaded.LoadProfile(saved, false));
        EXPECT_EQ(Outline(reloaded.ProfileDocument()), loaded);
    }
    EXPECT_TRUE(sink.texts.isEmpty()) << sink.texts.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DataModelTest, VersionOneProfileGainsTheNewerFieldsAndLosesThemAgainOnSaving)
{
    const QString original = Fixture("profile_v1_handheld.xml");
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(original, false));
    EXPECT_EQ(model.CodeplugVersion(), 1);

    CDataItem setting, limit, channels, channel;
    model.RootItem().GetChildByName(QStringLiteral("setting"), setting);
    model.RootItem().GetChildByName(QStringLiteral("limit"), limit);
    model.RootItem().GetChildByName(QStringLiteral("channels"), channels);
    channels.GetChildByIndex(3, channel);
    // accessoryMicrophoneGain takes over the value of microphoneGain.
    EXPECT_EQ(setting.GetAttributeValue(QStringLiteral("accessoryMicrophoneGain")).toUInt(), 2u);
    EXPECT_EQ(setting.GetAttributeValue(QStringLiteral("voice_language")).toUInt(), 7u);
    EXPECT_FALSE(limit.GetAttributeValue(QStringLiteral("voice_chip_enable")).toBool());
    EXPECT_FALSE(channel.GetAttributeValue(QStringLiteral("disable_channel")).toBool());
    // A profile opened as text gets no new elements.
    EXPECT_EQ(Xml::Select(model.ProfileDocument(), QStringLiteral("//dfns:voice_prompts")).size(), 0u);

    model.TakeOffDoc();
    EXPECT_EQ(Outline(model.OperationDocument()), Outline(original));
    // The profile being edited keeps its added fields after a save.
    EXPECT_TRUE(setting.HasAttribute(QStringLiteral("accessoryMicrophoneGain")));
}

TEST_F(DataModelTest, ProfileLoadedFromAPathGetsTheAddedElementAndLosesItOnSaving)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir.filePath(QStringLiteral("old.ra9")), ScrambleText(Fixture("profile_v1_handheld.xml")));
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(path, true));
    EXPECT_EQ(Xml::Select(model.ProfileDocument(), QStringLiteral("//dfns:setting/dfns:voice_prompts")).size(), 1u);
    model.TakeOffDoc();
    EXPECT_EQ(Xml::Select(model.OperationDocument(), QStringLiteral("//dfns:voice_prompts")).size(), 0u);
}

TEST_F(DataModelTest, VersionTwoProfileGainsOnlyTheVersionThreeFieldsAndKeepsItsOwnElement)
{
    const QString original = Fixture("profile_v2_handheld.xml");
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(original, false));
    QStringList added;
    for (xmlNode *entry : model.AddedFields())
        added << Xml::Attribute(entry, "name");
    added.sort();
    EXPECT_EQ(added, (QStringList{QStringLiteral("disable_channel"), QStringLiteral("disable_channel_enable"),
                                  QStringLiteral("talkaround_scan"), QStringLiteral("talkaround_scan_enable")}));
    model.TakeOffDoc();
    EXPECT_EQ(Outline(model.OperationDocument()), Outline(original));
}

TEST_F(DataModelTest, SchemaViolationNamesTheLineAndTheColumnOfTheOffendingAttribute)
{
    QString text = Fixture("profile_v1_handheld.xml");
    text.replace(QStringLiteral("rx_code=\"12\""), QStringLiteral("rx_code=\"300\""));
    const auto [id, trace] = LoadError(text);
    EXPECT_EQ(id, 135);
    EXPECT_TRUE(trace.contains(QStringLiteral("Line: 12, Pos: 30"))) << trace.toStdString();
    EXPECT_TRUE(trace.contains(QStringLiteral("SRC:     <channel rx_freq_ndx=\"2\" rx_code=\"300\""))) << trace.toStdString();
    EXPECT_TRUE(trace.contains(QStringLiteral("Exception Catched")));
}

TEST_F(DataModelTest, BadInputIsRefusedQuicklyWithTheProfileErrors)
{
    const QString good = Fixture("profile_v1_handheld.xml");
    QString channels200;
    {
        const qsizetype at = good.indexOf(QStringLiteral("    <channel "));
        const QString one = good.mid(at, good.indexOf(QLatin1Char('\n'), at) - at + 1);
        channels200 = good;
        channels200.insert(at, one.repeated(196));
    }
    QByteArray random(4096, '\0');
    QRandomGenerator generator(7);
    for (char &byte : random)
        byte = static_cast<char>(generator.bounded(256));
    QTemporaryDir dir;
    const QString randomPath = WriteFile(dir.filePath(QStringLiteral("random.ra9")), random);
    QString randomText;
    ASSERT_TRUE(LoadTextFile(randomPath, randomText));

    const struct
    {
        const char *what;
        QString text;
    } cases[] = {
        {"empty", QString()},
        {"random bytes", randomText},
        {"truncated", good.left(good.size() / 2)},
        {"external entity", QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE TarnProfile [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><TarnProfile>&x;</TarnProfile>")},
        {"entity bomb", QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><a>&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;</a>")},
        {"attribute of 1 MB", QString(good).replace(QStringLiteral("name=\"CH01\""), QStringLiteral("name=\"%1\"").arg(QString(1 << 20, QLatin1Char('A'))))},
        {"200 channels", channels200},
        {"no factory_setting", QStringLiteral("<?xml version=\"1.0\"?><TarnProfile xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\"/>")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QElapsedTimer timer;
        timer.start();
        const auto [id, trace] = LoadError(c.text);
        EXPECT_TRUE(id == 135 || id == 136) << id << trace.toStdString();
        EXPECT_FALSE(trace.contains(QStringLiteral("root:"))) << "an external entity was read";
        EXPECT_LT(timer.elapsed(), 5000);
    }
}

TEST_F(DataModelTest, MissingSchemaStopsTheLoadWithTheInstallationMessage)
{
    QTemporaryDir dir;
    const QString installation = CopyInstallation(dir.path());
    QFile::remove(installation + QStringLiteral("/profiletemplate/DataProfile.xsd"));
    config.InstallMachineLevel(installation);
    CRadioDataModel model;
    EXPECT_FALSE(model.LoadProfile(Fixture("profile_v1_handheld.xml"), false));
    EXPECT_EQ(sink.texts, QStringList{LoadString(315)});
}

TEST_F(DataModelTest, AttributesAreTypedAsTheSchemaDeclaresThem)
{
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(Fixture("profile_v1_handheld.xml"), false));
    CDataItem factory, limit;
    model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
    model.RootItem().GetChildByName(QStringLiteral("limit"), limit);
    const QVariant channels = limit.GetAttributeValue(QStringLiteral("maxChannels"));
    EXPECT_EQ(channels.typeId(), QMetaType::UInt);
    EXPECT_EQ(channels.toUInt(), 4u);
    const QVariant repeater = limit.GetAttributeValue(QStringLiteral("disable_repeater_feature"));
    EXPECT_EQ(repeater.typeId(), QMetaType::Bool);
    EXPECT_TRUE(repeater.toBool());
    EXPECT_EQ(factory.GetAttributeValue(QStringLiteral("model")).typeId(), QMetaType::QString);
}

TEST_F(DataModelTest, NavigationErrorsCarryTheirMessageIdAndDetail)
{
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(Fixture("profile_v1_handheld.xml"), false));
    CDataItem item, channels;
    model.RootItem().GetChildByName(QStringLiteral("limit"), item);
    EXPECT_EQ(item.Name(), QStringLiteral("limit"));

    auto expectError = [](int id, const QString &detail, const std::function<void()> &call) {
        try {
            call();
            ADD_FAILURE() << "no error for " << detail.toStdString();
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), id);
            EXPECT_TRUE(e.Trace().contains(detail)) << e.Trace().toStdString();
        }
    };
    expectError(132, QStringLiteral("Name='limits'"), [&] { model.RootItem().GetChildByName(QStringLiteral("limits"), item); });
    expectError(133, QStringLiteral("Name='nothing'"), [&] { item.GetAttributeValue(QStringLiteral("nothing")); });
    model.RootItem().GetChildByName(QStringLiteral("channels"), channels);
    int a = 0, b = 0;
    expectError(133, QStringLiteral("Index='9'"), [&] { channels.RemoveChildByIndex(9, a, 0, b); });
    channels.GetChildByIndex(9, item);
    EXPECT_TRUE(item.IsEmpty());
}

TEST_F(DataModelTest, WithoutAHookTheItemDecidesAlone)
{
    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(Fixture("profile_v1_handheld.xml"), false));
    CDataItem factory, limit;
    model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
    model.RootItem().GetChildByName(QStringLiteral("limit"), limit);
    EXPECT_EQ(limit.SetAttributeValue(QStringLiteral("disable_vox_feature"), true), 0);
    EXPECT_EQ(Xml::Attribute(limit.Node(), "disable_vox_feature"), QStringLiteral("1"));
    EXPECT_EQ(limit.SetAttributeValue(QStringLiteral("max_call_tones"), 3), 0);
    EXPECT_EQ(Xml::Attribute(limit.Node(), "max_call_tones"), QStringLiteral("3"));
    EXPECT_FALSE(limit.CanAddChild());
    EXPECT_FALSE(factory.CanDeleteChild());
    CDataItem child;
    limit.AddNewChild(child);
    EXPECT_TRUE(child.IsEmpty());
    QString function;
    EXPECT_FALSE(limit.GetScriptHandler(limit.Node(), QStringLiteral("CanAddChild"), function));
    CDataItem channels;
    model.RootItem().GetChildByName(QStringLiteral("channels"), channels);
    EXPECT_TRUE(channels.GetScriptHandler(channels.Node(), QStringLiteral("CanAddChild"), function));
    EXPECT_EQ(function, QStringLiteral("CanAddChannel"));
}

TEST_F(DataModelTest, SavingCopiesReceiveToTransmitOnlyWhenTheModelCannotUseRepeatersAndResetsTheSubRegion)
{
    for (bool noRepeater : {true, false}) {
        SCOPED_TRACE(noRepeater);
        QString text = Fixture("profile_v1_handheld.xml");
        text.replace(QStringLiteral("disable_repeater_feature=\"1\""),
                     QStringLiteral("disable_repeater_feature=\"%1\"").arg(noRepeater ? 1 : 0));
        text.replace(QStringLiteral("sub_region=\"0\""), QStringLiteral("sub_region=\"5\""));
        text.replace(QStringLiteral("tx_freq_ndx=\"3\" tx_code=\"44\""), QStringLiteral("tx_freq_ndx=\"4\" tx_code=\"45\""));
        CRadioDataModel model;
        ASSERT_TRUE(model.LoadProfile(text, false));
        const QString saved = ProfileTextForSaving(model);
        EXPECT_TRUE(saved.contains(QStringLiteral("sub_region=\"0\"")));
        EXPECT_EQ(saved.contains(QStringLiteral("tx_freq_ndx=\"3\" tx_code=\"44\"")), noRepeater);
    }
}

TEST_F(DataModelTest, ARuleThatFailsLeavesTheProfileAsItWas)
{
    // The channel name hook changes two elements and then throws; the
    // receive-frequency hook names a function the script does not have.
    QTemporaryDir dir;
    const QString installation = CopyInstallation(dir.path());
    WriteFile(installation + QStringLiteral("/profiletemplate/DataProfile.js"),
              "Option Explicit\n"
              "function SetChannelName(channel, attribute, value, a, confirm, b) {\n"
              "    channel.setAttribute('name', value);\n"
              "    channel.documentElement.selectSingleNode('dfns:setting').setAttribute('numberChannels', 0);\n"
              "    channel.parentNode.removeChild(channel);\n"
              "    throw new Error('half-way');\n"
              "}\n");
    config.InstallMachineLevel(installation);

    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(Fixture("profile_v1_handheld.xml"), false));
    const QString before = model.ProfileText();
    CDataItem channels, channel;
    model.RootItem().GetChildByName(QStringLiteral("channels"), channels);
    channels.GetChildByIndex(1, channel);

    for (const char *attribute : {"name", "rx_freq_ndx"}) {
        SCOPED_TRACE(attribute);
        int a = 0, b = 0;
        try {
            channel.SetAttributeValue(QLatin1String(attribute), QStringLiteral("NEW"), a, 0, b);
            ADD_FAILURE() << "no error";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 131);
        }
        EXPECT_EQ(model.ProfileText(), before);
    }
    EXPECT_EQ(sink.texts.size(), 1) << "the thrown error is shown once; a missing function shows nothing";
}

TEST(ProcessChannelName, EmptyNamesGetUnusedNumberedNames)
{
    const QString profile = QStringLiteral(
        "<?xml version=\"1.0\"?><TarnProfile xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\"><channels>"
        "<channel name=\"\"/><channel name=\"CHAN 1\"/><channel name=\"\"/></channels></TarnProfile>");
    XmlDocPtr doc = Xml::ParseText(CDataItem::ProcessChannelName(profile));
    ASSERT_TRUE(doc);
    QStringList names;
    for (xmlNode *channel : Xml::Select(doc.get(), QStringLiteral("//dfns:channel")))
        names << Xml::Attribute(channel, "name");
    EXPECT_EQ(names, (QStringList{QStringLiteral("CHAN 2"), QStringLiteral("CHAN 1"), QStringLiteral("CHAN 3")}));

    try {
        CDataItem::ProcessChannelName(QStringLiteral("<not a profile"));
        ADD_FAILURE() << "no error";
    } catch (const CTarnCPSException &e) {
        EXPECT_EQ(e.MessageId(), 135);
    }
}

} // namespace
