// What runs between identifying a radio and transferring: the checks common
// to read and write, the write checks in their order with their messages,
// the tier and display conversions of the write image, the password gate,
// the identity stamp, the lower-codeplug warning, the whole read and write
// decisions, and what becomes of a read image.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "radio/TransferChecks.h"
#include "settings/AppContext.h"
#include "settings/Installation.h"
#include "settings/TextFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QRegularExpression>

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <libxml/tree.h>

namespace {

using CP = VirtualCP;

// The texts the user sees.
const QString kRegionForRead = QStringLiteral("The CPS does not support this radio's region.");
const QString kRegionForWrite = QStringLiteral("The CPS does not support this radio model.");
const QString kCodeplugNewer = QStringLiteral("Codeplug version of CPS and radio are incompatible! Please update your CPS.");
const QString kModelRegion = QStringLiteral("The radio being programmed does not match the model in the current profile.");
const QString kClone = QStringLiteral("The current profile is not compatible with the radio.");
const QString kBand = QStringLiteral("Invalid frequency: This frequency is not supported by this radio.");
const QString kCodes = QStringLiteral(
    "Some profile information is not supported by the host radio and therefore will not be transferred(PL/DPL Code). ");
const QString kLowerCodeplug = QStringLiteral(
    "The radio you are programing has a lower version codeplug, some new features can not be used after writing.");
const QString kTierQuestion = QStringLiteral(
    "When converting from high-tier radio to low-tier radio, some data may be lost. Do you want to continue?");
const QString kWrongPassword = QStringLiteral("The password is not correct. Please check it!");
const QString kNewOrOverwrite = QStringLiteral(
    "Do you want to create a new profile (Yes), overwrite the currently selected profile (No) or cancel it?");

// Records every dialog in order ("show: text", "ask: text", "password") and
// answers from queues; a dialog nobody expected fails the test.
class RecordingDialogs : public CTransferDialogs
{
public:
    void ShowText(const QString &text, unsigned) override { events << QStringLiteral("show: ") + text; }
    int Ask(const QString &text, unsigned style) override
    {
        events << QStringLiteral("ask: ") + text;
        styles.push_back(style);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return IDCANCEL;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> AskPassword() override
    {
        events << QStringLiteral("password");
        if (passwords.empty()) {
            ADD_FAILURE() << "unexpected password prompt";
            return std::nullopt;
        }
        const std::optional<QString> entry = passwords.front();
        passwords.pop_front();
        return entry;
    }

    QStringList events;
    std::vector<unsigned> styles;
    std::deque<int> answers;
    std::deque<std::optional<QString>> passwords;
};

QString Show(const QString &text) { return QStringLiteral("show: ") + text; }
QString Ask(const QString &text) { return QStringLiteral("ask: ") + text; }
const QString kPrompt = QStringLiteral("password");

// ---- identity records ----

// A radio of the model ("ZRD51610": characters, then five digits), firmware
// R17, codeplug R3, no password, clone class 1, codes up to 219.
CRadioIdentity Radio(const char *model = "ZRD51610")
{
    CRadioIdentity radio;
    for (int i = 0; i < 3; ++i)
        radio.modelCharacters[size_t(i)] = quint8(model[i]);
    for (int i = 0; i < 5; ++i)
        radio.modelDigits[size_t(i)] = quint8(model[3 + i] - '0');
    radio.firmwarePhase = 'R';
    radio.firmwareVersion = '1';
    radio.firmwareRevision = '7';
    radio.codeplugPhase = 'R';
    radio.codeplugVersion = 3;
    radio.validFrequencies = 32;
    radio.serialCloneCompatibility = 1;
    radio.maxCode = 219;
    return radio;
}

CRadioIdentity WithPassword(CRadioIdentity radio, QByteArray password)
{
    password.resize(CRadioIdentity::kPasswordSize, '\0');
    for (int i = 0; i < CRadioIdentity::kPasswordSize; ++i)
        radio.password[size_t(i)] = quint8(password.at(i));
    return radio;
}

// ---- images ----

// Every byte different from its neighbours, so a stray write shows.
VirtualCP PatternedImage()
{
    QByteArray bytes(CP::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x5A ^ (i * 7));
    VirtualCP image;
    EXPECT_TRUE(image.Load(bytes));
    return image;
}

QByteArray SlotBytes(const VirtualCP &image, int slot)
{
    return image.Save().mid(CP::kChannelTableOffset + slot * CP::kChannelRecordSize, CP::kChannelRecordSize);
}

// An image of the model with 16 channels in use, every channel slot and
// button entry non-zero, codes at most 38.
VirtualCP ModelImage(const char *model)
{
    VirtualCP image = PatternedImage();
    image.SetModel(model);
    image.Set(CP::kNumberChannels, 16);
    image.Set(CP::kMaxCodes, 219);
    for (int slot = 0; slot < CP::kChannelCount; ++slot) {
        image.Set(slot, CP::Channel::kRxCode, quint8(1 + slot));
        image.Set(slot, CP::Channel::kTxCode, quint8(20 + slot));
    }
    for (int entry = 0; entry < CP::kButtonEntryCount; ++entry)
        image.SetButtonEntry(entry, quint8(1 + entry % 15));
    image.SetPresetChannel(0, 3);
    image.SetPresetChannel(1, 5);
    return image;
}

// ---- profiles ----

// The text of a staged template, by its model number.
QString TemplateText(const QString &model)
{
    const QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
    const QStringList names = folder.entryList({QStringLiteral("*(%1).ra9").arg(model)}, QDir::Files);
    EXPECT_EQ(names.size(), 1) << model.toStdString();
    QString text;
    if (!names.isEmpty()) {
        EXPECT_TRUE(LoadTextFile(folder.filePath(names.front()), text));
    }
    return text;
}

std::unique_ptr<CRadioDataModel> Load(const QString &text)
{
    auto model = std::make_unique<CRadioDataModel>();
    EXPECT_TRUE(model->LoadProfile(text, false));
    return model;
}

QString ProfileModel(CRadioDataModel &model)
{
    CDataItem factory;
    model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
    return factory.GetAttributeValue(QStringLiteral("model")).toString();
}

class TransferChecksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        config.InstallMachineLevel(StagedInstallation());
        CAppContext::Instance().Reset();
        ASSERT_TRUE(LoadInstallation());
    }
    void TearDown() override { CAppContext::Instance().Reset(); }

    ScopedConfig config;
    CapturingSink sink;
    RecordingDialogs dialogs;
    CRememberedPassword remembered;
};

// ---- checks common to read and write ----

TEST_F(TransferChecksTest, CommonChecksStopWithTheirMessageInOrder)
{
    struct Case
    {
        const char *name;
        std::function<void(CRadioIdentity &)> change;
        QString readMessage;  // empty: the read goes on
        QString writeMessage; // empty: the write goes on
    };
    const QString europe = kRegionForRead + QStringLiteral(" Please use the \"Tarn QX Dealer Europe CPS\".");
    const Case cases[] = {
        {"served region 10, same codeplug version", [](CRadioIdentity &) {}, {}, {}},
        {"region bytes 2 and 0 give the served 20", [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 2, 0}; }, {}, {}},
        {"region bytes 0 and 1 give 01, not 10",
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 0, 1}; }, kRegionForRead, kRegionForWrite},
        {"region 30 is named in the region-code map",
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 3, 0}; }, europe, kRegionForWrite},
        {"region 50 is named nowhere",
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 5, 0}; }, kRegionForRead, kRegionForWrite},
        {"codeplug version newer than the program's",
         [](CRadioIdentity &r) { r.codeplugVersion = 4; }, kCodeplugNewer, kCodeplugNewer},
        {"phase D exempts any version",
         [](CRadioIdentity &r) { r.codeplugPhase = 'D'; r.codeplugVersion = 99; }, {}, {}},
        {"phase d does not",
         [](CRadioIdentity &r) { r.codeplugPhase = 'd'; r.codeplugVersion = 4; }, kCodeplugNewer, kCodeplugNewer},
        {"region is checked before the version",
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 3, 0}; r.codeplugVersion = 9; }, europe, kRegionForWrite},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CRadioIdentity radio = Radio();
        c.change(radio);
        const CTransferVerdict read = CheckRadioCommon(radio, TransferOperation::Read);
        const CTransferVerdict write = CheckRadioCommon(radio, TransferOperation::Write);
        EXPECT_EQ(read.proceed, c.readMessage.isEmpty());
        EXPECT_EQ(read.message, c.readMessage);
        EXPECT_EQ(write.proceed, c.writeMessage.isEmpty());
        EXPECT_EQ(write.message, c.writeMessage);
    }
}

// ---- the write checks ----

TEST_F(TransferChecksTest, WriteChecksStopAtTheFirstMismatchWithItsMessage)
{
    struct Case
    {
        const char *name;
        std::function<QString(QString)> profile;
        std::function<void(CRadioIdentity &)> radio;
        QString message; // empty: the write goes on
    };
    const auto same = [](QString text) { return text; };
    const auto anyRadio = [](CRadioIdentity &) {};
    const auto code = [](int channel, const char *attribute, const char *value) {
        return [=](QString text) { return WithAttribute(text, QLatin1String(attribute), QLatin1String(value), channel); };
    };
    const auto radioCodes = [](quint8 highest) { return [=](CRadioIdentity &r) { r.maxCode = highest; }; };
    const Case cases[] = {
        {"matching radio", same, anyRadio, {}},
        {"model ends in 10, radio region 20", same, [](CRadioIdentity &r) { r.modelDigits[3] = 2; }, kModelRegion},
        {"model ends in 12, radio region bytes 1 and 2",
         [](QString t) { return WithAttribute(t, QStringLiteral("model"), QStringLiteral("ZRD51612")); },
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 1, 2}; }, {}},
        {"model ends in 21, radio region bytes 1 and 2",
         [](QString t) { return WithAttribute(t, QStringLiteral("model"), QStringLiteral("ZRD51621")); },
         [](CRadioIdentity &r) { r.modelDigits = {5, 1, 6, 1, 2}; }, kModelRegion},
        {"radio codeplug newer", same, [](CRadioIdentity &r) { r.codeplugVersion = 4; }, kCodeplugNewer},
        {"clone class differs", same, [](CRadioIdentity &r) { r.serialCloneCompatibility = 2; }, kClone},
        {"model character 2 differs", same, [](CRadioIdentity &r) { r.modelCharacters[1] = 'V'; }, kBand},
        {"code 150 for a radio up to 122", code(3, "rx_code", "150"), radioCodes(122), kCodes},
        {"transmit code 123 for a radio up to 122", code(0, "tx_code", "123"), radioCodes(122), kCodes},
        {"codes up to 122 for a radio up to 122", code(3, "rx_code", "122"), radioCodes(122), {}},
        {"code 214 for a radio up to 213", code(15, "tx_code", "214"), radioCodes(213), kCodes},
        {"code 213 for a radio up to 213", code(15, "tx_code", "213"), radioCodes(213), {}},
        {"code 150 for a radio up to 38: converted later, not refused", code(3, "rx_code", "150"), radioCodes(38), {}},
        {"code 150 beyond numberChannels",
         [](QString t) {
             return WithAttribute(WithAttribute(t, QStringLiteral("numberChannels"), QStringLiteral("4")),
                                  QStringLiteral("rx_code"), QStringLiteral("150"), 4);
         },
         radioCodes(122), {}},
        {"maxCodes 122 asks nothing of a 122 radio",
         [](QString t) {
             return WithAttribute(WithAttribute(t, QStringLiteral("maxCodes"), QStringLiteral("122")),
                                  QStringLiteral("rx_code"), QStringLiteral("150"), 2);
         },
         radioCodes(122), {}},
        {"region before clone class", same,
         [](CRadioIdentity &r) { r.modelDigits[3] = 2; r.serialCloneCompatibility = 2; }, kModelRegion},
        {"clone class before model character 2", same,
         [](CRadioIdentity &r) { r.serialCloneCompatibility = 2; r.modelCharacters[1] = 'V'; }, kClone},
        {"model character 2 before codes", code(3, "rx_code", "150"),
         [](CRadioIdentity &r) { r.modelCharacters[1] = 'V'; r.maxCode = 122; }, kBand},
    };
    const QString base = TemplateText(QStringLiteral("ZRD51610"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto model = Load(c.profile(base));
        CRadioIdentity radio = Radio();
        c.radio(radio);
        const CTransferVerdict verdict = CheckProfileForRadio(model->RootItem(), radio);
        EXPECT_EQ(verdict.proceed, c.message.isEmpty());
        EXPECT_EQ(verdict.message, c.message);
    }
    EXPECT_TRUE(dialogs.events.isEmpty());
}

// ---- tier and display conversions ----

TEST_F(TransferChecksTest, TierAndDisplayConversionAskOnceAndClearWhatTheRadioLacks)
{
    struct Case
    {
        const char *name;
        const char *profile;
        const char *radio;
        std::deque<int> answers;
        int questions;
        bool proceeds;
        int firstCleared, endCleared; // channel slots zeroed: [first, end)
        bool buttonsCleared;          // entries 5, 8 and 9
    };
    const Case cases[] = {
        {"same tier, both rotary", "ZRR51610", "ZRR51610", {}, 0, true, 0, 0, false},
        {"radio of a higher tier", "ZRR50410", "ZRR51610", {}, 0, true, 0, 0, false},
        {"16 to 8, Yes", "ZRR51610", "ZRR50810", {IDYES}, 1, true, 8, 16, false},
        {"16 to 8, No", "ZRR51610", "ZRR50810", {IDNO}, 1, false, 0, 0, false},
        {"20 to 4 clears up to slot 18", "ZRR52010", "ZRR50410", {IDYES}, 1, true, 4, 19, false},
        {"display to rotary, Yes", "ZRD51610", "ZRR51610", {IDYES}, 1, true, 0, 0, true},
        {"display to rotary, No", "ZRD51610", "ZRR51610", {IDNO}, 1, false, 0, 0, false},
        {"display to rotary of a lower tier: one question", "ZRD51610", "ZRR50810", {IDYES}, 1, true, 8, 16, true},
        {"rotary to display", "ZRR51610", "ZRD51610", {}, 0, true, 0, 0, false},
        {"display to display", "ZRD51610", "ZRD51610", {}, 0, true, 0, 0, false},
        {"only an upper-case R is rotary", "ZRD51610", "ZRr51610", {}, 0, true, 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDialogs asked;
        asked.answers = c.answers;
        const VirtualCP before = ModelImage(c.profile);
        VirtualCP image = before;
        EXPECT_EQ(ConvertTier(image, Radio(c.radio), asked), c.proceeds);
        EXPECT_EQ(asked.events, QStringList(c.questions, Ask(kTierQuestion)));
        for (unsigned style : asked.styles)
            EXPECT_EQ(style & MB_TYPEMASK, unsigned(MB_YESNO));
        for (int slot = 0; slot < CP::kChannelCount; ++slot) {
            const bool cleared = slot >= c.firstCleared && slot < c.endCleared;
            EXPECT_EQ(SlotBytes(image, slot), cleared ? QByteArray(CP::kChannelRecordSize, '\0') : SlotBytes(before, slot))
                << "slot " << slot;
        }
        for (int entry = 0; entry < CP::kButtonEntryCount; ++entry) {
            const bool cleared = c.buttonsCleared && (entry == 5 || entry == 8 || entry == 9);
            EXPECT_EQ(image.ButtonEntry(entry), cleared ? 0 : before.ButtonEntry(entry)) << "entry " << entry;
        }
    }
}

TEST_F(TransferChecksTest, TierConversionCutsChannelCountAndPresets)
{
    struct Case
    {
        quint8 numberChannels, preset1, preset2;
        quint8 expectedChannels, expectedPreset1, expectedPreset2;
    };
    // Radio tier 8: a preset channel not below 8 goes to 0 (first) or 1 (second).
    const Case cases[] = {
        {16, 10, 10, 8, 0, 1},
        {5, 7, 7, 5, 7, 7},
        {8, 8, 8, 8, 0, 1},
        {9, 0, 15, 8, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.numberChannels) << " channels, presets " << int(c.preset1) << ", "
                                        << int(c.preset2));
        VirtualCP image = ModelImage("ZRR51610");
        image.Set(CP::kNumberChannels, c.numberChannels);
        image.SetPresetChannel(0, c.preset1);
        image.SetPresetChannel(1, c.preset2);
        RecordingDialogs asked;
        asked.answers = {IDYES};
        ASSERT_TRUE(ConvertTier(image, Radio("ZRR50810"), asked));
        EXPECT_EQ(image.Get(CP::kNumberChannels), c.expectedChannels);
        EXPECT_EQ(image.PresetChannel(0), c.expectedPreset1);
        EXPECT_EQ(image.PresetChannel(1), c.expectedPreset2);
    }
}

TEST_F(TransferChecksTest, CodesBeyondTheRadioBecomeOneInEverySlotWithoutAQuestion)
{
    VirtualCP image = ModelImage("ZRR51610");
    for (int slot = 0; slot < CP::kChannelCount; ++slot) {
        image.Set(slot, CP::Channel::kRxCode, quint8(30 + slot)); // 30 ... 48
        image.Set(slot, CP::Channel::kTxCode, quint8(48 - slot)); // 48 ... 30
    }
    CRadioIdentity radio = Radio("ZRR51610");
    radio.maxCode = 38;
    ASSERT_TRUE(ConvertTier(image, radio, dialogs));
    EXPECT_TRUE(dialogs.events.isEmpty());
    for (int slot = 0; slot < CP::kChannelCount; ++slot) {
        const int rx = 30 + slot, tx = 48 - slot;
        EXPECT_EQ(image.Get(slot, CP::Channel::kRxCode), rx > 38 ? 1 : rx) << "slot " << slot;
        EXPECT_EQ(image.Get(slot, CP::Channel::kTxCode), tx > 38 ? 1 : tx) << "slot " << slot;
    }
}

// ---- password gate ----

TEST_F(TransferChecksTest, PasswordGate)
{
    using Entries = std::deque<std::optional<QString>>;
    struct Case
    {
        const char *name;
        QByteArray radioPassword;
        QString rememberedBefore;
        Entries entries;
        bool passes;
        QStringList events;
        QString rememberedAfter;
    };
    const Case cases[] = {
        {"radio without password", "", "", {}, true, {}, ""},
        {"radio without password, something remembered", "", "9999", {}, true, {}, "9999"},
        {"remembered password", "1234", "1234", {}, true, {}, "1234"},
        {"right entry", "1234", "", {QStringLiteral("1234")}, true, {kPrompt}, "1234"},
        {"other password remembered, right entry", "1234", "9999", {QStringLiteral("1234")}, true, {kPrompt}, "1234"},
        {"wrong, then right", "1234", "", {QStringLiteral("1111"), QStringLiteral("1234")}, true,
         {kPrompt, Show(kWrongPassword), kPrompt}, "1234"},
        {"wrong, then cancelled", "1234", "", {QStringLiteral("1111"), std::nullopt}, false,
         {kPrompt, Show(kWrongPassword), kPrompt}, ""},
        {"cancelled", "1234", "9999", {std::nullopt}, false, {kPrompt}, "9999"},
        {"empty entry is wrong", "1234", "", {QString(), std::nullopt}, false,
         {kPrompt, Show(kWrongPassword), kPrompt}, ""},
        {"letter case counts", "ab", "AB", {QStringLiteral("AB"), QStringLiteral("ab")}, true,
         {kPrompt, Show(kWrongPassword), kPrompt}, "ab"},
        {"password ends at the first zero byte", QByteArray("12\0" "4", 4), "", {QStringLiteral("124"), QStringLiteral("12")},
         true, {kPrompt, Show(kWrongPassword), kPrompt}, "12"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDialogs asked;
        asked.passwords = c.entries;
        CRememberedPassword memory;
        memory.Set(c.rememberedBefore);
        EXPECT_EQ(PassPasswordGate(WithPassword(Radio(), c.radioPassword), memory, asked), c.passes);
        EXPECT_EQ(asked.events, c.events);
        EXPECT_EQ(memory.Text(), c.rememberedAfter);
        EXPECT_TRUE(asked.passwords.empty()) << "entries left over";
    }
}

TEST_F(TransferChecksTest, RememberedPasswordKeepsFourCharactersAndTakesTheWrittenOne)
{
    remembered.Set(QStringLiteral("123456"));
    EXPECT_EQ(remembered.Text(), QStringLiteral("1234"));

    VirtualCP image;
    image.Set(CP::kPassword, QByteArrayView("07"));
    remembered.RememberWritten(image);
    EXPECT_EQ(remembered.Text(), QStringLiteral("07"));
    image.Set(CP::kPassword, QByteArrayView(""));
    remembered.RememberWritten(image);
    EXPECT_EQ(remembered.Text(), QString());
}

// ---- identity stamp and lower-codeplug warning ----

TEST_F(TransferChecksTest, StampCopiesFirmwareAndModelAndLimitsMaxCodes)
{
    // Identity bytes 0-20 with values unlike the image's.
    const QByteArray identityBytes = QByteArray("XYZ") + QByteArray("\x04\x03\x02\x01\x09", 5) + "Q85" + "P"
                                   + QByteArray("\x02", 1) + "1234" + QByteArray("\x10\x07\x00\x7A", 4);
    const std::optional<CRadioIdentity> radio = CRadioIdentity::FromBytes(identityBytes);
    ASSERT_TRUE(radio);
    ASSERT_EQ(radio->maxCode, 122);

    struct Case
    {
        quint32 imageMaxCodes;
        quint32 expected;
    };
    for (const Case c : {Case{219, 122}, Case{122, 122}, Case{38, 38}, Case{0x10000, 122}}) {
        SCOPED_TRACE(c.imageMaxCodes);
        VirtualCP before = PatternedImage();
        before.Set(CP::kMaxCodes, c.imageMaxCodes);
        VirtualCP image = before;
        StampRadioIdentity(image, *radio);

        QByteArray expected = before.Save();
        expected.replace(0x00, 3, identityBytes.mid(8, 3));
        expected.replace(0x06, 8, identityBytes.mid(0, 8));
        QByteArray maxCodes(4, '\0');
        for (int i = 0; i < 4; ++i)
            maxCodes[i] = char(c.expected >> (8 * i));
        expected.replace(0x3C, 4, maxCodes);
        EXPECT_EQ(image.Save().toHex(' '), expected.toHex(' '));
    }
}

TEST_F(TransferChecksTest, LowerCodeplugWarningOnlyForAnOlderRadio)
{
    const auto model = Load(TemplateText(QStringLiteral("ZRD51610"))); // codeplug_version 3
    for (const quint8 version : {0, 2, 3, 4}) {
        SCOPED_TRACE(int(version));
        RecordingDialogs shown;
        CRadioIdentity radio = Radio();
        radio.codeplugVersion = version;
        const bool older = version < 3;
        EXPECT_EQ(WarnLowerCodeplug(model->RootItem(), radio, shown), older);
        EXPECT_EQ(shown.events, older ? QStringList{Show(kLowerCodeplug)} : QStringList());
    }
}

// ---- the whole read decision ----

TEST_F(TransferChecksTest, ReadChecksThenPasswordAndASecondReadAsksNoMore)
{
    const CRadioIdentity radio = WithPassword(Radio(), "4711");

    // A refused radio never reaches the prompt.
    CRadioIdentity elsewhere = radio;
    elsewhere.modelDigits[3] = 4; // region 40
    const CTransferVerdict refused = CompleteIdentifyForRead(elsewhere, remembered, dialogs);
    EXPECT_FALSE(refused.proceed);
    EXPECT_EQ(refused.message, kRegionForRead + QStringLiteral(" Please use the \"Tarn QX Dealer Americas CPS\"."));

    dialogs.passwords = {std::nullopt};
    const CTransferVerdict cancelled = CompleteIdentifyForRead(radio, remembered, dialogs);
    EXPECT_FALSE(cancelled.proceed);
    EXPECT_TRUE(cancelled.message.isEmpty());

    dialogs.passwords = {QStringLiteral("0000"), QStringLiteral("4711")};
    EXPECT_TRUE(CompleteIdentifyForRead(radio, remembered, dialogs).proceed);
    EXPECT_TRUE(CompleteIdentifyForRead(radio, remembered, dialogs).proceed);
    EXPECT_EQ(dialogs.events, (QStringList{kPrompt, kPrompt, Show(kWrongPassword), kPrompt}));
}

// ---- the whole write decision ----

TEST_F(TransferChecksTest, WriteBuildsTheImageFromACleanStartAndStampsIt)
{
    const auto model = Load(TemplateText(QStringLiteral("ZRD51610")));
    CRadioIdentity radio = Radio();
    radio.firmwareVersion = '2';
    radio.firmwareRevision = '0';
    radio.maxCode = 213;

    VirtualCP image = PatternedImage(); // whatever the last read left
    const CTransferVerdict verdict = CompleteIdentifyForWrite(radio, model.get(), image, remembered, dialogs);
    ASSERT_TRUE(verdict.proceed) << verdict.message.toStdString() << verdict.trace.toStdString();
    EXPECT_TRUE(dialogs.events.isEmpty());

    VirtualCP expected;
    GetVirtualCPData(*model, expected, radio);
    expected.SetCharacter(CP::kFirmwareVersion, '2');
    expected.SetCharacter(CP::kFirmwareRevision, '0');
    expected.Set(CP::kMaxCodes, 213);
    EXPECT_EQ(image.Save().toHex(' '), expected.Save().toHex(' '));
}

TEST_F(TransferChecksTest, WriteStopsWithoutProfileAfterClearingTheImage)
{
    VirtualCP image = PatternedImage();
    CRadioDataModel unloaded;
    for (CRadioDataModel *profile : {static_cast<CRadioDataModel *>(nullptr), &unloaded}) {
        const CTransferVerdict verdict = CompleteIdentifyForWrite(Radio(), profile, image, remembered, dialogs);
        EXPECT_FALSE(verdict.proceed);
        EXPECT_TRUE(verdict.message.isEmpty());
        EXPECT_TRUE(image == VirtualCP());
    }

    // A refused radio leaves the image alone.
    image = PatternedImage();
    CRadioIdentity elsewhere = Radio();
    elsewhere.modelDigits[3] = 3;
    EXPECT_EQ(CompleteIdentifyForWrite(elsewhere, nullptr, image, remembered, dialogs).message, kRegionForWrite);
    EXPECT_TRUE(image == PatternedImage());
    EXPECT_TRUE(dialogs.events.isEmpty());
}

TEST_F(TransferChecksTest, WriteAsksTierThenPasswordThenWarnsOfTheOlderCodeplug)
{
    const auto model = Load(TemplateText(QStringLiteral("ZRD51610")));
    CRadioIdentity radio = WithPassword(Radio("ZRR50410"), "12");
    radio.codeplugVersion = 2;
    dialogs.answers = {IDYES};
    dialogs.passwords = {QStringLiteral("12")};
    VirtualCP image;
    const CTransferVerdict verdict = CompleteIdentifyForWrite(radio, model.get(), image, remembered, dialogs);
    ASSERT_TRUE(verdict.proceed) << verdict.message.toStdString();
    EXPECT_EQ(dialogs.events, (QStringList{Ask(kTierQuestion), kPrompt, Show(kLowerCodeplug)}));
    EXPECT_EQ(remembered.Text(), QStringLiteral("12"));

    // Converted to the rotary four-channel radio and stamped with it.
    EXPECT_EQ(image.Model(), QByteArray("ZRR50410"));
    EXPECT_EQ(image.Get(CP::kNumberChannels), 4);
    for (int slot = 4; slot < 16; ++slot)
        EXPECT_EQ(SlotBytes(image, slot), QByteArray(CP::kChannelRecordSize, '\0')) << "slot " << slot;
    EXPECT_NE(SlotBytes(image, 3), QByteArray(CP::kChannelRecordSize, '\0'));
    for (int entry : {5, 8, 9})
        EXPECT_EQ(image.ButtonEntry(entry), 0) << "entry " << entry;
    EXPECT_EQ(image.ButtonEntry(CP::kSide1ButEntry), 7); // side1_but of the template
    EXPECT_EQ(image.ButtonEntry(CP::kSide2ButEntry), 4); // side2_but
}

TEST_F(TransferChecksTest, WriteDeclinedOrRefusedStopsBeforeThePassword)
{
    const QString base = TemplateText(QStringLiteral("ZRD51610"));
    const CRadioIdentity radio = WithPassword(Radio("ZRR51610"), "12");

    const auto model = Load(base);
    dialogs.answers = {IDNO};
    VirtualCP image;
    const CTransferVerdict declined = CompleteIdentifyForWrite(radio, model.get(), image, remembered, dialogs);
    EXPECT_FALSE(declined.proceed);
    EXPECT_TRUE(declined.message.isEmpty());
    EXPECT_EQ(dialogs.events, QStringList{Ask(kTierQuestion)});

    dialogs.events.clear();
    const auto clashing = Load(WithAttribute(base, QStringLiteral("serial_clone_compatibility"), QStringLiteral("2")));
    EXPECT_EQ(CompleteIdentifyForWrite(radio, clashing.get(), image, remembered, dialogs).message, kClone);
    EXPECT_TRUE(dialogs.events.isEmpty());
}

TEST_F(TransferChecksTest, WriteCodesAboveASmallRadioBecomeOneAndMaxCodesFollowsTheRadio)
{
    // The rotary model has no repeater: its transmit code follows the receive code.
    const auto model = Load(WithAttribute(TemplateText(QStringLiteral("ZRR51610")), QStringLiteral("rx_code"),
                                          QStringLiteral("150"), 2));
    CRadioIdentity radio = Radio("ZRR51610");
    radio.maxCode = 38;
    VirtualCP image;
    ASSERT_TRUE(CompleteIdentifyForWrite(radio, model.get(), image, remembered, dialogs).proceed);
    EXPECT_TRUE(dialogs.events.isEmpty());
    EXPECT_EQ(image.Get(2, CP::Channel::kRxCode), 1);
    EXPECT_EQ(image.Get(2, CP::Channel::kTxCode), 1);
    EXPECT_EQ(image.Get(CP::kMaxCodes), 38u);
}

TEST_F(TransferChecksTest, WriteTurnsADataModelErrorIntoAStop)
{
    const auto model = Load(TemplateText(QStringLiteral("ZRD51610")));
    CDataItem factory;
    model->RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
    xmlUnsetProp(factory.Node(), reinterpret_cast<const xmlChar *>("serial_clone_compatibility"));

    VirtualCP image;
    const CTransferVerdict verdict = CompleteIdentifyForWrite(Radio(), model.get(), image, remembered, dialogs);
    EXPECT_FALSE(verdict.proceed);
    EXPECT_EQ(verdict.message, QStringLiteral("Programming error: 108."));
    EXPECT_TRUE(verdict.trace.contains(QStringLiteral("serial_clone_compatibility")));
    EXPECT_TRUE(verdict.trace.contains(QStringLiteral("CompleteIdentifyForWrite")));
}

// ---- after a read ----

class AfterReadTest : public TransferChecksTest
{
protected:
    void SetUp() override
    {
        TransferChecksTest::SetUp();
        // What a read of a display radio would give.
        const auto source = Load(TemplateText(QStringLiteral("ZRD51610")));
        GetVirtualCPData(*source, readImage, Radio());
        readImage.Set(3, CP::Channel::kName, QByteArrayView("RADIO"));
    }

    VirtualCP readImage;
};

TEST_F(AfterReadTest, DecisionDependsOnOpenDocumentAnswerAndImage)
{
    struct Case
    {
        const char *name;
        bool documentOpen;
        std::deque<int> answers;
        bool validImage;
        AfterReadAction expected;
        QStringList sinkMessages;
    };
    const QStringList invalidSerial{QStringLiteral("Invalid serial number")};
    const Case cases[] = {
        {"no document", false, {}, true, AfterReadAction::NewProfile, {}},
        {"no document, bad image", false, {}, false, AfterReadAction::Nothing, invalidSerial},
        {"document open, Yes", true, {IDYES}, true, AfterReadAction::NewProfile, {}},
        {"document open, Yes, bad image", true, {IDYES}, false, AfterReadAction::Nothing, invalidSerial},
        {"document open, No", true, {IDNO}, true, AfterReadAction::ReplaceProfile, {}},
        {"document open, Cancel", true, {IDCANCEL}, true, AfterReadAction::Nothing, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sink.texts.clear();
        RecordingDialogs asked;
        asked.answers = c.answers;
        VirtualCP image = readImage;
        if (!c.validImage)
            image.Set(CP::kSerial, QByteArrayView(""));
        EXPECT_EQ(DecideAfterRead(image, c.documentOpen, asked), c.expected);
        EXPECT_EQ(asked.events, c.documentOpen ? QStringList{Ask(kNewOrOverwrite)} : QStringList());
        for (unsigned style : asked.styles)
            EXPECT_EQ(style & MB_TYPEMASK, unsigned(MB_YESNOCANCEL));
        EXPECT_EQ(sink.texts, c.sinkMessages);
    }
}

TEST_F(AfterReadTest, NewOrReplacedProfileHoldsTheRadiosData)
{
    const auto made = NewProfileFromImage(readImage, dialogs);
    ASSERT_TRUE(made);
    EXPECT_EQ(ProfileModel(*made), QStringLiteral("ZRD51610"));
    CDataItem channels, channel;
    made->RootItem().GetChildByName(QStringLiteral("channels"), channels);
    channels.GetChildByIndex(3, channel);
    EXPECT_EQ(channel.GetAttributeValue(QStringLiteral("name")).toString(), QStringLiteral("RADIO"));

    const auto active = Load(TemplateText(QStringLiteral("ZRR50420")));
    ASSERT_TRUE(ReplaceProfileFromImage(*active, readImage, dialogs));
    EXPECT_EQ(ProfileModel(*active), QStringLiteral("ZRD51610"));
    active->RootItem().GetChildByName(QStringLiteral("channels"), channels);
    EXPECT_EQ(channels.GetChildCount(), 16);
    EXPECT_TRUE(dialogs.events.isEmpty());
}

TEST_F(AfterReadTest, RefusedImageMakesNoProfile)
{
    VirtualCP image = readImage;
    image.Set(CP::kSerial, QByteArrayView("12XABC4567"));
    EXPECT_FALSE(NewProfileFromImage(image, dialogs));
    const auto active = Load(TemplateText(QStringLiteral("ZRR50420")));
    EXPECT_FALSE(ReplaceProfileFromImage(*active, image, dialogs));
    EXPECT_EQ(ProfileModel(*active), QStringLiteral("ZRR50420"));
    EXPECT_EQ(sink.texts, QStringList(2, QStringLiteral("Invalid serial number")));
}

} // namespace
