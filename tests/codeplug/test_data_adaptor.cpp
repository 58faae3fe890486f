// Profiles into codeplug images and images into profile text: where every
// attribute lands, the reading rules, what a conversion leaves alone, the
// exact text form, the renaming of equal channel names, refusals and errors,
// and round trips through a loaded profile.

#include "codeplug/DataAdaptor.h"
#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/Installation.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"
#include "settings/XmlDocument.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QList>
#include <QRegularExpression>

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

using CP = VirtualCP;

// ---- images ----

// An image whose every byte differs from its neighbours and from the cleared
// image, so that a stray write shows wherever it lands.
VirtualCP PatternedImage()
{
    QByteArray bytes(CP::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x5A ^ (i * 7));
    VirtualCP image;
    EXPECT_TRUE(image.Load(bytes));
    return image;
}

VirtualCP WithBytes(const VirtualCP &image, int offset, const QByteArray &bytes)
{
    QByteArray all = image.Save();
    all.replace(offset, bytes.size(), bytes);
    VirtualCP changed;
    EXPECT_TRUE(changed.Load(all));
    return changed;
}

QList<int> Differences(const VirtualCP &a, const VirtualCP &b)
{
    QList<int> positions;
    for (int i = 0; i < CP::kSize; ++i)
        if (a.Bytes()[i] != b.Bytes()[i])
            positions.append(i);
    return positions;
}

std::string Hex(const QList<int> &offsets)
{
    QStringList parts;
    for (int offset : offsets)
        parts << QStringLiteral("0x%1").arg(offset, 3, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(' ')).toStdString();
}

CRadioIdentity Radio(quint8 codeplugVersion)
{
    CRadioIdentity radio;
    radio.codeplugVersion = codeplugVersion;
    return radio;
}

// ---- profile texts ----

QString Fixture()
{
    QString text;
    EXPECT_TRUE(LoadTextFile(QStringLiteral(TARN_TESTDATA_DIR "/profile_three_channels.xml"), text));
    return text;
}

QString WithoutAttribute(QString text, const QString &name, int occurrence = 0)
{
    const QRegularExpression attribute(QStringLiteral("\\s%1=\"[^\"]*\"").arg(name));
    QRegularExpressionMatchIterator it = attribute.globalMatch(text);
    for (int i = 0; it.hasNext(); ++i) {
        const QRegularExpressionMatch match = it.next();
        if (i == occurrence)
            return text.remove(match.capturedStart(), match.capturedLength());
    }
    ADD_FAILURE() << "no attribute " << name.toStdString();
    return text;
}

// The text with the content of <element>...</element> replaced.
QString WithContent(QString text, const QString &element, const QString &content)
{
    const qsizetype start = text.indexOf(QStringLiteral("<%1>").arg(element));
    const qsizetype end = text.indexOf(QStringLiteral("</%1>").arg(element));
    EXPECT_TRUE(start >= 0 && end > start) << element.toStdString();
    const qsizetype from = start + element.size() + 2;
    return text.replace(from, end - from, content);
}

QString ChannelElement(const QString &name)
{
    return QStringLiteral("<channel rx_freq_ndx=\"1\" rx_code=\"2\" tx_freq_ndx=\"3\" tx_code=\"4\" rx_bw=\"1\" tx_bw=\"1\" "
                          "talkaround_power=\"1\" repeater_power=\"1\" repeater=\"1\" autoScan=\"1\" scramble_code=\"5\" "
                          "name=\"%1\" disable_channel=\"1\" talkaround_scan=\"1\" in_scanlist=\"1\"/>")
        .arg(name);
}

VirtualCP Converted(const QString &text, VirtualCP image = PatternedImage(), quint8 radioVersion = 3)
{
    EXPECT_EQ(CDataAdaptor::XML2VirtualCP(text, image, Radio(radioVersion)), 1);
    return image;
}

// The value of attribute `name` of the n-th element `element` in a profile text.
QString AttributeOf(const QString &text, const char *element, const char *name, int occurrence = 0)
{
    XmlDocPtr doc = Xml::ParseText(text);
    EXPECT_TRUE(doc);
    const std::vector<xmlNode *> nodes = Xml::Select(doc.get(), QStringLiteral("//dfns:%1").arg(QLatin1String(element)));
    EXPECT_GT(int(nodes.size()), occurrence) << element;
    return int(nodes.size()) > occurrence ? Xml::Attribute(nodes[size_t(occurrence)], name) : QString();
}

int CountOf(const QString &text, const char *element)
{
    XmlDocPtr doc = Xml::ParseText(text);
    EXPECT_TRUE(doc);
    return int(Xml::Select(doc.get(), QStringLiteral("//dfns:%1").arg(QLatin1String(element))).size());
}

QString ToText(const VirtualCP &image)
{
    QString text;
    EXPECT_EQ(CDataAdaptor::VirtualCP2XML(image, text), 1);
    return text;
}

// Every element in document order with its attributes sorted: equal outlines
// are equal profiles, whatever the attribute order and spacing.
QStringList Outline(const QString &text, const QStringList &leaveOut = {})
{
    XmlDocPtr doc = Xml::ParseText(text);
    EXPECT_TRUE(doc);
    QStringList lines;
    std::function<void(xmlNode *, int)> walk = [&](xmlNode *node, int depth) {
        for (; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE || leaveOut.contains(Xml::NodeName(node)))
                continue;
            QStringList attributes;
            for (xmlAttr *a = node->properties; a; a = a->next) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char *>(a->name));
                if (!leaveOut.contains(name))
                    attributes << name + QLatin1Char('=') + Xml::Attribute(node, reinterpret_cast<const char *>(a->name));
            }
            attributes.sort();
            lines << QString(depth, QLatin1Char(' ')) + Xml::NodeName(node) + QLatin1Char(' ') + attributes.join(QLatin1Char(' '));
            walk(node->children, depth + 1);
        }
    };
    if (doc)
        walk(xmlDocGetRootElement(doc.get()), 0);
    return lines;
}

// ---- profile into image ----

// The fixture over a patterned image, byte by byte from the layout; every
// byte not named here keeps the pattern.
TEST(DataAdaptorTest, EveryAttributeOfAProfileLandsInItsField)
{
    const VirtualCP pattern = PatternedImage();
    const struct
    {
        int offset;
        QByteArray bytes;
    } fields[] = {
        // factory block: phase, version digits, codeplug phase, version, dev
        // version, model characters and digits, serial, synthesiser base
        {0x000, QByteArray("R17P\x03\x02ZRD\x05\x01\x06\x01\x00", 14) + "517TRM2284" + QByteArray::fromHex("90010000")},
        {0x01C, QByteArray::fromHex("0303")},
        {0x020, QByteArray::fromHex("0084d717" "80a1031c" "01")},
        {0x02A, QByteArray::fromHex("00010001000100010001010101" "0502")},
        {0x03C, QByteArray::fromHex("db000000" "01000100010000")},
        {0x048, QByteArray("1234") + QByteArray::fromHex("0100013c0103020406" "0100")},
        {0x062, QByteArray::fromHex("0301") + QByteArray("HELLO\0\0\0", 8) + QByteArray::fromHex("0001000102" "0102" "05")},
        // channels: the numbers, the eight switches, the scramble code, the name
        {0x074, QByteArray::fromHex("000c0112" "0100010001000101" "03") + QByteArray("ALPHA\0\0\0", 8)},
        {0x08A, QByteArray::fromHex("01180118" "0001000100010001" "01") + QByteArray("BRAVO\0\0\0", 8)},
        {0x0A0, QByteArray::fromHex("0282028c" "0101010100000100" "00") + QByteArray("CHARLIE\0", 8)},
        // customised PL and DPL words
        {0x216, QByteArray::fromHex("3e067706b106ed062b076b07" "0f002800470048004f006500")},
        // frequencies: R, N - base, power, compander, bandwidth, 4; F high, F low
        {0x230, QByteArray::fromHex("072802030104")},
        {0x238, QByteArray::fromHex("08000000" "44950000")},
        {0x240, QByteArray::fromHex("072801020204")},
        {0x248, QByteArray::fromHex("00000000" "00000000")},
        {0x250, QByteArray::fromHex("072d03000304")},
        {0x258, QByteArray::fromHex("07000000" "a40e0000")},
        {0x860, QByteArray::fromHex("05")},
    };
    VirtualCP expected = pattern;
    for (const auto &field : fields)
        expected = WithBytes(expected, field.offset, field.bytes);
    // The button entries and scan bits share their bytes with entries and
    // bits the profile does not carry.
    expected.SetButtonEntry(5, 9);
    expected.SetButtonEntry(6, 7);
    expected.SetButtonEntry(8, 10);
    expected.SetButtonEntry(9, 11);
    expected.SetButtonEntry(11, 4);
    expected.SetScanBit(0, true);
    expected.SetScanBit(1, false);
    expected.SetScanBit(2, true);

    const VirtualCP converted = Converted(Fixture(), pattern);
    EXPECT_EQ(Differences(converted, expected), QList<int>()) << Hex(Differences(converted, expected));
    EXPECT_EQ(converted.DecodeFrequency(0), 462562500u);
    EXPECT_EQ(converted.DecodeFrequency(1), 462000000u);
}

// Each case changes one attribute of the fixture: exactly the bytes of its
// field may change, to the given value.
TEST(DataAdaptorTest, ReadingRules)
{
    const struct
    {
        const char *what;
        const char *attribute;
        int occurrence;
        QString value;
        int offset;
        QByteArray bytes;
    } cases[] = {
        // number: low bytes that fit, white space, sign, overflow, no digits
        {"number", "rx_code", 0, QStringLiteral("300"), 0x75, QByteArray::fromHex("2c")},
        {"leading blanks", "rx_code", 0, QStringLiteral("  42x"), 0x75, QByteArray::fromHex("2a")},
        {"no digits", "rx_code", 0, QStringLiteral("abc"), 0x75, QByteArray::fromHex("00")},
        {"empty", "rx_code", 0, QString(), 0x75, QByteArray::fromHex("00")},
        {"overflow", "start_freq", 0, QStringLiteral("4294967296"), 0x20, QByteArray::fromHex("ffffffff")},
        {"far overflow", "start_freq", 0, QStringLiteral("-99999999999999999999"), 0x20, QByteArray::fromHex("ffffffff")},
        {"largest", "start_freq", 0, QStringLiteral("4294967295"), 0x20, QByteArray::fromHex("ffffffff")},
        {"minus", "start_freq", 0, QStringLiteral("-5"), 0x20, QByteArray::fromHex("fbffffff")},
        {"plus", "start_freq", 0, QStringLiteral("+7"), 0x20, QByteArray::fromHex("07000000")},
        {"customised code word", "PLcode124", 0, QStringLiteral("70000"), 0x216, QByteArray::fromHex("7011")},
        // hex number
        {"hex number", "codeplug_version", 0, QStringLiteral("12"), 0x04, QByteArray::fromHex("12")},
        {"hex number with 0x", "codeplug_version", 0, QStringLiteral("0x1f"), 0x04, QByteArray::fromHex("1f")},
        {"hex number, low byte", "codeplug_dev_version", 0, QStringLiteral("1FF"), 0x05, QByteArray::fromHex("ff")},
        {"hex number, no digits", "codeplug_dev_version", 0, QStringLiteral("G"), 0x05, QByteArray::fromHex("00")},
        // boolean: "1" exactly
        {"boolean 1", "disableRestoreFactoryDefault", 0, QStringLiteral("1"), 0x4D, QByteArray::fromHex("01")},
        {"boolean true", "disableLED", 0, QStringLiteral("true"), 0x4C, QByteArray::fromHex("00")},
        {"boolean blank 1", "disableLED", 0, QStringLiteral(" 1"), 0x4C, QByteArray::fromHex("00")},
        {"boolean 01", "disableLED", 0, QStringLiteral("01"), 0x4C, QByteArray::fromHex("00")},
        {"channel boolean", "repeater", 0, QStringLiteral("2"), 0x74 + 8, QByteArray::fromHex("00")},
        // character
        {"character", "firmware_phase", 0, QStringLiteral("Qx"), 0x00, QByteArray("Q")},
        {"character empty", "firmware_phase", 0, QString(), 0x00, QByteArray(1, '\0')},
        {"character Latin-1", "codeplug_phase", 0, QStringLiteral("\u00E9"), 0x03, QByteArray::fromHex("e9")},
        {"character outside Latin-1", "codeplug_phase", 0, QStringLiteral("\u20AC"), 0x03, QByteArray("?")},
        // hex digit: read as a signed decimal number, first hexadecimal digit
        {"hex digit 12", "firmware_version", 0, QStringLiteral("12"), 0x01, QByteArray("C")},
        {"hex digit 16", "firmware_version", 0, QStringLiteral("16"), 0x01, QByteArray("1")},
        {"hex digit 15", "firmware_revision", 0, QStringLiteral("15"), 0x02, QByteArray("F")},
        {"hex digit -1", "firmware_revision", 0, QStringLiteral("-1"), 0x02, QByteArray("F")},
        {"hex digit overflow", "firmware_revision", 0, QStringLiteral("99999999999"), 0x02, QByteArray("7")},
        {"hex digit no digits", "firmware_revision", 0, QStringLiteral("x"), 0x02, QByteArray("0")},
        // text(n): zeroed, then at most n bytes of Latin-1
        {"text too long", "powerupString", 0, QStringLiteral("ABCDEFGHIJ"), 0x64, QByteArray("ABCDEFGH")},
        {"text empty", "powerupString", 0, QString(), 0x64, QByteArray(8, '\0')},
        {"text Latin-1", "powerupString", 0, QStringLiteral("Gr\u00FC\u00DFe"), 0x64, QByteArray("Gr\xFC\xDF" "e\0\0\0", 8)},
        {"text outside Latin-1", "powerupString", 0, QStringLiteral("\u20ACuro"), 0x64, QByteArray("?uro\0\0\0\0", 8)},
        {"text entities", "powerupString", 0, QStringLiteral("a&amp;&lt;&quot;"), 0x64, QByteArray("a&<\"\0\0\0\0", 8)},
        {"serial", "serial", 0, QStringLiteral("ABC"), 0x0E, QByteArray("ABC\0\0\0\0\0\0\0", 10)},
        {"channel name too long", "name", 1, QStringLiteral("ABCDEFGHIJK"), 0x8A + 13, QByteArray("ABCDEFGH")},
        // model: characters 1-3 as characters, 4-8 as digits, a non-digit 0
        {"model short", "model", 0, QStringLiteral("ZRD4162"), 0x06, QByteArray("ZRD\x04\x01\x06\x02\x00", 8)},
        {"model non-digit", "model", 0, QStringLiteral("ZRD5x610"), 0x06, QByteArray("ZRD\x05\x00\x06\x01\x00", 8)},
        {"model two characters", "model", 0, QStringLiteral("ZR"), 0x06, QByteArray("ZR\0\0\0\0\0\0", 8)},
        {"model long", "model", 0, QStringLiteral("ZRD416279"), 0x06, QByteArray("ZRD\x04\x01\x06\x02\x07", 8)},
        // presets
        {"second preset", "channel", 1, QStringLiteral("17"), 0x72, QByteArray::fromHex("11")},
    };
    const VirtualCP baseline = Converted(Fixture());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const VirtualCP converted = Converted(WithAttribute(Fixture(), QLatin1String(c.attribute), c.value, c.occurrence));
        const VirtualCP expected = WithBytes(baseline, c.offset, c.bytes);
        EXPECT_EQ(Differences(converted, expected), QList<int>()) << Hex(Differences(converted, expected));
    }
}

TEST(DataAdaptorTest, NibblesAndBitsKeepTheirNeighbours)
{
    const struct
    {
        const char *what;
        const char *attribute;
        int occurrence;
        const char *value;
        std::function<void(VirtualCP &)> expect;
    } cases[] = {
        {"side button 18 keeps its low four bits", "side1_but", 0, "18", [](VirtualCP &cp) { cp.SetButtonEntry(6, 2); }},
        {"side button 2", "side2_but", 0, "13", [](VirtualCP &cp) { cp.SetButtonEntry(11, 13); }},
        {"in_scanlist any non-zero", "in_scanlist", 1, "2", [](VirtualCP &cp) { cp.SetScanBit(1, true); }},
        {"in_scanlist 0", "in_scanlist", 0, "0", [](VirtualCP &cp) { cp.SetScanBit(0, false); }},
        {"in_scanlist not a number", "in_scanlist", 2, "yes", [](VirtualCP &cp) { cp.SetScanBit(2, false); }},
    };
    const VirtualCP baseline = Converted(Fixture());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualCP expected = baseline;
        c.expect(expected);
        ASSERT_NE(Differences(expected, baseline), QList<int>()) << "the case changes nothing";
        const VirtualCP converted = Converted(WithAttribute(Fixture(), QLatin1String(c.attribute), QLatin1String(c.value), c.occurrence));
        EXPECT_EQ(Differences(converted, expected), QList<int>()) << Hex(Differences(converted, expected));
    }
}

TEST(DataAdaptorTest, FrequenciesAreEncodedWithTheProfilesSynthesiserBase)
{
    const struct
    {
        const char *freq;
        const char *base;
        QByteArray record; // bytes 0-5 and 8-15; 6 and 7 are left alone
    } cases[] = {
        {"462562500", "400", QByteArray::fromHex("072802030104" "08000000" "44950000")},
        {"462000000", "400", QByteArray::fromHex("072802030104" "00000000" "00000000")}, // 440 x 1 050 000
        {"420000000", "300", QByteArray::fromHex("076402030104" "00000000" "00000000")}, // 400 x 1 050 000
        {"146520000", "130", QByteArray::fromHex("070902030104" "08000000" "90b20000")}, // N 139, F 570 000
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.freq);
        const QString text = WithAttribute(WithAttribute(Fixture(), QStringLiteral("freq"), QLatin1String(c.freq)),
                                           QStringLiteral("synth_base_int_part"), QLatin1String(c.base));
        const VirtualCP converted = Converted(text);
        const QByteArray record = converted.Save().mid(0x230, 16);
        EXPECT_EQ(record.left(6).toHex(), c.record.left(6).toHex());
        EXPECT_EQ(record.mid(8).toHex(), c.record.mid(6).toHex());
        EXPECT_EQ(converted.DecodeFrequency(0), QByteArray(c.freq).toUInt());
    }
}

TEST(DataAdaptorTest, WalksStayInsideTheTablesAndLeaveUnreachedSlots)
{
    QString twentyFive;
    for (int i = 1; i <= 25; ++i)
        twentyFive += ChannelElement(QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0')));
    const VirtualCP pattern = PatternedImage();
    const VirtualCP baseline = Converted(Fixture(), pattern);
    const int channelTable = 0x74, channelTableEnd = 0x216;
    const int frequencyTable = 0x230, frequencyTableEnd = 0x860;

    {
        SCOPED_TRACE("25 channels fill the 19 slots");
        const VirtualCP converted = Converted(WithContent(Fixture(), QStringLiteral("channels"), twentyFive), pattern);
        for (int slot = 0; slot < 19; ++slot)
            EXPECT_EQ(converted.GetString(slot, CP::Channel::kName), QStringLiteral("C%1").arg(slot + 1, 2, 10, QLatin1Char('0')).toLatin1());
        for (int offset : Differences(converted, baseline))
            EXPECT_TRUE((offset >= channelTable && offset < channelTableEnd) || (offset >= 0x5F && offset <= 0x61)) << offset;
        for (int slot = 0; slot < 19; ++slot)
            EXPECT_TRUE(converted.ScanBit(slot)) << slot;
        EXPECT_EQ(converted.Bytes()[0x61] & 0xF8, pattern.Bytes()[0x61] & 0xF8) << "the bits after bit 18";
    }
    const struct
    {
        const char *what;
        QString text;
        int firstUnreached; // channel slot
    } channelWalks[] = {
        {"no channel", WithContent(Fixture(), QStringLiteral("channels"), QString()), 0},
        {"a comment ends the walk", WithContent(Fixture(), QStringLiteral("channels"), ChannelElement(QStringLiteral("ONE")) + QStringLiteral("<!-- end -->") + ChannelElement(QStringLiteral("TWO"))), 1},
        {"text ends the walk", WithContent(Fixture(), QStringLiteral("channels"), ChannelElement(QStringLiteral("ONE")) + ChannelElement(QStringLiteral("TWO")) + QStringLiteral("x") + ChannelElement(QStringLiteral("THREE"))), 2},
    };
    for (const auto &walk : channelWalks) {
        SCOPED_TRACE(walk.what);
        const VirtualCP converted = Converted(walk.text, pattern);
        const int unreached = channelTable + 22 * walk.firstUnreached;
        EXPECT_EQ(converted.Save().mid(unreached, channelTableEnd - unreached), pattern.Save().mid(unreached, channelTableEnd - unreached));
        for (int slot = walk.firstUnreached; slot < 19; ++slot)
            EXPECT_EQ(converted.ScanBit(slot), pattern.ScanBit(slot)) << slot;
    }
    {
        SCOPED_TRACE("no frequency leaves all 99 records");
        const VirtualCP converted = Converted(WithContent(Fixture(), QStringLiteral("frequencies"), QString()), pattern);
        EXPECT_EQ(converted.Save().mid(frequencyTable, frequencyTableEnd - frequencyTable),
                  pattern.Save().mid(frequencyTable, frequencyTableEnd - frequencyTable));
    }
}

TEST(DataAdaptorTest, CustomisedCodesFollowMaxCodes)
{
    const struct
    {
        const char *maxCodes;
        bool pl;
        bool dpl;
    } cases[] = {{"122", false, false}, {"123", true, false}, {"200", true, false}, {"213", true, false}, {"214", true, true}};
    const VirtualCP pattern = PatternedImage();
    const VirtualCP all = Converted(Fixture(), pattern);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.maxCodes);
        const VirtualCP converted = Converted(WithAttribute(Fixture(), QStringLiteral("maxCodes"), QLatin1String(c.maxCodes)), pattern);
        EXPECT_EQ(converted.Save().mid(0x216, 12), (c.pl ? all : pattern).Save().mid(0x216, 12));
        EXPECT_EQ(converted.Save().mid(0x222, 12), (c.dpl ? all : pattern).Save().mid(0x222, 12));
    }
}

TEST(DataAdaptorTest, RadiosBeforeCodeplugVersionThreeGetNoChannelSwitches)
{
    for (const quint8 version : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(version);
        const VirtualCP converted = Converted(Fixture(), PatternedImage(), version);
        const bool kept = version >= 3;
        // ALPHA and CHARLIE are disabled, ALPHA and BRAVO have talkaround scan.
        EXPECT_EQ(converted.FlagByte(0, CP::Channel::kDisableChannel), kept ? 1 : 0);
        EXPECT_EQ(converted.FlagByte(0, CP::Channel::kTalkaroundScan), kept ? 1 : 0);
        EXPECT_EQ(converted.FlagByte(1, CP::Channel::kTalkaroundScan), kept ? 1 : 0);
        EXPECT_EQ(converted.FlagByte(2, CP::Channel::kDisableChannel), kept ? 1 : 0);
        EXPECT_EQ(converted.Get(0, CP::Channel::kScrambleCode), 3) << "the rest of the slot is converted";
    }
}

TEST(DataAdaptorTest, WhatCannotBeReadRaisesUnknownErrorAndLeavesTheImage)
{
    const struct
    {
        const char *what;
        QString text;
        const char *inDescription;
    } cases[] = {
        {"missing attribute", WithoutAttribute(Fixture(), QStringLiteral("maxCodes")), "limit has no attribute maxCodes"},
        {"missing channel attribute", WithoutAttribute(Fixture(), QStringLiteral("in_scanlist"), 2), "channel has no attribute in_scanlist"},
        {"missing frequency attribute", WithoutAttribute(Fixture(), QStringLiteral("compander_lle_mode"), 1), "frequency has no attribute compander_lle_mode"},
        {"missing element", QString(Fixture()).remove(QRegularExpression(QStringLiteral("<limit [^>]*/>"))), "no element matches //dfns:limit"},
        {"not XML", Fixture().left(400), "no element matches //dfns:factory_setting (the profile does not parse"},
        {"empty", QString(), "no element matches //dfns:factory_setting (the profile does not parse: the text is empty"},
        {"other namespace", QString(Fixture()).replace(QLatin1String(kProfileNamespace), QStringLiteral("urn:other")), "no element matches //dfns:factory_setting"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualCP image = PatternedImage();
        try {
            CDataAdaptor::XML2VirtualCP(c.text, image, Radio(3));
            ADD_FAILURE() << "converted";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 131);
            EXPECT_TRUE(e.Trace().startsWith(QStringLiteral("\n(CDataAdaptor::XML2VirtualCP:"))) << e.Trace().toStdString();
            EXPECT_TRUE(e.Trace().contains(QStringLiteral(") ErrorMsg: Invalid pointer\nDesc: "))) << e.Trace().toStdString();
            EXPECT_TRUE(e.Trace().contains(QLatin1String(c.inDescription))) << e.Trace().toStdString();
            EXPECT_TRUE(e.Trace().endsWith(QStringLiteral("\nSource: libxml2"))) << e.Trace().toStdString();
        }
        EXPECT_EQ(image, PatternedImage()) << "a failed conversion changes nothing";
    }
}

// ---- image into profile text ----

// A small image, and the text it gives, character for character.
TEST(DataAdaptorTest, ProfileTextHasItsExactForm)
{
    VirtualCP image = Converted(Fixture(), VirtualCP());
    image.Set(CP::kMaxChannels, 2);
    image.Set(CP::kMaxValidFreqs, 1);
    image.Set(CP::kMaxCodes, 123);
    image.Set(CP::kModelFlag, true);
    image.Set(1, CP::Channel::kName, QByteArray("B&\"<>"));

    const QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" ?>"),
        QStringLiteral("<TarnProfile xmlns=\"http://www.velmora.com/TarnCPS/DataProfile\">"),
        QStringLiteral("\t<factory_setting serial_clone_compatibility=\"5\" firmware_phase=\"R\" firmware_version=\"1\" "
                       "firmware_revision=\"7\" codeplug_phase=\"P\" codeplug_version=\"3\" codeplug_dev_version=\"2\" "
                       "model=\"ZRD51610\" serial=\"517TRM2284\" synth_base_int_part=\"400\" sub_region=\"0\" />"),
        QStringLiteral("\t<limit maxChannels=\"2\" max_valid_freqs=\"1\" start_freq=\"400000000\" end_freq=\"470000000\" "
                       "disable_time_out_timer=\"1\" disable_keypad_beep_feature=\"0\" disable_roger_beep_feature=\"1\" "
                       "disable_busy_led_mode=\"0\" enable_reverse_burst=\"1\" disable_vox_feature=\"0\" disable_ivox_feature=\"1\" "
                       "disable_scramble_feature=\"0\" disable_battery_save_feature=\"1\" factory_reset_disable=\"0\" "
                       "disable_scan_mode=\"1\" max_call_tones=\"5\" maxPresetButtons=\"2\" maxCodes=\"123\" "
                       "power_cntrl_enabled=\"1\" backlight_button_enabled=\"0\" programming_mode_enabled=\"1\" "
                       "call_feature_disable=\"0\" monitor_feature_disable=\"1\" disable_keypad_lock_feature=\"0\" "
                       "disable_repeater_feature=\"0\" disable_channel_enable=\"1\" talkaround_scan_enable=\"1\" "
                       "voice_chip_enable=\"1\" />"),
        QStringLiteral("\t<setting password=\"1234\" disableLED=\"1\" disableRestoreFactoryDefault=\"0\" backlight_enabled=\"1\" "
                       "timeoutTimer=\"60\" reverseBurst=\"1\" vox_level=\"3\" ivol_level=\"2\" microphoneGain=\"4\" "
                       "accessoryMicrophoneGain=\"6\" batteryType=\"1\" disableBatterySave=\"0\" side1_but=\"7\" side2_but=\"4\" "
                       "upper_right_but=\"9\" lower_left_but=\"10\" lower_right_but=\"11\" numberChannels=\"3\" "
                       "voice_language=\"1\" PLcode124=\"1598\" PLcode125=\"1655\" PLcode126=\"1713\" PLcode127=\"1773\" "
                       "PLcode128=\"1835\" PLcode129=\"1899\" powerupString=\"HELLO\" rogerBeepTone=\"1\" "
                       "disableSelectableScramble=\"0\" backlight_timeout=\"5\" callTone=\"2\" keypadLock=\"0\" keypadBeep=\"1\" >"),
        QStringLiteral("\t\t<preset channel=\"1\" />"),
        QStringLiteral("\t\t<preset channel=\"2\" />"),
        QStringLiteral("\t</setting>"),
        QStringLiteral("\t<channels>"),
        QStringLiteral("\t\t<channel rx_freq_ndx=\"0\" rx_code=\"12\" tx_freq_ndx=\"1\" tx_code=\"18\" rx_bw=\"1\" tx_bw=\"0\" "
                       "talkaround_power=\"1\" repeater_power=\"0\" repeater=\"1\" autoScan=\"0\" scramble_code=\"3\" "
                       "name=\"ALPHA\" disable_channel=\"1\" talkaround_scan=\"1\" in_scanlist=\"1\" />"),
        QStringLiteral("\t\t<channel rx_freq_ndx=\"1\" rx_code=\"24\" tx_freq_ndx=\"1\" tx_code=\"24\" rx_bw=\"0\" tx_bw=\"1\" "
                       "talkaround_power=\"0\" repeater_power=\"1\" repeater=\"0\" autoScan=\"1\" scramble_code=\"1\" "
                       "name=\"B&amp;&quot;&lt;&gt;\" disable_channel=\"0\" talkaround_scan=\"1\" in_scanlist=\"0\" />"),
        QStringLiteral("\t</channels>"),
        QStringLiteral("\t<frequencies>"),
        QStringLiteral("\t\t<frequency freq=\"462562500\" bandwidth=\"1\" power_level=\"2\" compander_lle_mode=\"3\" />"),
        QStringLiteral("\t</frequencies>"),
        QStringLiteral("</TarnProfile>"),
        QString(),
    };
    EXPECT_EQ(ToText(image).toStdString(), lines.join(QStringLiteral("\r\n")).toStdString());

    image.Set(CP::kMaxCodes, 214);
    EXPECT_TRUE(ToText(image).contains(QStringLiteral(" PLcode129=\"1899\" PLcode214=\"15\" PLcode215=\"40\" PLcode216=\"71\" "
                                                      "PLcode217=\"72\" PLcode218=\"79\" PLcode219=\"101\" powerupString=")));
}

TEST(DataAdaptorTest, FieldsAsTheProfileShowsThem)
{
    const VirtualCP base = Converted(Fixture(), VirtualCP());
    const struct
    {
        const char *what;
        std::function<void(VirtualCP &)> change;
        const char *element;
        const char *attribute;
        QString value; // as the parsed document gives it
        int occurrence = 0;
    } cases[] = {
        {"leading blank", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray(" A")); }, "channel", "name", QStringLiteral("A")},
        {"blanks and tabs around", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray("\t A B  ")); }, "channel", "name", QStringLiteral("A B")},
        {"full width", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray("ABCDEFGH")); }, "channel", "name", QStringLiteral("ABCDEFGH")},
        {"ends at a zero byte", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray("A\0BC", 4)); }, "channel", "name", QStringLiteral("A")},
        {"Latin-1", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray("\xE9t\xE9")); }, "channel", "name", QStringLiteral("\u00E9t\u00E9")},
        {"full password", [](VirtualCP &cp) { cp.Set(CP::kPassword, QByteArray("9876")); }, "setting", "password", QStringLiteral("9876")},
        {"no password", [](VirtualCP &cp) { cp.Set(CP::kPassword, QByteArray()); }, "setting", "password", QString()},
        {"power-up text", [](VirtualCP &cp) { cp.Set(CP::kPowerupString, QByteArray("<HI & \">")); }, "setting", "powerupString", QStringLiteral("<HI & \">")},
        {"phase zero", [](VirtualCP &cp) { cp.Set(CP::kFirmwarePhase, 0); }, "factory_setting", "firmware_phase", QString()},
        {"version digit C", [](VirtualCP &cp) { cp.SetCharacter(CP::kFirmwareVersion, 'C'); }, "factory_setting", "firmware_version", QStringLiteral("12")},
        {"version digit c", [](VirtualCP &cp) { cp.SetCharacter(CP::kFirmwareVersion, 'c'); }, "factory_setting", "firmware_version", QStringLiteral("12")},
        {"version digit G", [](VirtualCP &cp) { cp.SetCharacter(CP::kFirmwareRevision, 'G'); }, "factory_setting", "firmware_revision", QStringLiteral("4294967295")},
        {"codeplug version in decimal", [](VirtualCP &cp) { cp.Set(CP::kCodeplugVersion, 0x12); }, "factory_setting", "codeplug_version", QStringLiteral("18")},
        {"model", [](VirtualCP &cp) { cp.SetModel("ZRR40420"); }, "factory_setting", "model", QStringLiteral("ZRR40420")},
        {"boolean byte as stored", [](VirtualCP &cp) { cp.Set(CP::Byte{0x4C}, 7); }, "setting", "disableLED", QStringLiteral("7")},
        {"bandwidth low two bits", [](VirtualCP &cp) { cp.Set(0, CP::Frequency::kBandwidth, 0xFE); }, "frequency", "bandwidth", QStringLiteral("2")},
        {"power low two bits", [](VirtualCP &cp) { cp.Set(0, CP::Frequency::kPowerLevel, 0x07); }, "frequency", "power_level", QStringLiteral("3")},
        {"compander whole byte", [](VirtualCP &cp) { cp.Set(0, CP::Frequency::kCompanderLleMode, 0xFE); }, "frequency", "compander_lle_mode", QStringLiteral("254")},
        {"scan bit", [](VirtualCP &cp) { cp.SetScanBit(1, true); }, "channel", "in_scanlist", QStringLiteral("1"), 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualCP image = base;
        c.change(image);
        EXPECT_EQ(AttributeOf(ToText(image), c.element, c.attribute, c.occurrence), c.value);
    }
}

TEST(DataAdaptorTest, EqualChannelNamesAreRenamedWithOneCounter)
{
    const struct
    {
        const char *what;
        QList<QByteArray> names; // slot 0, 1, ...; maxChannels is their number
        QStringList expected;
    } cases[] = {
        {"A, A, A", {"A", "A", "A"}, {"A", "CHAN 01", "CHAN 02"}},
        {"CHAN 01 in use", {"A", "A", "A", "CHAN 01"}, {"A", "CHAN 02", "CHAN 03", "CHAN 01"}},
        {"two groups share the counter", {"A", "B", "A", "B"}, {"A", "B", "CHAN 01", "CHAN 02"}},
        {"empty names: the first stays empty", {"", "X", "", ""}, {"", "X", "CHAN 01", "CHAN 02"}},
        {"a blank makes another name", {"A", " A"}, {"A", "A"}},
        {"bytes after the zero count", {QByteArray("A\0B", 3), QByteArray("A")}, {"A", "A"}},
        {"from ten on without the 0", {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"},
         {"X", "CHAN 01", "CHAN 02", "CHAN 03", "CHAN 04", "CHAN 05", "CHAN 06", "CHAN 07", "CHAN 08", "CHAN 09", "CHAN 10", "CHAN 11"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualCP image = Converted(Fixture(), VirtualCP());
        image.Set(CP::kMaxChannels, quint8(c.names.size()));
        for (int slot = 0; slot < c.names.size(); ++slot)
            image.Set(slot, CP::Channel::kName, c.names[slot]);
        // A slot beyond maxChannels is neither renamed nor a name in use.
        image.Set(int(c.names.size()), CP::Channel::kName, c.names[0]);
        const VirtualCP before = image;

        const QString text = ToText(image);
        QStringList names;
        for (int slot = 0; slot < c.names.size(); ++slot)
            names << AttributeOf(text, "channel", "name", slot);
        EXPECT_EQ(names, c.expected);
        EXPECT_EQ(image, before) << "the caller's image keeps the radio's names";
    }
}

TEST(DataAdaptorTest, RefusedImagesShowTheirMessage)
{
    const VirtualCP good = Converted(Fixture(), VirtualCP());
    const struct
    {
        const char *what;
        std::function<void(VirtualCP &)> change;
        int message;
        bool textSet;
    } cases[] = {
        {"all-zero serial", [](VirtualCP &cp) { cp.Set(CP::kSerial, QByteArray()); }, 376, false},
        {"O in position 5", [](VirtualCP &cp) { cp.Set(CP::kSerial, QByteArray("123AOC4567")); }, 376, false},
        {"blank serial", [](VirtualCP &cp) { cp.Set(CP::kSerial, QByteArray("          ")); }, 376, false},
        {"control character in a name", [](VirtualCP &cp) { cp.Set(0, CP::Channel::kName, QByteArray("A\x01")); }, 391, true},
        {"markup as the phase", [](VirtualCP &cp) { cp.Set(CP::kCodeplugPhase, '<'); }, 391, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualCP image = good;
        c.change(image);
        CapturingSink sink;
        QString text = QStringLiteral("untouched");
        EXPECT_EQ(CDataAdaptor::VirtualCP2XML(image, text), 0);
        EXPECT_EQ(sink.texts, QStringList{LoadString(c.message)});
        if (c.textSet)
            EXPECT_TRUE(text.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<TarnProfile ")));
        else
            EXPECT_EQ(text, QStringLiteral("untouched"));
    }
}

TEST(DataAdaptorTest, CountsBeyondTheTablesGiveOnlyTheSlotsTheImageHolds)
{
    VirtualCP image = Converted(Fixture(), VirtualCP());
    image.Set(CP::kMaxChannels, 25);
    image.Set(CP::kMaxValidFreqs, 200);
    for (int slot = 0; slot < CP::kChannelCount; ++slot)
        image.Set(slot, CP::Channel::kName, QByteArray("SAME"));
    const QString text = ToText(image);
    EXPECT_EQ(CountOf(text, "channel"), 19);
    EXPECT_EQ(CountOf(text, "frequency"), 99);
    EXPECT_EQ(AttributeOf(text, "limit", "maxChannels"), QStringLiteral("25"));
    EXPECT_EQ(AttributeOf(text, "limit", "max_valid_freqs"), QStringLiteral("200"));
    EXPECT_EQ(AttributeOf(text, "channel", "name", 18), QStringLiteral("CHAN 18"));
}

// profile -> image -> profile: the fixture carries every attribute an image
// can carry, and gets all of them back.
TEST(DataAdaptorTest, ProfileThroughAnImageKeepsEveryAttribute)
{
    EXPECT_EQ(Outline(ToText(Converted(Fixture(), VirtualCP()))), Outline(Fixture()));
    EXPECT_EQ(Outline(ToText(Converted(Fixture(), PatternedImage()))), Outline(Fixture()));

    // Versions are read in base 16 and written in decimal: 0-9 survive.
    const struct
    {
        const char *value;
        const char *back;
    } versions[] = {{"0", "0"}, {"9", "9"}, {"10", "16"}, {"12", "18"}};
    for (const auto &v : versions) {
        SCOPED_TRACE(v.value);
        const QString text = ToText(Converted(WithAttribute(Fixture(), QStringLiteral("codeplug_version"), QLatin1String(v.value)), VirtualCP()));
        EXPECT_EQ(AttributeOf(text, "factory_setting", "codeplug_version"), QLatin1String(v.back));
    }
    // The firmware digits keep one hexadecimal digit: 12 survives, 16 does not.
    const QString twelve = ToText(Converted(WithAttribute(Fixture(), QStringLiteral("firmware_version"), QStringLiteral("12")), VirtualCP()));
    EXPECT_EQ(AttributeOf(twelve, "factory_setting", "firmware_version"), QStringLiteral("12"));
    const QString one = ToText(Converted(WithAttribute(Fixture(), QStringLiteral("firmware_version"), QStringLiteral("16")), VirtualCP()));
    EXPECT_EQ(AttributeOf(one, "factory_setting", "firmware_version"), QStringLiteral("1"));
}

// ---- through a loaded profile ----

class ProfileImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config.InstallMachineLevel(StagedInstallation());
        CAppContext::Instance().Reset();
        ASSERT_TRUE(LoadInstallation());
    }
    void TearDown() override { CAppContext::Instance().Reset(); }

    static QStringList Templates()
    {
        QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
        QStringList paths;
        for (const QString &name : folder.entryList({QStringLiteral("*.ra9")}, QDir::Files, QDir::Name))
            paths << folder.filePath(name);
        return paths;
    }

    // The bits of an image that a profile of that image carries.
    static std::array<quint8, CP::kSize> CarriedBits(const VirtualCP &image)
    {
        std::array<quint8, CP::kSize> mask{};
        const auto bytes = [&](int offset, int count) { std::fill_n(mask.begin() + offset, count, quint8(0xFF)); };
        bytes(0x00, 0x1E);  // factory block, maxChannels, max_valid_freqs
        bytes(0x20, 9);     // band edges, disable_time_out_timer
        bytes(0x2A, 0x0F);  // 0x2A-0x38
        bytes(0x3C, 0x0B);  // maxCodes, 0x40-0x46
        bytes(0x48, 0x0F);  // 0x48-0x56
        mask[0x59] |= 0xF0; // button entries 5, 6, 8, 9, 11
        mask[0x5A] |= 0x0F;
        mask[0x5B] |= 0xFF;
        mask[0x5C] |= 0xF0;
        bytes(0x62, 0x12);  // 0x62-0x73
        const int channels = std::min<int>(image.Get(CP::kMaxChannels), 19);
        for (int slot = 0; slot < channels; ++slot) {
            bytes(0x74 + 22 * slot, 21);
            mask[0x5F + slot / 8] |= quint8(1 << (slot % 8));
        }
        const quint32 maxCodes = image.Get(CP::kMaxCodes);
        if (maxCodes > 122)
            bytes(0x216, 12);
        if (maxCodes > 213)
            bytes(0x222, 12);
        for (int slot = 0; slot < std::min<int>(image.Get(CP::kMaxValidFreqs), 99); ++slot) {
            bytes(0x230 + 16 * slot, 6);
            bytes(0x230 + 16 * slot + 8, 8);
        }
        mask[0x860] = 0xFF;
        return mask;
    }

    // An image that a profile carries exactly: a valid serial, counts inside
    // the tables, booleans 0 or 1, texts without blanks at their ends,
    // distinct channel names, codeplug versions this installation loads
    // unchanged, frequencies as the encoder writes them. Everything else,
    // reserved bytes included, is random.
    static VirtualCP RandomImage(unsigned seed)
    {
        std::mt19937 rng(seed);
        const auto below = [&](unsigned n) { return unsigned(rng() % n); };
        QByteArray bytes(CP::kSize, '\0');
        for (char &b : bytes)
            b = char(rng());
        VirtualCP cp;
        cp.Load(bytes);

        const QByteArray letters("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), digits("0123456789"), hex("0123456789ABCDEF");
        QByteArray printable;
        for (int c = 0x21; c < 0x7F; ++c)
            printable += char(c);
        for (int c = 0xA1; c <= 0xFF; ++c)
            printable += char(c);
        const auto text = [&](int maxLength) {
            const int length = int(below(unsigned(maxLength) + 1));
            QByteArray t;
            for (int i = 0; i < length; ++i)
                t += (i > 0 && i + 1 < length && below(5) == 0) ? ' ' : printable[int(below(unsigned(printable.size())))];
            return t;
        };

        cp.Set(CP::kFirmwarePhase, quint8(letters[int(below(26))]));
        cp.SetCharacter(CP::kFirmwareVersion, quint8(hex[int(below(16))]));
        cp.SetCharacter(CP::kFirmwareRevision, quint8(hex[int(below(16))]));
        cp.Set(CP::kCodeplugPhase, quint8(letters[int(below(26))]));
        cp.Set(CP::kCodeplugVersion, 3);
        cp.Set(CP::kCodeplugDevVersion, quint8(below(10)));
        QByteArray model;
        for (int i = 0; i < 3; ++i)
            model += letters[int(below(26))];
        for (int i = 0; i < 5; ++i)
            model += digits[int(below(10))];
        cp.SetModel(model);
        const QByteArray notOI("ABCDEFGHJKLMNPQRSTUVWXYZ"), notO("ABCDEFGHIJKLMNPQRSTUVWXYZ");
        QByteArray serial;
        for (int i = 0; i < 3; ++i)
            serial += digits[int(below(10))];
        serial += notO[int(below(unsigned(notO.size())))];
        serial += notOI[int(below(unsigned(notOI.size())))];
        serial += notOI[int(below(unsigned(notOI.size())))];
        serial += (digits + letters)[int(below(36))];
        serial += digits[int(below(10))];
        serial += (digits + notOI)[int(below(unsigned(10 + notOI.size())))];
        serial += (digits + notOI)[int(below(unsigned(10 + notOI.size())))];
        EXPECT_TRUE(CP::IsValidSerial(serial));
        cp.Set(CP::kSerial, serial);
        const quint32 base = 256 + below(1500);
        cp.Set(CP::kSynthBaseIntPart, base);

        cp.Set(CP::kMaxChannels, quint8(below(20)));
        cp.Set(CP::kMaxValidFreqs, quint8(below(100)));
        const quint32 maxCodes[] = {0, 122, 123, 213, 214, 219, quint32(rng())};
        cp.Set(CP::kMaxCodes, maxCodes[below(7)]);
        for (int offset : {0x28, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36,
                           0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x4C, 0x4D, 0x4E, 0x50, 0x55, 0x56, 0x6C, 0x6D, 0x6E, 0x6F})
            cp.Set(CP::Flag{offset}, below(2) == 1);
        cp.Set(CP::kDisableRepeaterFeature, false); // true copies receive to transmit
        QByteArray password;
        if (below(3) != 0)
            for (int i = 0; i < 4; ++i)
                password += digits[int(below(10))];
        cp.Set(CP::kPassword, password);
        cp.Set(CP::kPowerupString, text(8));

        QList<QByteArray> names;
        for (int slot = 0; slot < CP::kChannelCount; ++slot) {
            for (const CP::ChannelFlag flag : {CP::Channel::kRxBw, CP::Channel::kTxBw, CP::Channel::kTalkaroundPower,
                                               CP::Channel::kRepeaterPower, CP::Channel::kRepeater, CP::Channel::kAutoScan,
                                               CP::Channel::kDisableChannel, CP::Channel::kTalkaroundScan})
                cp.Set(slot, flag, below(2) == 1);
            QByteArray name;
            while (name.isEmpty() || names.contains(name))
                name = text(8);
            names << name;
            cp.Set(slot, CP::Channel::kName, name);
        }
        for (int slot = 0; slot < CP::kFrequencyCount; ++slot) {
            const quint32 n = base + below(256);
            cp.EncodeFrequency(slot, 1050000 * n + below(1050000), base);
            cp.Set(slot, CP::Frequency::kBandwidth, quint8(below(4)));
            cp.Set(slot, CP::Frequency::kPowerLevel, quint8(below(4)));
        }
        return cp;
    }

    // A new document's profile made from an image, converted back over `base`.
    static VirtualCP ThroughAProfile(const VirtualCP &image, VirtualCP base)
    {
        CRadioDataModel model;
        EXPECT_TRUE(SetVirtualCPData(model, image));
        GetVirtualCPData(model, base, Radio(3));
        return base;
    }

    ScopedConfig config;
};

TEST_F(ProfileImageTest, RandomImagesSurviveAProfileByteForByte)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const VirtualCP image = RandomImage(seed);
        // Over the image itself nothing changes; over a cleared image exactly
        // the bits the profile carries are the image's.
        EXPECT_EQ(Differences(ThroughAProfile(image, image), image), QList<int>())
            << Hex(Differences(ThroughAProfile(image, image), image));
        const VirtualCP cleared;
        const VirtualCP fresh = ThroughAProfile(image, cleared);
        const auto carried = CarriedBits(image);
        for (int i = 0; i < CP::kSize; ++i) {
            EXPECT_EQ(fresh.Bytes()[i] & carried[i], image.Bytes()[i] & carried[i]) << "carried, at " << i;
            EXPECT_EQ(fresh.Bytes()[i] & ~carried[i] & 0xFF, cleared.Bytes()[i] & ~carried[i] & 0xFF) << "not carried, at " << i;
        }
        // And the text of the image is the text of its conversion.
        QString text, again;
        ASSERT_EQ(CDataAdaptor::VirtualCP2XML(image, text), 1);
        ASSERT_EQ(CDataAdaptor::VirtualCP2XML(fresh, again), 1);
        EXPECT_EQ(again, text);
    }
}

TEST_F(ProfileImageTest, TemplatesThroughImageAndProfile)
{
    const QStringList templates = Templates();
    ASSERT_FALSE(templates.isEmpty());
    for (const QString &path : templates) {
        SCOPED_TRACE(path.toStdString());
        CRadioDataModel model;
        ASSERT_TRUE(model.LoadProfile(path, true));
        VirtualCP image;
        ASSERT_EQ(GetVirtualCPData(model, image, Radio(3)), 1);

        // profile -> image -> profile: every attribute comes back, except the
        // optional ones that only templates carry.
        const QStringList templateOnly = {QStringLiteral("rx_start_freq"), QStringLiteral("rx_end_freq"),
                                          QStringLiteral("tx_start_freq"), QStringLiteral("tx_end_freq"),
                                          QStringLiteral("courtesy_over"), QStringLiteral("onbatt_alert"),
                                          QStringLiteral("rep_hangtime"), QStringLiteral("rep_id_mode"),
                                          QStringLiteral("stationID"), QStringLiteral("low_battery_tx"),
                                          QStringLiteral("voice_prompts")};
        const QStringList original = Outline(model.ProfileText(), templateOnly);
        const QStringList back = Outline(ToText(image), templateOnly);
        // The image has max_valid_freqs frequency slots; the template may fill fewer.
        EXPECT_EQ(back.mid(0, original.size()), original);
        EXPECT_EQ(back.size() - original.size(), image.Get(CP::kMaxValidFreqs) - CountOf(model.ProfileText(), "frequency"));

        // image -> profile -> image: every byte comes back, except the
        // encoding of frequency slots the template left empty, which come
        // back encoded as the encoder writes them, with the same frequency.
        const VirtualCP again = ThroughAProfile(image, image);
        for (int offset : Differences(again, image)) {
            const int slot = (offset - 0x230) / 16, inRecord = (offset - 0x230) % 16;
            EXPECT_TRUE(offset >= 0x230 && offset < 0x860 && image.Get(slot, CP::Frequency::kReferenceDivider) != 7
                        && inRecord != 2 && inRecord != 3 && inRecord != 4 && inRecord != 6 && inRecord != 7)
                << "at " << offset;
            // The frequency itself comes back where the record can hold it:
            // N at most 255 above the synthesiser base.
            const quint32 n = image.DecodeFrequency(slot) / 1050000, base = image.Get(CP::kSynthBaseIntPart);
            if (offset >= 0x230 && offset < 0x860 && n >= base && n - base < 256) {
                EXPECT_EQ(again.DecodeFrequency(slot), image.DecodeFrequency(slot));
            }
        }
        EXPECT_EQ(ThroughAProfile(again, again), again) << "the second time round nothing changes";
    }
}

TEST_F(ProfileImageTest, GetVirtualCPDataCopiesReceiveToTransmitWithoutRepeaters)
{
    for (const char *flag : {"0", "1"}) {
        SCOPED_TRACE(flag);
        CRadioDataModel model;
        ASSERT_TRUE(model.LoadProfile(WithAttribute(Fixture(), QStringLiteral("disable_repeater_feature"), QLatin1String(flag)), false));
        VirtualCP image;
        ASSERT_EQ(GetVirtualCPData(model, image, Radio(3)), 1);
        const bool copied = QByteArray(flag) == "1";
        // ALPHA receives on 0 with code 12 and bandwidth 1, transmits on 1 with 18 and 0.
        EXPECT_EQ(image.Get(0, CP::Channel::kTxFreqNdx), copied ? 0 : 1);
        EXPECT_EQ(image.Get(0, CP::Channel::kTxCode), copied ? 12 : 18);
        EXPECT_EQ(image.Get(0, CP::Channel::kTxBw), copied);
        EXPECT_EQ(image.Get(2, CP::Channel::kTxCode), copied ? 130 : 140);
        EXPECT_EQ(AttributeOf(model.ProfileText(), "channel", "tx_code"), copied ? QStringLiteral("12") : QStringLiteral("18"));
    }
}

TEST_F(ProfileImageTest, GetVirtualCPDataConvertsWithTheMigrationsFields)
{
    QString older;
    ASSERT_TRUE(LoadTextFile(QStringLiteral(TARN_TESTDATA_DIR "/profile_v1_handheld.xml"), older));
    VirtualCP image = PatternedImage();
    EXPECT_THROW(CDataAdaptor::XML2VirtualCP(older, image, Radio(3)), CTarnCPSException)
        << "the file itself lacks the newer fields";

    CRadioDataModel model;
    ASSERT_TRUE(model.LoadProfile(older, false));
    ASSERT_EQ(GetVirtualCPData(model, image, Radio(3)), 1);
    EXPECT_EQ(image.FlagByte(CP::kDisableChannelEnable), 0) << "added with its default";
    EXPECT_EQ(image.FlagByte(0, CP::Channel::kDisableChannel), 0);

    // Errors are passed on with the document's entry.
    xmlNode *limit = Xml::SelectSingle(model.ProfileDocument(), QStringLiteral("//dfns:limit"));
    ASSERT_TRUE(limit);
    xmlUnsetProp(limit, reinterpret_cast<const xmlChar *>("maxCodes"));
    try {
        GetVirtualCPData(model, image, Radio(3));
        ADD_FAILURE() << "converted";
    } catch (const CTarnCPSException &e) {
        EXPECT_EQ(e.MessageId(), 131);
        EXPECT_TRUE(e.Trace().contains(QStringLiteral(") Exception Caught")));
        EXPECT_TRUE(e.Trace().contains(QStringLiteral("\n(CTarnCPSDoc::GetVirtualCPData:")));
    }
}

TEST_F(ProfileImageTest, SetVirtualCPDataMakesANewDocumentsProfile)
{
    VirtualCP image = Converted(Fixture(), VirtualCP());
    for (int slot = 0; slot < 3; ++slot)
        image.Set(slot, CP::Channel::kName, QByteArray());
    CRadioDataModel model;
    ASSERT_TRUE(SetVirtualCPData(model, image));
    const QString text = model.ProfileText();
    EXPECT_EQ(AttributeOf(text, "channel", "name", 0), QStringLiteral("CHAN 1")) << "named by ProcessChannelName";
    EXPECT_EQ(AttributeOf(text, "channel", "name", 1), QStringLiteral("CHAN 01")) << "named while converting";
    EXPECT_EQ(AttributeOf(text, "channel", "name", 2), QStringLiteral("CHAN 02"));

    {
        SCOPED_TRACE("refused image");
        CapturingSink sink;
        VirtualCP refused = image;
        refused.Set(CP::kSerial, QByteArray());
        CRadioDataModel other;
        EXPECT_FALSE(SetVirtualCPData(other, refused));
        EXPECT_EQ(sink.texts, QStringList{LoadString(376)});
    }
    {
        SCOPED_TRACE("the schema refuses what the tables cannot hold");
        VirtualCP tooMany = image;
        tooMany.Set(CP::kMaxChannels, 25);
        CRadioDataModel other;
        try {
            SetVirtualCPData(other, tooMany);
            ADD_FAILURE() << "loaded";
        } catch (const CTarnCPSException &e) {
            EXPECT_EQ(e.MessageId(), 135);
            EXPECT_TRUE(e.Trace().contains(QStringLiteral("maxChannels")));
            EXPECT_TRUE(e.Trace().endsWith(QStringLiteral(") Exception Catched")));
            EXPECT_TRUE(e.Trace().contains(QStringLiteral("\n(CTarnCPSDoc::SetVirtualCPData:")));
        }
    }
}

} // namespace
