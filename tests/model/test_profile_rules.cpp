// The rules of the installed rule script, exercised through the data items the
// way the forms and the navigation tree call them, on profiles made from the
// installation's templates: what each rule accepts, what it refuses with which
// message, what it asks first, and what the profile looks like afterwards.

#include "model/DataItem.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/SettingDocuments.h"
#include "settings/TarnCPSException.h"
#include "settings/XmlDocument.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Texts in failure reports.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const char *const kDisplay = "ZR4480 UHF 16CH Display (ZRD51610)";  // 16 channels, 20 of 32 frequencies
const char *const kRepeater = "ZR4400 UHF 4CH Repeater (ZRR50470)"; // receive and transmit edges 450-470 MHz
const char *const kFixedPower = "ZR4400 UHF 4CH Rotary (ZRR50420)"; // no power selection, no customised codes

constexpr int kYes = 6;
constexpr int kYesNoWarning = 0x34;

QString Attr(const CDataItem &item, const char *name)
{
    return Xml::Attribute(item.Node(), name);
}

class ProfileRulesTest : public ::testing::Test
{
protected:
    void SetUp() override { UseInstallation(StagedInstallation()); }

    void TearDown() override
    {
        EXPECT_TRUE(sink.texts.isEmpty()) << qPrintable(sink.texts.join(QLatin1Char('\n')));
        CAppContext::Instance().Reset();
    }

    void UseInstallation(const QString &path)
    {
        config.InstallMachineLevel(path);
        CAppContext &context = CAppContext::Instance();
        context.Reset();
        context.Settings().LoadAll();
        context.SetRegionName(context.Settings().GetRegionName());
    }

    void Load(const char *templateName)
    {
        const QString path = GetInstallPath() + QStringLiteral("/profiletemplate/") + QLatin1String(templateName)
                             + QStringLiteral(".ra9");
        ASSERT_TRUE(model.LoadProfile(path, true)) << templateName;
    }

    CDataItem Item(const char *name)
    {
        CDataItem item;
        model.RootItem().GetChildByName(QLatin1String(name), item);
        return item;
    }
    CDataItem Child(const char *parent, int index)
    {
        CDataItem item;
        Item(parent).GetChildByIndex(index, item);
        return item;
    }
    CDataItem Channel(int index) { return Child("channels", index); }
    CDataItem Frequency(int index) { return Child("frequencies", index); }
    CDataItem Preset(int index) { return Child("setting", index); }

    // Attributes without a hook are set directly: how a test prepares a profile.
    void Prepare(CDataItem item, const char *attribute, const QVariant &value)
    {
        ASSERT_EQ(item.SetAttributeValue(QLatin1String(attribute), value), 0) << attribute;
    }

    QStringList ChannelNames()
    {
        QStringList names;
        for (int i = 0; i < Item("channels").GetChildCount(); ++i)
            names << Attr(Channel(i), "name");
        return names;
    }

    // The frequency (Hz) a channel receives (rx) or transmits (tx) on.
    QString FrequencyOf(int channel, const char *side)
    {
        return Attr(Frequency(Attr(Channel(channel), side).toInt()), "freq");
    }

    QString PresetTarget(int preset) { return Attr(Channel(Attr(Preset(preset), "channel").toInt()), "name"); }

    // The edited profile still satisfies the schema: its text opens again.
    void ExpectStillValid()
    {
        CRadioDataModel again;
        try {
            EXPECT_TRUE(again.LoadProfile(model.ProfileText(), false));
        } catch (const CTarnCPSException &e) {
            ADD_FAILURE() << qPrintable(e.Trace());
        }
    }

    ScopedConfig config;
    CapturingSink sink;
    CRadioDataModel model;
};

struct SetCase
{
    const char *attribute;
    QVariant value;
    int result;
    int message;
    const char *stored; // the attribute's text afterwards (for a refusal: as before)
};

void ExpectSetCases(CDataItem item, CRadioDataModel &model, std::initializer_list<SetCase> cases)
{
    for (const SetCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.attribute << " = " << qPrintable(c.value.toString()));
        const QString before = model.ProfileText();
        int a = -1, b = -1;
        EXPECT_EQ(item.SetAttributeValue(QLatin1String(c.attribute), c.value, a, 0, b), c.result);
        EXPECT_EQ(a, c.message);
        EXPECT_EQ(b, 0);
        EXPECT_EQ(Attr(item, c.attribute), QString::fromUtf8(c.stored));
        if (c.result != 0) {
            EXPECT_EQ(model.ProfileText(), before) << "a refusal changes nothing";
        }
    }
}

// ===== radio-wide settings =================================================

TEST_F(ProfileRulesTest, SettingTextsAndNumbersAreCheckedAndStoredByTheirRule)
{
    Load(kRepeater);
    ExpectSetCases(Item("setting"), model,
                   {
                       {"powerupString", QStringLiteral("HELLO"), 0, 0, "HELLO"},
                       {"powerupString", QStringLiteral(" bdr*{}? "), 0, 0, "bdr*{}?"},
                       {"powerupString", QStringLiteral("&%.+/\\-'"), 0, 0, "&%.+/\\-'"},
                       {"powerupString", QStringLiteral("hello"), 1, 280, "&%.+/\\-'"},
                       {"powerupString", QStringLiteral("CAF\u00c9"), 1, 280, "&%.+/\\-'"},
                       {"powerupString", QStringLiteral("WELCOME 1"), 1, 280, "&%.+/\\-'"},
                       {"powerupString", QStringLiteral("HI THERE"), 0, 0, "HI THERE"},
                       {"powerupString", QString(), 0, 0, ""},

                       {"stationID", QStringLiteral("RPT7abc"), 0, 0, "RPT7abc"},
                       {"stationID", QStringLiteral("RPT-1"), 1, 491, "RPT7abc"},
                       {"stationID", QStringLiteral("ABCDE1234"), 0, 0, "ABCDE1234"},
                       {"stationID", QStringLiteral("ABCDE12345"), 1, 491, "ABCDE1234"},
                       {"stationID", QString(), 0, 0, ""},

                       {"rep_hangtime", 0, 0, 0, "0"},
                       {"rep_hangtime", 50, 0, 0, "50"},
                       {"rep_hangtime", QStringLiteral("12"), 0, 0, "12"},
                       {"rep_hangtime", 51, 1, 492, "12"},
                       {"rep_hangtime", -1, 1, 492, "12"},
                       {"rep_hangtime", 2.5, 1, 492, "12"},
                       {"rep_hangtime", QStringLiteral("1x"), 1, 492, "12"},

                       {"low_battery_tx", 255, 0, 0, "255"},
                       {"low_battery_tx", 0, 0, 0, "0"},
                       {"low_battery_tx", 256, 1, 506, "0"},

                       {"PLcode124", 670, 0, 0, "670"},
                       {"PLcode124", 2550, 0, 0, "2550"},
                       {"PLcode124", QStringLiteral("1318"), 0, 0, "1318"},
                       {"PLcode124", 669, 1, 2049, "1318"},
                       {"PLcode129", 2551, 1, 2049, "1899"},
                       {"PLcode219", 511, 0, 0, "511"},
                       {"PLcode214", 1, 0, 0, "1"},
                       {"PLcode214", 0, 1, 2050, "1"},
                       {"PLcode219", 512, 1, 2050, "511"},

                       {"password", QStringLiteral("0123"), 0, 0, "0123"},
                       {"password", QStringLiteral("123"), 1, 327, "0123"},
                       {"password", QStringLiteral("12a4"), 1, 327, "0123"},
                       {"password", QStringLiteral("12345"), 1, 327, "0123"},
                       {"password", QString(), 0, 0, ""},
                   });
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, ASettingTheModelDoesNotCarryIsNotCreated)
{
    Load(kFixedPower); // no repeater settings, maxCodes 122: no customised codes
    CDataItem setting = Item("setting");
    const QString before = model.ProfileText();
    const struct
    {
        const char *attribute;
        QVariant value;
        int message;
    } cases[] = {{"PLcode124", 1000, 2049}, {"PLcode214", 100, 2050}, {"rep_hangtime", 5, 492},
                 {"stationID", QStringLiteral("ABC"), 491}, {"low_battery_tx", 5, 506}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.attribute);
        int a = 0, b = 0;
        EXPECT_EQ(setting.SetAttributeValue(QLatin1String(c.attribute), c.value, a, 0, b), 1);
        EXPECT_EQ(a, c.message);
        EXPECT_FALSE(setting.HasAttribute(QLatin1String(c.attribute)));
    }
    EXPECT_EQ(model.ProfileText(), before);
}

TEST_F(ProfileRulesTest, AFunctionGoesOnOneButtonOnlyExceptNoFunction)
{
    Load(kDisplay); // buttons 7 4 9 10 11
    CDataItem setting = Item("setting");
    const auto buttons = [&] {
        QStringList codes;
        for (const char *b : {"side1_but", "side2_but", "upper_right_but", "lower_left_but", "lower_right_but"})
            codes << Attr(setting, b);
        return codes.join(QLatin1Char(' '));
    };
    const struct
    {
        const char *attribute;
        QVariant value;
        int result;
        int message;
        const char *after;
    } steps[] = {
        {"upper_right_but", 7, 1, 281, "7 4 9 10 11"},
        {"side2_but", 11, 1, 281, "7 4 9 10 11"},
        {"upper_right_but", 9, 0, 0, "7 4 9 10 11"}, // its own function again
        {"side1_but", 0, 0, 0, "0 4 9 10 11"},
        {"side2_but", 0, 0, 0, "0 0 9 10 11"}, // no function on two buttons
        {"side1_but", 10, 1, 281, "0 0 9 10 11"},
        {"side1_but", QStringLiteral("13"), 0, 0, "13 0 9 10 11"},
        {"lower_left_but", 16, 1, 327, "13 0 9 10 11"},
        {"lower_left_but", -1, 1, 327, "13 0 9 10 11"},
        {"lower_left_but", QStringLiteral("Preset 2"), 1, 327, "13 0 9 10 11"},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << s.attribute << " = " << qPrintable(s.value.toString()));
        int a = -1, b = -1;
        EXPECT_EQ(setting.SetAttributeValue(QLatin1String(s.attribute), s.value, a, 0, b), s.result);
        EXPECT_EQ(a, s.message);
        EXPECT_EQ(buttons(), QLatin1String(s.after));
    }

    // Button Reset on the buttons form: every button to 0, then the defaults.
    for (const char *b : {"side1_but", "side2_but", "upper_right_but", "lower_left_but", "lower_right_but"})
        EXPECT_EQ(setting.SetAttributeValue(QLatin1String(b), 0), 0) << b;
    const int defaults[] = {7, 4, 9, 10, 11};
    int i = 0;
    for (const char *b : {"side1_but", "side2_but", "upper_right_but", "lower_left_but", "lower_right_but"})
        EXPECT_EQ(setting.SetAttributeValue(QLatin1String(b), defaults[i++]), 0) << b;
    EXPECT_EQ(buttons(), QStringLiteral("7 4 9 10 11"));
}

// ===== channel form =========================================================

TEST_F(ProfileRulesTest, ChannelNamesUseTheDisplaysCharactersAndAreUniqueAmongChannelsInUse)
{
    Load(kDisplay); // CH01 ... CH12, RPT1 ... RPT4
    CDataItem first = Channel(0);
    ExpectSetCases(first, model,
                   {
                       {"name", QStringLiteral("OFFICE"), 0, 0, "OFFICE"},
                       {"name", QStringLiteral("  Lob 2 "), 0, 0, "Lob 2"},
                       {"name", QStringLiteral("ABCDEFGH"), 0, 0, "ABCDEFGH"},
                       {"name", QStringLiteral("ABCDEFGHI"), 1, 222, "ABCDEFGH"},
                       {"name", QStringLiteral("CHa"), 1, 222, "ABCDEFGH"},
                       {"name", QStringLiteral("CH_1"), 1, 222, "ABCDEFGH"},
                       {"name", QString(), 1, 222, "ABCDEFGH"},
                       {"name", QStringLiteral("   "), 1, 222, "ABCDEFGH"},
                       {"name", QStringLiteral("CH02"), 1, 298, "ABCDEFGH"},
                       {"name", QStringLiteral(" RPT4"), 1, 298, "ABCDEFGH"},
                       {"name", QStringLiteral("ch02"), 0, 0, "ch02"}, // c and h are display characters
                       {"name", QStringLiteral("ch02"), 0, 0, "ch02"}, // its own name again
                   });

    // A slot beyond numberChannels is no channel in use: its name is free.
    Prepare(Item("setting"), "numberChannels", 15);
    ExpectSetCases(first, model, {{"name", QStringLiteral("RPT4"), 0, 0, "RPT4"}});
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, ChannelFrequencyIsAnEntryOfTheTableInsideTheReceiveOrTransmitBand)
{
    Load(kDisplay);
    // CH01 talkaround on entry 0; RPT2 (channel 13) receives on 13, transmits on 17.
    // Entry 19 is given the frequency of entry 13.
    Prepare(Frequency(19), "freq", Attr(Frequency(13), "freq"));
    CDataItem talkaround = Channel(0);
    CDataItem repeater = Channel(13);
    ExpectSetCases(talkaround, model,
                   {
                       {"rx_freq_ndx", 5, 0, 0, "5"},
                       {"rx_freq_ndx", QStringLiteral("6"), 0, 0, "6"},
                       {"tx_freq_ndx", 20, 1, 284, "0"}, // past the table's last entry
                       {"tx_freq_ndx", -1, 1, 284, "0"},
                       {"tx_freq_ndx", 19, 0, 0, "19"},
                       {"rx_freq_ndx", 13, 0, 0, "13"}, // same frequency both ways is talkaround
                   });
    ExpectSetCases(repeater, model,
                   {
                       {"tx_freq_ndx", 19, 1, 500, "17"}, // another entry with the receive frequency
                       {"rx_freq_ndx", 19, 0, 0, "19"},  // now transmit (17) differs
                       {"tx_freq_ndx", 13, 1, 500, "17"},
                       // The very entry of the other side: the channel form moves the transmit side on.
                       {"tx_freq_ndx", 19, 0, 0, "19"},
                   });

    // Entries outside the band are not offered; as receive frequency 501, as transmit frequency 502.
    Prepare(Item("limit"), "end_freq", 463000000);
    ExpectSetCases(talkaround, model,
                   {
                       {"rx_freq_ndx", 12, 1, 501, "13"},
                       {"tx_freq_ndx", 12, 1, 502, "19"},
                       {"rx_freq_ndx", 11, 0, 0, "11"},
                   });
}

TEST_F(ProfileRulesTest, ModelWithSeparateReceiveAndTransmitEdgesChecksEachSide)
{
    Load(kRepeater);
    int a = 0, b = 0;
    ASSERT_TRUE(Item("frequencies").AddFrequency(440000000, 2, 3, 2, a, b)); // in the band, below 450 MHz
    ExpectSetCases(Channel(0), model,
                   {
                       {"rx_freq_ndx", 8, 1, 501, "0"},
                       {"tx_freq_ndx", 8, 1, 502, "4"},
                       {"tx_freq_ndx", 5, 0, 0, "5"},
                   });
}

// ===== frequency table ======================================================

TEST_F(ProfileRulesTest, AddedFrequencyMustBeNewInTheBandAndOfClassesTheModelHas)
{
    Load(kDisplay); // band 400-470 MHz, power selectable, 20 of 32 entries
    CDataItem frequencies = Item("frequencies");
    const struct
    {
        quint32 frequency;
        quint32 bandwidth, power, compander;
        int message;             // 0: added
        const char *storedEntry; // "freq bandwidth power compander" of the new last entry
    } cases[] = {
        {462000000, 2, 3, 2, 0, "462000000 2 3 2"},
        {400000000, 0, 0, 3, 0, "400000000 0 0 3"},
        {470000000, 1, 1, 2, 0, "470000000 1 1 3"}, // 25 kHz only: compander off
        {399999999, 2, 3, 2, 269, nullptr},
        {470000001, 2, 3, 2, 269, nullptr},
        {0, 2, 3, 2, 284, nullptr},
        {461025000, 2, 3, 2, 287, nullptr}, // the template's first entry
        {462000000, 0, 0, 2, 287, nullptr}, // added above
        {462100000, 4, 3, 2, 285, nullptr},
        {462100000, 2, 4, 2, 286, nullptr},
        {462100000, 2, 3, 5, 327, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.frequency);
        const QString before = model.ProfileText();
        const int count = frequencies.GetChildCount();
        int a = -1, b = -1;
        EXPECT_EQ(frequencies.AddFrequency(c.frequency, c.bandwidth, c.power, c.compander, a, b), c.message == 0);
        EXPECT_EQ(a, c.message);
        EXPECT_EQ(b, 0);
        if (c.message != 0) {
            EXPECT_EQ(model.ProfileText(), before);
            continue;
        }
        ASSERT_EQ(frequencies.GetChildCount(), count + 1);
        const CDataItem entry = Frequency(count);
        EXPECT_EQ(QStringList({Attr(entry, "freq"), Attr(entry, "bandwidth"), Attr(entry, "power_level"),
                               Attr(entry, "compander_lle_mode")})
                      .join(QLatin1Char(' ')),
                  QLatin1String(c.storedEntry));
    }

    // The table takes max_valid_freqs entries.
    int a = 0, b = 0;
    for (quint32 f = 465000000; frequencies.GetChildCount() < 32; f += 12500) {
        ASSERT_TRUE(frequencies.CanAddChild());
        ASSERT_TRUE(frequencies.AddFrequency(f, 2, 3, 2, a, b)) << f;
    }
    EXPECT_FALSE(frequencies.CanAddChild());
    EXPECT_FALSE(frequencies.AddFrequency(466000000, 2, 3, 2, a, b));
    EXPECT_EQ(a, 327);
    EXPECT_EQ(frequencies.GetChildCount(), 32);
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, SelectablePowerIsRefusedWhereTheModelCannotSelectPower)
{
    Load(kFixedPower); // power not selectable; entry 0: 12.5 kHz only, low power only
    CDataItem frequencies = Item("frequencies");
    const quint32 first = Attr(Frequency(0), "freq").toUInt();
    const struct
    {
        quint32 power;
        bool accepted;
    } cases[] = {{2, false}, {3, false}, {1, true}, {0, true}};
    quint32 added = 462000000;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.power);
        int a = -1, b = -1;
        EXPECT_EQ(frequencies.AddFrequency(added += 25000, 0, c.power, 2, a, b), c.accepted);
        EXPECT_EQ(a, c.accepted ? 0 : 286);
        EXPECT_EQ(frequencies.SetFreqAttributeValue(0, first, 0, c.power, 2, a, b, kYes), c.accepted ? 0 : 1);
        EXPECT_EQ(a, c.accepted ? 0 : 286);
        EXPECT_EQ(Attr(Frequency(0), "power_level"), QString::number(c.accepted ? c.power : 0));
    }
}

TEST_F(ProfileRulesTest, ChangingAFrequencyThatChannelsUseAsksAndThenGivesThemTheNewDefaults)
{
    Load(kDisplay); // CH01 receives and transmits on entry 0: 461.025 MHz, classes 2 and 3
    CDataItem frequencies = Item("frequencies");
    const QString before = model.ProfileText();
    int a = -1, b = -1;
    EXPECT_EQ(frequencies.SetFreqAttributeValue(0, 461012500u, 3, 0, 2, a, b, 0), 2);
    EXPECT_EQ(a, 394);
    EXPECT_EQ(b, kYesNoWarning);
    EXPECT_EQ(model.ProfileText(), before) << "nothing changes before the answer";

    EXPECT_EQ(frequencies.SetFreqAttributeValue(0, 461012500u, 3, 0, 2, a, b, kYes), 0);
    const CDataItem entry = Frequency(0);
    EXPECT_EQ(Attr(entry, "freq"), QStringLiteral("461012500"));
    EXPECT_EQ(Attr(entry, "bandwidth"), QStringLiteral("3"));
    EXPECT_EQ(Attr(entry, "power_level"), QStringLiteral("0"));
    const CDataItem channel = Channel(0);
    for (const char *attribute : {"rx_bw", "tx_bw"})
        EXPECT_EQ(Attr(channel, attribute), QStringLiteral("1")) << attribute << ": 25 kHz is the new default";
    for (const char *attribute : {"talkaround_power", "repeater_power"})
        EXPECT_EQ(Attr(channel, attribute), QStringLiteral("0")) << attribute << ": low power only";
    EXPECT_EQ(Attr(Channel(1), "rx_bw"), QStringLiteral("0")) << "a channel on another entry keeps its choice";

    // Only the compander: the channels keep their choices and nobody is asked.
    EXPECT_EQ(frequencies.SetFreqAttributeValue(1, 461050000u, 2, 3, 3, a, b, 0), 0);
    EXPECT_EQ(Attr(Frequency(1), "compander_lle_mode"), QStringLiteral("3"));

    // An entry no channel uses changes at once.
    ASSERT_TRUE(frequencies.AddFrequency(462000000, 2, 3, 2, a, b));
    EXPECT_EQ(frequencies.SetFreqAttributeValue(20, 462500000u, 0, 1, 2, a, b, 0), 0);
    EXPECT_EQ(Attr(Frequency(20), "freq"), QStringLiteral("462500000"));
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, AChangedFrequencyIsRefusedBeforeAnythingIsAsked)
{
    Load(kDisplay);
    CDataItem frequencies = Item("frequencies");
    const struct
    {
        QVariant index;
        quint32 frequency;
        int bandwidth, power, compander;
        int message;
    } cases[] = {
        {2, 461100000, 2, 3, 2, 385}, // entry 3's frequency
        {2, 470000001, 2, 3, 2, 269},
        {2, 0, 2, 3, 2, 284},
        {2, 461075000, 7, 3, 2, 285},
        {2, 461075000, 2, 9, 2, 286},
        {2, 461075000, 2, 3, 0, 327},
        {20, 462000000, 2, 3, 2, 327}, // no entry 20
        {-1, 462000000, 2, 3, 2, 327},
    };
    const QString before = model.ProfileText();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.index.toInt() << " " << c.frequency);
        for (int confirm : {0, kYes}) {
            int a = -1, b = -1;
            EXPECT_EQ(frequencies.SetFreqAttributeValue(c.index, c.frequency, c.bandwidth, c.power, c.compander, a, b,
                                                        confirm),
                      1);
            EXPECT_EQ(a, c.message);
        }
    }
    EXPECT_EQ(model.ProfileText(), before);

    // The repeater model: a frequency a channel receives on stays within 450-470 MHz, one it transmits on too.
    Load(kRepeater); // RPT1 receives on entry 0 and transmits on entry 4
    CDataItem repeaterFrequencies = Item("frequencies");
    int a = -1, b = -1;
    EXPECT_EQ(repeaterFrequencies.SetFreqAttributeValue(0, 445000000u, 2, 3, 2, a, b, kYes), 1);
    EXPECT_EQ(a, 501);
    EXPECT_EQ(repeaterFrequencies.SetFreqAttributeValue(4, 445000000u, 2, 3, 2, a, b, kYes), 1);
    EXPECT_EQ(a, 502);
}

TEST_F(ProfileRulesTest, DeletingAFrequencyKeepsEveryChannelOnItsFrequencies)
{
    Load(kDisplay);
    CDataItem frequencies = Item("frequencies");
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(frequencies.CanDeleteFrequency(i)) << i << " is used by a channel";
    EXPECT_FALSE(frequencies.CanDeleteFrequency(20)) << "there is no entry 20";
    int a = -1, b = -1;
    const QString before = model.ProfileText();
    EXPECT_EQ(frequencies.RemoveChildByIndex(0, a, 0, b), 1);
    EXPECT_EQ(a, 288);
    EXPECT_EQ(model.ProfileText(), before);

    // RPT3 (rx 14, tx 18) and RPT4 (rx 15, tx 19) become unused slots; RPT1 and RPT2 transmit on 16 and 17.
    Prepare(Item("setting"), "numberChannels", 14);
    for (int i : {14, 15, 18, 19})
        EXPECT_TRUE(frequencies.CanDeleteFrequency(i)) << i;
    for (int i : {12, 13, 16, 17})
        EXPECT_FALSE(frequencies.CanDeleteFrequency(i)) << i;

    QStringList used;
    for (int c = 0; c < 14; ++c)
        used << FrequencyOf(c, "rx_freq_ndx") + QLatin1Char('/') + FrequencyOf(c, "tx_freq_ndx");

    // The frequency form deletes the selected rows 14 and 18 in ascending order, correcting the positions.
    EXPECT_EQ(frequencies.RemoveChildByIndex(14, a, 0, b), 0);
    EXPECT_EQ(frequencies.RemoveChildByIndex(18 - 1, a, 0, b), 0);
    EXPECT_EQ(frequencies.GetChildCount(), 18);

    QStringList usedAfter;
    for (int c = 0; c < 14; ++c)
        usedAfter << FrequencyOf(c, "rx_freq_ndx") + QLatin1Char('/') + FrequencyOf(c, "tx_freq_ndx");
    EXPECT_EQ(usedAfter, used);
    EXPECT_EQ(Attr(Channel(12), "tx_freq_ndx"), QStringLiteral("15"));
    // The unused slots: RPT3 pointed at both removed entries, RPT4 moves with its entries.
    EXPECT_EQ(Attr(Channel(14), "rx_freq_ndx") + QLatin1Char(' ') + Attr(Channel(14), "tx_freq_ndx"), QStringLiteral("0 0"));
    EXPECT_EQ(Attr(Channel(15), "rx_freq_ndx") + QLatin1Char(' ') + Attr(Channel(15), "tx_freq_ndx"), QStringLiteral("14 17"));
    ExpectStillValid();
}

// ===== navigation tree: adding and deleting channels ========================

TEST_F(ProfileRulesTest, DeletedChannelFreesASlotForANewOne)
{
    Load(kDisplay); // all 16 slots in use
    CDataItem channels = Item("channels");
    EXPECT_FALSE(channels.CanAddChild());
    CDataItem none;
    channels.AddNewChild(none);
    EXPECT_TRUE(none.IsEmpty());

    int a = -1, b = -1;
    ASSERT_TRUE(Channel(2).CanDeleteChild());
    EXPECT_EQ(channels.RemoveChildByIndex(2, a, 0, b), 0) << "no preset selects CH03";
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("15"));
    EXPECT_EQ(channels.GetChildCount(), 15);
    EXPECT_EQ(ChannelNames().mid(1, 2), QStringList({QStringLiteral("CH02"), QStringLiteral("CH04")}));
    EXPECT_EQ(PresetTarget(0), QStringLiteral("CH01"));
    EXPECT_EQ(PresetTarget(1), QStringLiteral("CH02"));

    ASSERT_TRUE(channels.CanAddChild());
    CDataItem added;
    channels.AddNewChild(added);
    ASSERT_FALSE(added.IsEmpty());
    EXPECT_EQ(added.Node(), Channel(15).Node()) << "the new channel takes the first unused slot";
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("16"));
    const struct
    {
        const char *attribute;
        const char *value;
    } expected[] = {
        {"name", "CHAN 1"},  {"rx_freq_ndx", "0"}, {"tx_freq_ndx", "0"}, {"rx_code", "0"},
        {"tx_code", "0"},    {"rx_bw", "0"},       {"tx_bw", "0"},       {"talkaround_power", "1"},
        {"repeater_power", "1"}, {"repeater", "0"}, {"disable_channel", "0"}, {"in_scanlist", "0"},
    };
    for (const auto &e : expected)
        EXPECT_EQ(Attr(added, e.attribute), QLatin1String(e.value)) << e.attribute;
    EXPECT_FALSE(channels.CanAddChild());
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, NewChannelReplacesTheFirstUnusedSlotWithAFreeNameAndTheFirstFrequencyOfTheBand)
{
    Load(kDisplay);
    Prepare(Item("setting"), "numberChannels", 14); // RPT3 and RPT4 become unused slots
    Prepare(Item("limit"), "start_freq", 461100000); // entries 0-2 leave the band
    ExpectSetCases(Channel(0), model, {{"name", QStringLiteral("CHAN 1"), 0, 0, "CHAN 1"}});

    CDataItem channels = Item("channels");
    CDataItem added;
    channels.AddNewChild(added);
    ASSERT_FALSE(added.IsEmpty());
    EXPECT_EQ(channels.GetChildCount(), 16);
    EXPECT_EQ(added.Node(), Channel(14).Node());
    EXPECT_EQ(ChannelNames().mid(13), QStringList({QStringLiteral("RPT2"), QStringLiteral("CHAN 2"), QStringLiteral("RPT4")}));
    EXPECT_EQ(Attr(added, "rx_freq_ndx"), QStringLiteral("3"));
    EXPECT_EQ(Attr(added, "tx_freq_ndx"), QStringLiteral("3"));
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("15"));
    EXPECT_TRUE(channels.CanAddChild());
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, DeletingAChannelOnAPresetButtonAsksFirst)
{
    Load(kDisplay); // preset 1 selects CH01 and button A carries Preset 1
    Prepare(Preset(1), "channel", 5);
    CDataItem channels = Item("channels");
    const QString before = model.ProfileText();
    int a = -1, b = -1;
    EXPECT_EQ(channels.RemoveChildByIndex(0, a, 0, b), 2);
    EXPECT_EQ(a, 401);
    EXPECT_EQ(b, kYesNoWarning);
    EXPECT_EQ(model.ProfileText(), before);

    EXPECT_EQ(channels.RemoveChildByIndex(0, a, kYes, b), 0);
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("15"));
    EXPECT_EQ(ChannelNames().first(), QStringLiteral("CH02"));
    EXPECT_EQ(Attr(Preset(0), "channel"), QStringLiteral("0")) << "the first enabled channel";
    EXPECT_EQ(PresetTarget(1), QStringLiteral("CH06")) << "preset 2 stays on its channel";
    ExpectStillValid();
}

TEST_F(ProfileRulesTest, DeletingAChannelKeepsThePresetsOnTheirChannelsOrMovesThemToEnabledOnes)
{
    const struct
    {
        const char *what;
        int inUse;
        std::vector<int> disabled;
        int preset1, preset2;
        int deleted;
        const char *presetsAfter;
    } cases[] = {
        {"presets before and right after the deleted channel", 16, {}, 0, 4, 3, "0 3"},
        {"both on the deleted channel, the next one disabled", 16, {1}, 0, 0, 0, "1 2"},
        {"fewer enabled channels than presets", 2, {}, 1, 1, 1, "0 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Load(kDisplay);
        CDataItem setting = Item("setting");
        for (const char *button : {"upper_right_but", "lower_left_but"}) // no button selects a preset
            ASSERT_EQ(setting.SetAttributeValue(QLatin1String(button), 0), 0);
        Prepare(setting, "numberChannels", c.inUse);
        for (int d : c.disabled)
            Prepare(Channel(d), "disable_channel", true);
        Prepare(Preset(0), "channel", c.preset1);
        Prepare(Preset(1), "channel", c.preset2);

        int a = -1, b = -1;
        EXPECT_EQ(Item("channels").RemoveChildByIndex(c.deleted, a, 0, b), 0);
        EXPECT_EQ(Attr(Preset(0), "channel") + QLatin1Char(' ') + Attr(Preset(1), "channel"),
                  QLatin1String(c.presetsAfter));
        EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QString::number(c.inUse - 1));
        for (int p : {0, 1})
            EXPECT_EQ(Attr(Channel(Attr(Preset(p), "channel").toInt()), "disable_channel"), QStringLiteral("0"))
                << "preset " << p + 1 << " selects an enabled channel";
    }
}

TEST_F(ProfileRulesTest, TheLastEnabledChannelCannotBeDeleted)
{
    Load(kDisplay);
    Prepare(Item("setting"), "numberChannels", 3);
    Prepare(Channel(1), "disable_channel", true);
    Prepare(Channel(2), "disable_channel", true);
    EXPECT_FALSE(Channel(0).CanDeleteChild());
    EXPECT_TRUE(Channel(1).CanDeleteChild());
    EXPECT_TRUE(Channel(10).CanDeleteChild()) << "an unused slot";

    CDataItem channels = Item("channels");
    const QString before = model.ProfileText();
    int a = -1, b = -1;
    EXPECT_EQ(channels.RemoveChildByIndex(0, a, kYes, b), 1);
    EXPECT_EQ(a, 338);
    EXPECT_EQ(model.ProfileText(), before);

    EXPECT_EQ(channels.RemoveChildByIndex(1, a, kYes, b), 0) << "Yes: preset 2 selected it";
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("2"));
    EXPECT_EQ(channels.RemoveChildByIndex(10, a, 0, b), 0) << "an unused slot";
    EXPECT_EQ(Attr(Item("setting"), "numberChannels"), QStringLiteral("2"));
    EXPECT_EQ(channels.GetChildCount(), 14);
    ExpectStillValid();
}

// ===== failures ============================================================

TEST_F(ProfileRulesTest, ARuleThatThrowsAfterItsChangeLeavesTheProfileAsItWas)
{
    // The shipped rules, each wrapped so that it throws once it has done its work.
    QTemporaryDir dir;
    const QString installation = CopyInstallation(dir.path());
    QFile script(installation + QStringLiteral("/profiletemplate/DataProfile.js"));
    ASSERT_TRUE(script.open(QIODevice::Append));
    script.write("\nfunction FailAfter(rule) {\n"
                 "    return function () { rule.apply(null, arguments); throw new Error('failed after the change'); };\n"
                 "}\n"
                 "DeleteChannel = FailAfter(DeleteChannel);\n"
                 "SetFrequencyAttributes = FailAfter(SetFrequencyAttributes);\n"
                 "SetChannelName = FailAfter(SetChannelName);\n"
                 "AddNewChannel = FailAfter(AddNewChannel);\n");
    script.close();
    UseInstallation(installation);
    Load(kDisplay);
    Prepare(Item("setting"), "numberChannels", 15);
    const QString before = model.ProfileText();

    const std::pair<const char *, std::function<void()>> calls[] = {
        {"DeleteChannel", [&] { int a, b; Item("channels").RemoveChildByIndex(0, a, kYes, b); }},
        {"SetFrequencyAttributes",
         [&] { int a, b; Item("frequencies").SetFreqAttributeValue(0, 461012500u, 3, 0, 2, a, b, kYes); }},
        {"SetChannelName", [&] { int a, b; Channel(3).SetAttributeValue(QStringLiteral("name"), QStringLiteral("NEW"), a, 0, b); }},
        {"AddNewChannel", [&] { CDataItem added; Item("channels").AddNewChild(added); }},
    };
    for (const auto &[rule, call] : calls) {
        SCOPED_TRACE(rule);
        sink.texts.clear();
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 131);
        }
        EXPECT_EQ(model.ProfileText(), before);
        EXPECT_EQ(sink.texts.size(), 1) << "the script error is shown";
    }
    sink.texts.clear();
}

} // namespace
