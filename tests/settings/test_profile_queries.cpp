// The profile queries: display and repeater model, enabled channels,
// frequencies within the limits, codes within a highest code, the wide-band
// compander mode and the codeplug versions this installation handles. Each
// case loads a small profile through the data model, with a schema that
// declares just the attributes the queries read.

#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/ProfileQueries.h"
#include "settings/TarnCPSException.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace {

// The parts of a test profile: the attribute texts of the single elements
// and of each channel and frequency entry.
struct ProfileParts
{
    QString factory = QStringLiteral("codeplug_phase=\"R\" codeplug_version=\"3\" model=\"ZRD41610\"");
    QString limit = QStringLiteral("start_freq=\"400000000\" end_freq=\"470000000\"");
    QString setting = QStringLiteral("numberChannels=\"0\"");
    QStringList channels;
    QStringList frequencies;
};

QString ProfileText(const ProfileParts &parts)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                  "<TarnProfile xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\">\n"
                                  "  <factory_setting %1/>\n  <limit %2/>\n  <setting %3/>\n  <channels>\n")
                       .arg(parts.factory, parts.limit, parts.setting);
    for (const QString &channel : parts.channels)
        text += QStringLiteral("    <channel %1/>\n").arg(channel);
    text += QStringLiteral("  </channels>\n  <frequencies>\n");
    for (const QString &frequency : parts.frequencies)
        text += QStringLiteral("    <frequency %1/>\n").arg(frequency);
    return text + QStringLiteral("  </frequencies>\n</TarnProfile>\n");
}

QString Channel(int rxIndex, int txIndex, int rxCode = 0, int txCode = 0, bool disabled = false)
{
    return QStringLiteral("rx_freq_ndx=\"%1\" tx_freq_ndx=\"%2\" rx_code=\"%3\" tx_code=\"%4\" disable_channel=\"%5\"")
        .arg(rxIndex)
        .arg(txIndex)
        .arg(rxCode)
        .arg(txCode)
        .arg(disabled ? 1 : 0);
}

QString Frequency(quint32 hertz, int bandwidth = 2, int compander = 0)
{
    return QStringLiteral("freq=\"%1\" bandwidth=\"%2\" compander_lle_mode=\"%3\"").arg(hertz).arg(bandwidth).arg(compander);
}

QString InUse(int channels)
{
    return QStringLiteral("numberChannels=\"%1\"").arg(channels);
}

class ProfileQueriesTest : public ::testing::Test
{
protected:
    // Loads a profile; the model stays alive until the next load.
    CDataItem &Load(const ProfileParts &parts)
    {
        m_model = std::make_unique<CRadioDataModel>();
        EXPECT_TRUE(m_model->LoadProfile(ProfileText(parts), false));
        EXPECT_TRUE(m_sink.texts.isEmpty()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
        return m_model->RootItem();
    }

    CapturingSink m_sink;
    ProfileTestInstallation m_installation{QStringLiteral(TARN_TESTDATA_DIR "/queries/DataProfile.xsd")};
    std::unique_ptr<CRadioDataModel> m_model;
};

} // namespace

TEST_F(ProfileQueriesTest, DisplayAndRepeaterModelFollowTheModelCode)
{
    const struct
    {
        const char *model;
        bool display;
        bool repeater;
    } cases[] = {
        {"ZRD41610", true, false},  {"ZRd41610", true, false},  {"ZRR41610", false, false},
        {"DDR41610", false, false}, {"ZRX41610", false, false}, {"ZRD41670", true, true},
        {"ZRR54073", false, true},  {"ZRD41671", true, false},  {"ZRR41607", false, false},
        {"ZRD4167", true, false},   {"ZR", false, false},       {"", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.model);
        ProfileParts parts;
        parts.factory = QStringLiteral("codeplug_version=\"3\" model=\"%1\"").arg(QLatin1String(c.model));
        const CDataItem &root = Load(parts);
        EXPECT_EQ(IsDisplayModel(root), c.display);
        EXPECT_EQ(IsRepeaterModel(root), c.repeater);
    }
}

TEST_F(ProfileQueriesTest, EnabledChannelCountLooksAtTheChannelsInUseOnly)
{
    ProfileParts parts;
    parts.channels = {Channel(0, 0, 0, 0, false), Channel(0, 0, 0, 0, true), Channel(0, 0, 0, 0, false),
                      Channel(0, 0, 0, 0, true), Channel(0, 0, 0, 0, false)};
    parts.frequencies = {Frequency(435000000)};
    const struct
    {
        int inUse;
        int enabled;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {4, 2}, {5, 3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.inUse);
        parts.setting = InUse(c.inUse);
        EXPECT_EQ(GetEnabledChannelCount(Load(parts)), c.enabled);
    }
}

TEST_F(ProfileQueriesTest, FrequenciesWithinLimitsBothEndsIncluded)
{
    // Limits 400 MHz to 470 MHz.
    const QStringList frequencies = {
        Frequency(400000000), // 0: start_freq
        Frequency(470000000), // 1: end_freq
        Frequency(435000000), // 2: inside
        Frequency(399999999), // 3: just below
        Frequency(470000001), // 4: just above
    };
    const struct
    {
        const char *what;
        QStringList channels;
        int inUse;
        bool within;
    } cases[] = {
        {"no channel in use, though out of range", {Channel(3, 4)}, 0, true},
        {"on both limits", {Channel(0, 1), Channel(1, 0)}, 2, true},
        {"transmit above, receive inside", {Channel(2, 2), Channel(2, 4)}, 2, false},
        {"transmit below, receive inside", {Channel(2, 3)}, 1, false},
        {"receive below, transmit inside", {Channel(3, 2)}, 1, false},
        {"receive above, transmit inside", {Channel(4, 2)}, 1, false},
        {"out of range beyond numberChannels", {Channel(2, 2), Channel(4, 3)}, 1, true},
        {"transmit index past the frequency list", {Channel(2, 5)}, 1, false},
        {"receive index past the frequency list", {Channel(9, 2)}, 1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ProfileParts parts;
        parts.setting = InUse(c.inUse);
        parts.channels = c.channels;
        parts.frequencies = frequencies;
        EXPECT_EQ(AreFrequenciesWithinLimits(Load(parts)), c.within);
    }
}

TEST_F(ProfileQueriesTest, LimitsAreTakenFromTheProfile)
{
    ProfileParts parts;
    parts.setting = InUse(1);
    parts.channels = {Channel(0, 1)};
    parts.frequencies = {Frequency(150000000), Frequency(174000000)};
    EXPECT_FALSE(AreFrequenciesWithinLimits(Load(parts)));
    parts.limit = QStringLiteral("start_freq=\"136000000\" end_freq=\"174000000\"");
    EXPECT_TRUE(AreFrequenciesWithinLimits(Load(parts)));
    parts.limit = QStringLiteral("start_freq=\"150000001\" end_freq=\"174000000\"");
    EXPECT_FALSE(AreFrequenciesWithinLimits(Load(parts)));
}

TEST_F(ProfileQueriesTest, CodesWithinTheHighestCode)
{
    const struct
    {
        const char *what;
        QStringList channels;
        int inUse;
        quint32 highest;
        bool within;
    } cases[] = {
        {"no channel in use", {Channel(0, 0, 220, 220)}, 0, 0, true},
        {"both codes at the highest", {Channel(0, 0, 122, 122), Channel(0, 0, 0, 121)}, 2, 122, true},
        {"receive code above", {Channel(0, 0, 0, 0), Channel(0, 0, 123, 0)}, 2, 122, false},
        {"transmit code above", {Channel(0, 0, 0, 123)}, 1, 122, false},
        {"code above beyond numberChannels", {Channel(0, 0, 10, 10), Channel(0, 0, 214, 214)}, 1, 123, true},
        {"customised codes allowed", {Channel(0, 0, 10, 10), Channel(0, 0, 214, 219)}, 2, 219, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ProfileParts parts;
        parts.setting = InUse(c.inUse);
        parts.channels = c.channels;
        parts.frequencies = {Frequency(435000000)};
        EXPECT_EQ(AreCodesWithin(Load(parts), c.highest), c.within);
    }
}

// A missing element or attribute is the data item's error; the model and
// channel-count queries pass it on with an entry of their own.
TEST_F(ProfileQueriesTest, MissingDataRaisesTheDataItemErrorWithTheQueryTrace)
{
    using Query = std::function<void(const CDataItem &)>;
    const Query display = [](const CDataItem &root) { IsDisplayModel(root); };
    const Query repeater = [](const CDataItem &root) { IsRepeaterModel(root); };
    const Query count = [](const CDataItem &root) { GetEnabledChannelCount(root); };
    const Query limits = [](const CDataItem &root) { AreFrequenciesWithinLimits(root); };
    const Query codes = [](const CDataItem &root) { AreCodesWithin(root, 219); };

    ProfileParts noModel;
    noModel.factory = QStringLiteral("codeplug_version=\"3\"");
    ProfileParts noFlag;
    noFlag.setting = InUse(1);
    noFlag.channels = {QStringLiteral("rx_freq_ndx=\"0\" tx_freq_ndx=\"0\" rx_code=\"0\" tx_code=\"0\"")};
    // numberChannels counts a channel that the profile lacks.
    ProfileParts tooFew;
    tooFew.setting = InUse(2);
    tooFew.channels = {Channel(0, 0)};
    tooFew.frequencies = {Frequency(435000000)};

    const struct
    {
        const char *what;
        ProfileParts parts;
        Query query;
        const char *detail;
        const char *entry; // the query's own trace entry, or none
    } cases[] = {
        {"IsDisplayModel, no model", noModel, display, "Name='model'", "IsDisplayModel"},
        {"IsRepeaterModel, no model", noModel, repeater, "Name='model'", "IsRepeaterModel"},
        {"GetEnabledChannelCount, no flag", noFlag, count, "Name='disable_channel'", "GetEnabledChannelCount"},
        {"GetEnabledChannelCount, too few channels", tooFew, count, "Name='disable_channel'", "GetEnabledChannelCount"},
        {"AreFrequenciesWithinLimits, too few channels", tooFew, limits, "Name='rx_freq_ndx'", nullptr},
        {"AreCodesWithin, too few channels", tooFew, codes, "Name='rx_code'", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const CDataItem &root = Load(c.parts);
        try {
            c.query(root);
            ADD_FAILURE() << "no error raised";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 133);
            const QString trace = e.Trace();
            EXPECT_TRUE(trace.startsWith(QStringLiteral("\n(CDataItem::GetAttributeValue:"))) << e.what();
            EXPECT_TRUE(trace.contains(QLatin1String(c.detail))) << e.what();
            if (c.entry) {
                const QRegularExpression last(QStringLiteral("\\n\\(%1:\\d+\\) $").arg(QLatin1String(c.entry)));
                EXPECT_TRUE(last.match(trace).hasMatch()) << e.what();
                EXPECT_EQ(trace.count(QLatin1Char('\n')), 2) << e.what();
            } else {
                EXPECT_EQ(trace.count(QLatin1Char('\n')), 1) << e.what();
            }
        }
    }
}

TEST_F(ProfileQueriesTest, WideBandCompanderModeOnlyOnBandwidthOne)
{
    ProfileParts parts;
    parts.frequencies = {Frequency(435000000, 1, 0), Frequency(436000000, 2, 0), Frequency(437000000, 0, 5),
                         Frequency(438000000, 1, 2), Frequency(439000000, 3, 1)};
    CDataItem &root = Load(parts);
    SetWideBandCompanderMode(root);

    CDataItem frequencies;
    root.GetChildByName(QStringLiteral("frequencies"), frequencies);
    ASSERT_EQ(frequencies.GetChildCount(), 5);
    const quint32 expected[] = {3, 0, 5, 3, 1};
    for (int i = 0; i < 5; ++i) {
        CDataItem entry;
        frequencies.GetChildByIndex(i, entry);
        EXPECT_EQ(entry.GetAttributeValue(QStringLiteral("compander_lle_mode")).toUInt(), expected[i]) << i;
    }
}

// The mode is set through the data item, so a rule-script hook on the
// attribute decides: here it stores the value it is given and marks the entry.
TEST_F(ProfileQueriesTest, WideBandCompanderModeGoesThroughTheRuleScript)
{
    const QString schemaPath = m_installation.Path() + QStringLiteral("/profiletemplate/DataProfile.xsd");
    QFile schemaFile(schemaPath);
    ASSERT_TRUE(schemaFile.open(QIODevice::ReadOnly));
    QString schema = QString::fromUtf8(schemaFile.readAll());
    schemaFile.close();
    const QString plain = QStringLiteral("<xs:attribute name=\"compander_lle_mode\" type=\"xs:unsignedLong\"/>");
    ASSERT_TRUE(schema.contains(plain));
    schema.replace(plain, QStringLiteral("<xs:attribute name=\"compander_lle_mode\" type=\"xs:unsignedLong\">"
                                         "<xs:annotation><xs:appinfo>"
                                         "<ccps:SchemaExtension xmlns:ccps=\"http://www.velmora.com/TarnCPS/SchemaExtension\""
                                         " SetVal=\"SetCompanderMode\"/>"
                                         "</xs:appinfo></xs:annotation></xs:attribute>"));
    WriteFile(schemaPath, schema.toUtf8());
    WriteFile(m_installation.Path() + QStringLiteral("/profiletemplate/DataProfile.js"),
              "Option Explicit\n"
              "function SetCompanderMode(element, attribute, value, message, confirm, style) {\n"
              "    element.setAttribute(\"compander_lle_mode\", value * 10);\n"
              "    return 0;\n"
              "}\n");

    ProfileParts parts;
    parts.frequencies = {Frequency(435000000, 1, 0), Frequency(436000000, 2, 0), Frequency(437000000, 1, 7)};
    CDataItem &root = Load(parts);
    SetWideBandCompanderMode(root);

    CDataItem frequencies;
    root.GetChildByName(QStringLiteral("frequencies"), frequencies);
    const quint32 expected[] = {30, 0, 30};
    for (int i = 0; i < 3; ++i) {
        CDataItem entry;
        frequencies.GetChildByIndex(i, entry);
        EXPECT_EQ(entry.GetAttributeValue(QStringLiteral("compander_lle_mode")).toUInt(), expected[i]) << i;
    }
    EXPECT_TRUE(m_sink.texts.isEmpty()) << qPrintable(m_sink.texts.join(QLatin1Char('\n')));
}

TEST_F(ProfileQueriesTest, CodeplugVersionSupportedByPhaseDOrTheInstallationsVersion)
{
    // The installation handles codeplug version 3.
    ASSERT_EQ(CAppContext::Instance().Settings().GetCPVersion(), 3);
    const struct
    {
        char phase;
        int version;
        bool supported;
    } cases[] = {
        {'D', 99, true}, {'D', 3, true}, {'R', 1, true}, {'R', 3, true}, {'R', 4, false}, {'R', 99, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.phase << c.version);
        EXPECT_EQ(IsCodeplugVersionSupported(QLatin1Char(c.phase), c.version), c.supported);
    }

    // The version comes from Region.stv, not from the program.
    const QString regionPath = m_installation.Path() + QStringLiteral("/lib/Region.stv");
    QFile regionFile(regionPath);
    ASSERT_TRUE(regionFile.open(QIODevice::ReadOnly));
    QByteArray region = regionFile.readAll();
    regionFile.close();
    ASSERT_TRUE(region.contains("<CPVersion>3</CPVersion>"));
    region.replace("<CPVersion>3</CPVersion>", "<CPVersion>5</CPVersion>");
    WriteFile(regionPath, region);
    ASSERT_TRUE(CAppContext::Instance().Settings().LoadAll());
    EXPECT_TRUE(IsCodeplugVersionSupported(QLatin1Char('R'), 5));
    EXPECT_FALSE(IsCodeplugVersionSupported(QLatin1Char('R'), 6));
    EXPECT_TRUE(IsCodeplugVersionSupported(QLatin1Char('D'), 6));
}
