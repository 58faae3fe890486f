// Sessions against the radio simulator: identify, read, write and reset as
// the radio sees them (its memory before and after), the packing rules that
// only show in single records, the transfer messages and their texts, the
// workers with their locks and busy flags, and every injected fault ending
// in the failure report without a hang.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "radio/CableStatus.h"
#include "radio/RadioMemoryMap.h"
#include "radio/RadioSession.h"
#include "radio/SystemLock.h"
#include "radio/TransferDialogs.h"
#include "radio/TransferMessage.h"
#include "settings/AppContext.h"
#include "settings/Installation.h"
#include "settings/SettingDocuments.h"
#include "settings/TextFile.h"
#include "support/SimulatedRadio.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <array>
#include <future>
#include <set>

namespace {

using namespace RadioMemoryMap;
using VC = VirtualCP;
using Message = std::pair<int, int>;

constexpr int kProgress = int(TransferKind::Progress);
constexpr int kCompleted = int(TransferKind::Completed);
constexpr int kFailed = int(TransferKind::Failed);
constexpr int kWarning = int(TransferKind::RadioWarning);

// Records the transfer messages delivered to it.
struct Recorder
{
    QObject receiver;
    QList<Message> messages;

    CSessionWorker::Target Target()
    {
        return {&receiver, [this](int kind, int value) { messages.append({kind, value}); }};
    }
    void Drain() { QCoreApplication::processEvents(); }
    QList<int> Progress() const
    {
        QList<int> values;
        for (const Message &m : messages)
            if (m.first == kProgress)
                values << m.second;
        return values;
    }
    QList<Message> Ends() const
    {
        QList<Message> ends;
        for (const Message &m : messages)
            if (m.first != kProgress)
                ends << m;
        return ends;
    }
};

// Processes events until done() or the time is up.
template<typename Predicate>
bool Until(Predicate done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

QByteArray Bytes(std::span<const quint8> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

std::set<quint32> Range(quint32 address, int length)
{
    std::set<quint32> addresses;
    for (int k = 0; k < length; ++k)
        addresses.insert(address + quint32(k));
    return addresses;
}

class RadioSessionTest : public SimulatedRadioTest
{
protected:
    void SetUp() override
    {
        SimulatedRadioTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        CUsbCable cable;
        ASSERT_EQ(cable.CountCables(&m_index), 1);
        session = std::make_unique<CRadioSession>(m_index);
        session->SetTarget(&recorder.receiver, recorder.Target().handler);
    }

    // A radio image, read from the simulated radio by the session itself.
    VirtualCP ReadBack()
    {
        VirtualCP image;
        EXPECT_TRUE(session->ReadRadio(image));
        recorder.Drain();
        return image;
    }
    int Index() const { return m_index; }

    QList<SimLogEntry> WritesAt(quint32 first, quint32 end) const
    {
        QList<SimLogEntry> writes;
        for (const SimLogEntry &entry : Served(SimRequestKind::WriteMemory))
            if (entry.address >= first && entry.address < end)
                writes << entry;
        return writes;
    }
    QList<QByteArray> Controls() const
    {
        QList<QByteArray> controls;
        for (const SimLogEntry &entry : Served(SimRequestKind::Control))
            controls << entry.request.mid(4, 3).toHex(' ').toUpper();
        return controls;
    }

    Recorder recorder;
    std::unique_ptr<CRadioSession> session;

private:
    int m_index = -1;
};

// ---------------------------------------------------------------------------
// Packing rules of single records

TEST(RadioMemoryMap, ChannelRecordCarriesItsCheckByteAndTheFlagsOnTheNamesTopBit)
{
    struct Case
    {
        bool disableChannel;
        bool talkaroundScan;
        quint8 byte5;
        quint8 byte6;
    };
    // 0x5A + 1 + 2 + 3 + 4 + "ABCDEFGH" (65 ... 72) = 648 = 0x288.
    constexpr int kSum = 0x5A + 1 + 2 + 3 + 4 + 65 + 66 + 67 + 68 + 69 + 70 + 71 + 72;
    const Case cases[] = {
        {false, false, 'A', 'B'},
        {true, false, 'A' + 0x80, 'B'},
        {false, true, 'A', 'B' + 0x80},
        {true, true, 'A' + 0x80, 'B' + 0x80},
    };
    for (const Case &c : cases) {
        VirtualCP image;
        image.Set(0, VC::Channel::kRxFreqNdx, 1);
        image.Set(0, VC::Channel::kRxCode, 2);
        image.Set(0, VC::Channel::kTxFreqNdx, 3);
        image.Set(0, VC::Channel::kTxCode, 4);
        image.Set(0, VC::Channel::kName, "ABCDEFGH");
        image.Set(0, VC::Channel::kDisableChannel, c.disableChannel);
        image.Set(0, VC::Channel::kTalkaroundScan, c.talkaroundScan);
        std::array<quint8, ChannelRecord::kSize> record{};
        PackChannelRecord(image, 0, record);
        EXPECT_EQ(Bytes(record).left(5), QByteArray::fromHex("0102030400"));
        EXPECT_EQ(record[5], c.byte5);
        EXPECT_EQ(record[6], c.byte6);
        const int flags = (c.disableChannel ? 0x80 : 0) + (c.talkaroundScan ? 0x80 : 0);
        EXPECT_EQ(record[13], quint8((kSum + flags) % 256)) << c.disableChannel << c.talkaroundScan;

        VirtualCP back;
        UnpackChannelRecord(record, 0, back);
        EXPECT_EQ(back.Get(0, VC::Channel::kName), QByteArray("ABCDEFGH"));
        EXPECT_EQ(back.Get(0, VC::Channel::kDisableChannel), c.disableChannel);
        EXPECT_EQ(back.Get(0, VC::Channel::kTalkaroundScan), c.talkaroundScan);
        EXPECT_EQ(back.Get(0, VC::Channel::kCheckByte), record[13]);
    }
}

TEST(RadioMemoryMap, KeypadBeepIsTheInvertedBitThreeOfSettingsByteOne)
{
    for (const auto &[byte1, beep] : {std::pair<quint8, bool>{0x08, false}, {0x00, true}, {0xF7, true}, {0xFF, false}}) {
        std::array<quint8, Settings::kSize> record{};
        record[Settings::kAudioFlags] = byte1;
        VirtualCP image;
        UnpackSettingsRecord(record, image);
        EXPECT_EQ(image.Get(VC::kKeypadBeep), beep) << int(byte1);
        std::array<quint8, Settings::kSize> packed{};
        PackSettingsRecord(image, packed);
        EXPECT_EQ(packed[Settings::kAudioFlags], byte1);
    }
}

TEST(RadioMemoryMap, SettingsWriteKeepsTheRadiosBitsAndTheScrambleKeyBitOnlyForAScrambleButton)
{
    struct Case
    {
        const char *name;
        const char *model;
        bool disableSelectableScramble;
        int entry; // the button set to 12, or -1
        bool kept;
        // The button table sent over a radio's FF bytes: entries 5, 6, 8, 9
        // and 11 are the image's, every other entry the radio's.
        const char *buttons;
    };
    const Case cases[] = {
        {"side button 1", "ZRR41610", true, VC::kSide1ButEntry, true, "FFFF0FFC000FFFFF"},
        {"side button 2", "ZRR41610", true, VC::kSide2ButEntry, true, "FFFF0FF000CFFFFF"},
        {"upper right on a display radio", "ZRD41610", true, VC::kUpperRightButEntry, true, "FFFFCFF0000FFFFF"},
        {"lower left on a display radio", "ZRD41610", true, VC::kLowerLeftButEntry, true, "FFFF0FF00C0FFFFF"},
        {"lower right on a rotary radio", "ZRR41610", true, VC::kLowerRightButEntry, false, "FFFF0FF0C00FFFFF"},
        {"selectable scramble on", "ZRD41610", false, VC::kSide1ButEntry, false, "FFFF0FFC000FFFFF"},
        {"no scramble button", "ZRD41610", true, -1, false, "FFFF0FF0000FFFFF"},
    };
    for (const Case &c : cases) {
        VirtualCP image;
        image.SetModel(c.model);
        image.Set(VC::kDisableSelectableScramble, c.disableSelectableScramble);
        if (c.entry >= 0)
            image.SetButtonEntry(c.entry, Settings::kScrambleButtonValue);
        image.Set(VC::kVoiceLanguage, 5);
        std::array<quint8, Settings::kSize> record{};
        record.fill(0xFF); // every bit the radio's own is set
        PackSettingsRecord(image, record);
        EXPECT_EQ(record[Settings::kScrambleFlags] & Settings::kScrambleKeyBit, c.kept ? Settings::kScrambleKeyBit : 0)
            << c.name;
        EXPECT_EQ(record[Settings::kScrambleFlags] & 0x80, 0x80) << c.name;
        EXPECT_EQ(record[Settings::kRestoreDefault], 0x7F) << c.name;
        EXPECT_EQ(record[Settings::kVoiceLanguage], 0xA0) << c.name;
        const QByteArray buttons = Bytes(std::span<const quint8>(record).subspan(Settings::kButtonTable, 8));
        EXPECT_EQ(buttons.toHex().toUpper(), QByteArray(c.buttons)) << c.name;
    }
}

TEST(RadioMemoryMap, FrequencyRecordIsPackedWithoutMaskingAndReadBack)
{
    VirtualCP image;
    image.EncodeFrequency(0, 462562500, 400);
    image.Set(0, VC::Frequency::kPowerLevel, 2);
    image.Set(0, VC::Frequency::kCompanderLleMode, 3);
    image.Set(0, VC::Frequency::kBandwidth, 1);
    const auto record = PackFrequencyRecord(image, 0);
    VirtualCP back;
    UnpackFrequencyRecord(record, 0, back);
    back.Set(VC::kSynthBaseIntPart, 400);
    EXPECT_EQ(back.DecodeFrequency(0), 462562500u);
    EXPECT_EQ(back.Get(0, VC::Frequency::kPowerLevel), 2);
    EXPECT_EQ(back.Get(0, VC::Frequency::kCompanderLleMode), 3);
    EXPECT_EQ(back.Get(0, VC::Frequency::kBandwidth), 1);

    // A power level wider than its two bits spills into the divider offset's
    // bits, as the radio has always been sent it.
    image.Set(0, VC::Frequency::kPowerLevel, 5);
    EXPECT_EQ(PackFrequencyRecord(image, 0)[1], quint8((40 << 4 & 0xFF) | 5 << 2 | 3));
}

TEST(RadioMemoryMap, FirmwareRulesOfReadAndIdentifyDiffer)
{
    struct Case
    {
        const char *firmware;
        bool readNewer;
        bool identifyNewer;
    };
    const Case cases[] = {
        {"R17", true, true}, {"R19", true, true}, {"R16", false, false}, {"R20", true, false},
        {"D70", true, true}, {"D80", true, false}, {"D69", false, false}, {"P17", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IsNewerFirmwareForLimits(c.firmware[0], c.firmware[1], c.firmware[2]), c.readNewer) << c.firmware;
        EXPECT_EQ(IdentifyReadsNewerMaxCode(c.firmware[0], c.firmware[1], c.firmware[2]), c.identifyNewer)
            << c.firmware;
    }
}

// ---------------------------------------------------------------------------
// Messages

TEST(TransferMessage, MainWindowShowsTheFailureAndWarningTextsAndClearsTheBusyFlags)
{
    struct Case
    {
        int kind;
        int value;
        OperationKind operation;
        bool busy;
        int lastProgress;
        bool clearBusy;
        bool pause;
        bool completeIdentify;
        int newLastProgress;
        const char *text;
    };
    const Case cases[] = {
        {kProgress, 40, OperationKind::Read, true, 20, false, false, false, 40, ""},
        {kFailed, -1, OperationKind::Read, true, 20, true, false, false, 20, "Error: Communication Error."},
        {kFailed, 0, OperationKind::Write, true, 20, true, false, false, 20, "Error: Operation Failed (0)."},
        {kWarning, 8, OperationKind::Read, true, 0, true, false, false, 0,
         "Warning: Radio's memory is corrupted. Please perform factory reset to correct the error."},
        {kWarning, 3, OperationKind::Write, true, 0, true, false, false, 0,
         "Warning: Radio's memory is corrupted. Please return to manufacture for correction."},
        {kWarning, 32, OperationKind::Read, true, 0, true, false, false, 0, "Warning: Unknown warning!"},
        {kCompleted, 0, OperationKind::Reset, true, 100, true, true, false, 100, ""},
        {kCompleted, 0, OperationKind::Reset, false, 100, false, false, false, 100, ""},
        {kCompleted, 0, OperationKind::Read, true, 100, false, false, true, 0, ""},
        {kCompleted, 0, OperationKind::Write, true, 80, false, false, false, 80, ""},
        {kCompleted, 0, OperationKind::Read, false, 100, false, false, false, 100, ""},
    };
    for (const Case &c : cases) {
        const TransferMessageEffect effect = ApplyTransferMessage(c.kind, c.value, c.operation, c.busy, c.lastProgress);
        const std::string where = std::to_string(c.kind) + "/" + std::to_string(c.value);
        EXPECT_EQ(effect.clearBusy, c.clearBusy) << where;
        EXPECT_EQ(effect.pauseOneSecond, c.pause) << where;
        EXPECT_EQ(effect.completeIdentify, c.completeIdentify) << where;
        EXPECT_EQ(effect.lastProgress, c.newLastProgress) << where;
        EXPECT_EQ(effect.text, QString::fromUtf8(c.text)) << where;
    }
}

// ---------------------------------------------------------------------------
// Identify

TEST_F(RadioSessionTest, IdentifyFillsTheRecordFromTheRadioAndTakesTheLargestCodeByItsOwnFirmwareRule)
{
    struct Case
    {
        const char *firmware;
        quint8 maxCode;
    };
    // The radio keeps 219 in limit byte 18 and 0xFA (122 with bit 7 set) in byte 5.
    sim.WriteMemory(kLimitMaxCodeOlder, QByteArray(1, char(0x80 | 122)));
    sim.WithRadio([](CSimRadio &radio) {
        radio.SetModel("ZRR51620");
        radio.SetPassword("1234");
        radio.SetCodeplug('D', 4);
    });
    for (const Case &c : {Case{"R17", 219}, Case{"R20", 122}, Case{"D70", 219}, Case{"R16", 122}}) {
        sim.WithRadio([&](CSimRadio &radio) { radio.SetFirmware(c.firmware); });
        CRadioIdentity identity;
        identity.unused = 9;
        recorder.messages.clear();
        EXPECT_TRUE(session->Identify(identity)) << c.firmware;
        recorder.Drain();
        EXPECT_EQ(recorder.Progress(), (QList<int>{20, 40, 60, 80, 100}));
        EXPECT_EQ(recorder.Ends(), (QList<Message>{{kCompleted, 0}}));
        CRadioIdentity expected;
        expected.modelCharacters = {'Z', 'R', 'R'};
        expected.modelDigits = {5, 1, 6, 2, 0};
        expected.firmwarePhase = quint8(c.firmware[0]);
        expected.firmwareVersion = quint8(c.firmware[1]);
        expected.firmwareRevision = quint8(c.firmware[2]);
        expected.codeplugPhase = 'D';
        expected.codeplugVersion = 4;
        expected.password = {'1', '2', '3', '4'};
        expected.validFrequencies = 16;
        expected.serialCloneCompatibility = 1;
        expected.maxCode = c.maxCode;
        EXPECT_EQ(identity.ToBytes().toHex(' '), expected.ToBytes().toHex(' ')) << c.firmware;
        EXPECT_FALSE(session->Link().Cable().IsOpen());
    }
}

TEST_F(RadioSessionTest, ARadioWarningStopsBeforeAnythingIsReadOrWritten)
{
    struct Case
    {
        int status;
        QList<Message> ends;
    };
    const Case cases[] = {
        {8, {{kWarning, 8}}},
        {3, {{kWarning, 3}}},
        {0x28, {{kWarning, 8}}}, // the top three bits are not the code
        {0, {{kCompleted, 0}}},
    };
    for (const Case &c : cases) {
        sim.WithRadio([&](CSimRadio &radio) { radio.SetStatus(quint8(c.status)); });
        for (int procedure = 0; procedure < 3; ++procedure) {
            sim.ClearLog();
            recorder.messages.clear();
            VirtualCP image;
            CRadioIdentity identity;
            if (procedure == 0)
                session->Identify(identity);
            else if (procedure == 1)
                session->ReadRadio(image);
            else if (c.status != 0)
                session->WriteRadio(image);
            else
                continue;
            recorder.Drain();
            EXPECT_EQ(recorder.Ends(), c.ends) << c.status << " procedure " << procedure;
            if (c.status != 0) {
                EXPECT_TRUE(Served(SimRequestKind::ReadMemory).isEmpty());
                EXPECT_TRUE(Served(SimRequestKind::WriteMemory).isEmpty());
                EXPECT_EQ(sim.Log().size(), 1);
            }
            EXPECT_FALSE(session->Link().Cable().IsOpen());
        }
    }
}

// ---------------------------------------------------------------------------
// Read and write

TEST_F(RadioSessionTest, ReadFillsEveryFieldOfTheBuiltInRadioInTwelvePlusOneChunks)
{
    const VirtualCP image = ReadBack();
    EXPECT_EQ(recorder.Progress(), (QList<int>{10, 20, 30, 40, 50, 60, 70, 80, 100}));
    EXPECT_EQ(recorder.Ends(), (QList<Message>{{kCompleted, 0}}));
    EXPECT_EQ(image.Model(), QByteArray("ZRD41610"));
    EXPECT_EQ(image.Get(VC::kSerial), QByteArray("123ABC4567"));
    EXPECT_EQ(image.Get(VC::kSynthBaseIntPart), 400u);
    EXPECT_EQ(image.Get(VC::kMaxChannels), 16);
    EXPECT_EQ(image.Get(VC::kMaxCodes), 219u); // R17 keeps it in byte 18
    EXPECT_EQ(image.Get(VC::kMaxValidFreqs), 16);
    EXPECT_EQ(image.Get(VC::kStartFreq), 400000000u);
    EXPECT_EQ(image.Get(VC::kEndFreq), 470000000u);
    EXPECT_EQ(image.GetString(3, VC::Channel::kName), QByteArray("Chan 04"));
    EXPECT_EQ(image.DecodeFrequency(15), 462562500u + 15 * 25000u);
    EXPECT_EQ(image.Get(VC::kSerialCloneCompatibility), 1);
    EXPECT_EQ(image.Get(VC::kCodeplugPhase), 'P');
    EXPECT_EQ(image.Get(VC::kFirmwarePhase), 'R');
    int blockChunks = 0;
    for (const SimLogEntry &entry : Served(SimRequestKind::ReadMemory))
        if (entry.address >= kSettingsBlock && entry.address < kSettingsBlock + kSettingsBlockReadSize)
            ++blockChunks;
    EXPECT_EQ(blockChunks, 13);
}

class RadioSessionTemplateTest : public RadioSessionTest
{
protected:
    void SetUp() override
    {
        m_config.InstallMachineLevel(StagedInstallation());
        CAppContext::Instance().Reset();
        ASSERT_TRUE(LoadInstallation());
        RadioSessionTest::SetUp();
    }
    void TearDown() override
    {
        RadioSessionTest::TearDown();
        CAppContext::Instance().Reset();
    }

    // The image a write of each staged template sends, with the firmware given.
    static std::vector<std::pair<QString, VirtualCP>> TemplateImages(const QByteArray &firmware)
    {
        std::vector<std::pair<QString, VirtualCP>> images;
        QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
        for (const QString &name : folder.entryList({QStringLiteral("*.ra9")}, QDir::Files, QDir::Name)) {
            QString text;
            EXPECT_TRUE(LoadTextFile(folder.filePath(name), text));
            CRadioDataModel model;
            EXPECT_TRUE(model.LoadProfile(text, false)) << name.toStdString();
            CRadioIdentity radio;
            radio.codeplugVersion = 3;
            VirtualCP image;
            GetVirtualCPData(model, image, radio);
            image.Set(VC::kFirmwarePhase, quint8(firmware[0]));
            image.SetCharacter(VC::kFirmwareVersion, quint8(firmware[1]));
            image.SetCharacter(VC::kFirmwareRevision, quint8(firmware[2]));
            images.emplace_back(name, image);
        }
        return images;
    }

private:
    ScopedConfig m_config;
};

// What a read gives back of an image the radio was filled from: the image
// itself, except what the radio does not keep (slots past the radio's
// limits, the code words its maxCodes leaves out, reserved bytes) and what a
// read decides on its own (the check bytes, the repeater switch of these
// handhelds).
VirtualCP ExpectedReadOf(const VirtualCP &source, const VirtualCP &read)
{
    VirtualCP expected = source;
    for (int slot = 0; slot < VC::kChannelCount; ++slot) {
        if (slot >= source.Get(VC::kMaxChannels))
            expected.ClearChannel(slot);
        else
            expected.Set(slot, VC::Channel::kCheckByte, read.Get(slot, VC::Channel::kCheckByte));
    }
    for (int code = 0; code < VC::kCustomisedGroupSize; ++code) {
        if (source.Get(VC::kMaxCodes) <= kLastStandardCode)
            expected.SetCustomisedCode(VC::kFirstCustomisedPL + code, 0xFFFF);
        if (source.Get(VC::kMaxCodes) <= kLastPLCode)
            expected.SetCustomisedCode(VC::kFirstCustomisedDPL + code, 0xFFFF);
    }
    for (int slot = source.Get(VC::kMaxValidFreqs); slot < VC::kFrequencyCount; ++slot)
        for (int k = 0; k < VC::kFrequencyRecordSize; ++k)
            expected.Set(VC::Byte{VC::kFrequencyTableOffset + VC::kFrequencyRecordSize * slot + k}, 0);
    for (int slot = 0; slot < VC::kFrequencyCount; ++slot)
        for (int k : {6, 7}) // reserved
            expected.Set(VC::Byte{VC::kFrequencyTableOffset + VC::kFrequencyRecordSize * slot + k}, 0);
    for (int offset : {0x1E, 0x1F, 0x39, 0x3A, 0x3B, 0x47, 0x22E, 0x22F, 0x861, 0x862, 0x863})
        expected.Set(VC::Byte{offset}, 0);
    if ((source.ModelDigit(0) == 4 || source.ModelDigit(0) == 5) && source.ModelCharacter(2) != 'D')
        expected.Set(VC::kDisableRepeaterFeature, false);
    // The button entries the program does not edit are the radio's.
    const QByteArray radioButtons = CSimRadio::DefaultMemory().Read(kSettingsBlock + Settings::kButtonTable, 8);
    for (int entry = 0; entry < VC::kButtonEntryCount; ++entry) {
        if (entry == VC::kUpperRightButEntry || entry == VC::kSide1ButEntry || entry == VC::kLowerLeftButEntry ||
            entry == VC::kLowerRightButEntry || entry == VC::kSide2ButEntry)
            continue;
        const quint8 byte = quint8(radioButtons[entry / 2]);
        expected.SetButtonEntry(entry, entry % 2 == 0 ? byte & 0x0F : byte >> 4);
    }
    return expected;
}

TEST_F(RadioSessionTemplateTest, ReadingARadioFilledFromATemplateImageGivesTheImageBack)
{
    for (const auto &[name, source] : TemplateImages("R17")) {
        SCOPED_TRACE(name.toStdString());
        sim.WithRadio([&](CSimRadio &radio) { radio.LoadImage(source); });
        const VirtualCP read = ReadBack();
        const VirtualCP expected = ExpectedReadOf(source, read);
        for (int offset = 0; offset < VC::kSize; ++offset)
            EXPECT_EQ(int(read.Bytes()[offset]), int(expected.Bytes()[offset])) << "image offset 0x" << std::hex << offset;
    }
}

TEST_F(RadioSessionTemplateTest, WritingBackWhatWasReadChangesOnlyWhatAWriteChanges)
{
    struct Case
    {
        const char *firmware;
        quint8 marker;
        bool companderMode3;
        std::set<quint32> mayChange;
    };
    std::set<quint32> r16 = Range(kR16Flags, 1);
    r16.merge(Range(kR16Table, kR16TableSize));
    r16.merge(Range(kR16Clear, kR16ClearSize));
    const Case cases[] = {
        {"R17", '/', false, {}},
        {"R17", '/', true, {kCompanderMarker}},
        {"R16", '/', false, r16},
    };
    for (const Case &c : cases) {
        for (auto [name, source] : TemplateImages(c.firmware)) {
            SCOPED_TRACE(name.toStdString() + " " + c.firmware);
            if (c.companderMode3)
                source.Set(0, VC::Frequency::kCompanderLleMode, kCompanderModeMarked);
            sim.WithRadio([&](CSimRadio &radio) { radio.LoadImage(source); });
            // The radio's own bits and bytes, which a write must leave alone.
            QByteArray block = sim.ReadMemory(kSettingsBlock, kSettingsBlockReadSize);
            block[Settings::kRestoreDefault] = char(quint8(block[Settings::kRestoreDefault]) | 0x55);
            block[Settings::kScrambleFlags] = char(quint8(block[Settings::kScrambleFlags]) | 0x80);
            block[Settings::kButtonTable] = char(0xC3);
            for (int k = kDPLWords + 12; k < kSettingsBlockReadSize; ++k)
                block[k] = char(0xA0 + k % 16);
            sim.WriteMemory(kSettingsBlock, block);
            sim.WriteMemory(kCompanderMarker, QByteArray(1, char(c.marker)));

            const VirtualCP read = ReadBack();
            const CSimMemory before = sim.Memory();
            recorder.messages.clear();
            EXPECT_TRUE(session->WriteRadio(read));
            recorder.Drain();
            EXPECT_EQ(recorder.Ends(), (QList<Message>{{kCompleted, 0}}));
            const std::set<quint32> changed = Changed(before, sim.Memory());
            for (quint32 address : changed)
                EXPECT_TRUE(c.mayChange.count(address)) << "radio byte 0x" << std::hex << address << " changed";
            if (c.companderMode3) {
                EXPECT_EQ(sim.ReadMemory(kCompanderMarker, 1), QByteArray("o"));
            }
        }
    }
}

TEST_F(RadioSessionTemplateTest, SimulatorProgramPlaysARadioFromAnImageOrAProfileAndSavesItsMemory)
{
    sim.Stop(); // the program serves the folder's cable
    QDir folder(StagedInstallation() + QStringLiteral("/profiletemplate"));
    const QString profile = folder.filePath(QStringLiteral("ZR4400 VHF 4CH Rotary (ZRR40410).ra9"));
    const auto images = TemplateImages("R17");
    const auto it = std::find_if(images.begin(), images.end(),
                                 [](const auto &entry) { return entry.first.contains(QStringLiteral("ZRR40410")); });
    ASSERT_NE(it, images.end());
    QTemporaryDir files;
    const QString imageFile = WriteFile(files.filePath(QStringLiteral("radio.bin")), it->second.Save());
    // The profile option converts as a write to a radio of the profile's codeplug version would.
    for (const QStringList &radio : {QStringList{QStringLiteral("--image"), imageFile, QStringLiteral("--password"),
                                                 QStringLiteral("77")},
                                     QStringList{QStringLiteral("--profile"), profile, QStringLiteral("--firmware"),
                                                 QStringLiteral("R17"), QStringLiteral("--password"), QStringLiteral("77")}}) {
        SCOPED_TRACE(radio.first().toStdString());
        const QString saved = files.filePath(QStringLiteral("saved.mem"));
        QProcess program;
        program.start(QStringLiteral(TARN_RADIOSIM_PATH),
                      QStringList{QStringLiteral("--folder"), Folder(), QStringLiteral("--quiet"),
                                  QStringLiteral("--save-memory"), saved} + radio);
        ASSERT_TRUE(program.waitForStarted(5000));
        ASSERT_TRUE(program.waitForReadyRead(20000)) << program.readAllStandardError().toStdString();
        program.readLine();

        VirtualCP read = ReadBack();
        VirtualCP expected = it->second;
        expected.Set(VC::kPassword, "77"); // the option overrides the image
        expected = ExpectedReadOf(expected, read);
        EXPECT_EQ(read.Save().toHex(' '), expected.Save().toHex(' '));
        read.Set(VC::kTimeoutTimer, 33);
        EXPECT_TRUE(session->WriteRadio(read));

        program.terminate();
        ASSERT_TRUE(program.waitForFinished(5000));
        EXPECT_EQ(program.exitCode(), 0);
        CSimMemory memory;
        ASSERT_TRUE(memory.LoadFile(saved));
        EXPECT_EQ(memory.At(kSettingsBlock + Settings::kTimeoutTimer), 33);
        EXPECT_EQ(memory.Read(kPassword, 4), QByteArray("77\0\0", 4));
    }
}

TEST_F(RadioSessionTest, WriteSendsAsManyBlockBytesAsMaxCodesAllowsAndReadsTheSameFirst)
{
    struct Case
    {
        quint32 maxCodes;
        int length;
    };
    for (const Case &c : {Case{122, 386}, Case{123, 398}, Case{213, 398}, Case{214, 410}, Case{219, 410}}) {
        SCOPED_TRACE(c.maxCodes);
        const QByteArray radioBytes = QByteArray::fromHex("A5").repeated(kSettingsBlockReadSize - 302);
        sim.WriteMemory(kSettingsBlock + 302, radioBytes);
        VirtualCP image = ReadBack();
        image.Set(VC::kMaxCodes, c.maxCodes);
        for (int k = 0; k < VC::kCustomisedGroupSize; ++k) {
            image.SetCustomisedCode(VC::kFirstCustomisedPL + k, quint16(0x0100 + k));
            image.SetCustomisedCode(VC::kFirstCustomisedDPL + k, quint16(0x0200 + k));
        }
        sim.ClearLog();
        EXPECT_TRUE(session->WriteRadio(image));
        int read = 0;
        for (const SimLogEntry &entry : Served(SimRequestKind::ReadMemory))
            if (entry.address >= kSettingsBlock && entry.address < kSettingsBlock + kSettingsBlockReadSize)
                read += entry.count;
        int written = 0;
        for (const SimLogEntry &entry : WritesAt(kSettingsBlock, kSettingsBlock + kSettingsBlockReadSize))
            written += entry.count;
        EXPECT_EQ(read, c.length);
        EXPECT_EQ(written, c.length);
        const QByteArray after = sim.ReadMemory(kSettingsBlock + 302, kSettingsBlockReadSize - 302);
        const QByteArray pl = QByteArray::fromHex("010001010102010301040105");
        const QByteArray dpl = QByteArray::fromHex("020002010202020302040205");
        const QByteArray expected = c.length == 386   ? radioBytes
                                    : c.length == 398 ? pl + radioBytes.mid(12)
                                                      : pl + dpl + radioBytes.mid(24);
        EXPECT_EQ(after.toHex(' '), expected.toHex(' '));
    }
}

TEST_F(RadioSessionTest, R16CorrectionRunsOnlyForTheR16HandheldsAndWritesItsTableWhenItDiffers)
{
    const QByteArray tableA = Bytes(R16TableA());
    const QByteArray tableB = Bytes(R16TableB());
    struct Case
    {
        const char *model;
        const char *firmware;
        QByteArray radioTable;
        bool corrected;
        QByteArray tableWritten; // empty: none
    };
    const QByteArray zeros(kR16TableSize, 0);
    const Case cases[] = {
        {"ZVR51610", "R16", zeros, true, tableA},
        {"ZVR51610", "R16", tableA, true, {}},
        {"ZRR41610", "R16", zeros, true, tableB},
        {"ZRR41610", "R16", tableB, true, {}},
        {"ZVR41610", "R16", zeros, true, {}}, // no table for this one
        {"ZRR41610", "R17", zeros, false, {}},
        {"ZRR31610", "R16", zeros, false, {}},
        {"ZRD41610", "R16", zeros, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.firmware);
        sim.WithRadio([&](CSimRadio &radio) {
            radio.SetModel(c.model);
            radio.SetFirmware(c.firmware);
        });
        sim.WriteMemory(kR16Table, c.radioTable);
        sim.WriteMemory(kR16Flags, QByteArray(1, char(0xE5)));
        sim.WriteMemory(kR16Clear, QByteArray::fromHex("1234"));
        const VirtualCP image = ReadBack();
        sim.ClearLog();
        EXPECT_TRUE(session->WriteRadio(image));
        EXPECT_EQ(sim.ReadMemory(kR16Flags, 1), QByteArray(1, char(c.corrected ? 0x65 : 0xE5)));
        EXPECT_EQ(sim.ReadMemory(kR16Clear, 2), QByteArray::fromHex(c.corrected ? "0000" : "1234"));
        const QList<SimLogEntry> tableWrites = WritesAt(kR16Table, kR16Table + kR16TableSize);
        QByteArray written;
        for (const SimLogEntry &entry : tableWrites)
            written += entry.request.mid(7, entry.count);
        EXPECT_EQ(written.toHex(), c.tableWritten.toHex());
        const QList<QByteArray> controls =
            c.corrected ? QList<QByteArray>{"1F 03 00", "1F 04 00", "1F 00 00"} : QList<QByteArray>{"1F 03 00"};
        EXPECT_EQ(Controls(), controls);
    }
}

TEST_F(RadioSessionTest, WriteReportsTheFrequencyProgressWhenEachQuarterIsReached)
{
    struct Case
    {
        int frequencies;
        // Frequency records sent when 40, 50 and 60 are posted.
        std::vector<int> sentAt;
    };
    for (const Case &c : {Case{3, {1, 2, 3}}, Case{8, {3, 5, 7}}, Case{1, {1, 1, 1}}, Case{0, {}}}) {
        SCOPED_TRACE(c.frequencies);
        VirtualCP image = ReadBack();
        image.Set(VC::kMaxValidFreqs, quint8(c.frequencies));
        sim.ClearLog();
        recorder.messages.clear();
        std::vector<int> sentAt;
        const auto connection = QObject::connect(session.get(), &CRadioSession::TransferMessage, [&](int kind, int value) {
            if (kind == kProgress && value >= 40 && value <= 60)
                sentAt.push_back(int(Served(SimRequestKind::WriteFrequencyRecord).size()));
        });
        EXPECT_TRUE(session->WriteRadio(image));
        QObject::disconnect(connection);
        recorder.Drain();
        EXPECT_EQ(sentAt, c.sentAt);
        const QList<int> expected = c.frequencies == 0 ? QList<int>{10, 20, 30, 70, 80, 90, 100}
                                                       : QList<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
        EXPECT_EQ(recorder.Progress(), expected);
        const QList<SimLogEntry> counts = Served(SimRequestKind::SetFrequencyCount);
        ASSERT_EQ(counts.size(), 1);
        EXPECT_EQ(counts[0].count, c.frequencies);
    }
}

TEST_F(RadioSessionTest, CompanderMarkerTurnsToOOnlyFromSlashAndOnlyForAFrequencyInMode3)
{
    struct Case
    {
        char marker;
        int modeOfFirst;
        char after;
        bool written;
    };
    for (const Case &c : {Case{'/', 3, 'o', true}, Case{'/', 1, '/', false}, Case{'o', 3, 'o', false},
                          Case{'x', 3, 'x', false}}) {
        SCOPED_TRACE(std::string(1, c.marker) + std::to_string(c.modeOfFirst));
        sim.WriteMemory(kCompanderMarker, QByteArray(1, c.marker));
        VirtualCP image = ReadBack();
        image.Set(0, VC::Frequency::kCompanderLleMode, quint8(c.modeOfFirst));
        sim.ClearLog();
        EXPECT_TRUE(session->WriteRadio(image));
        EXPECT_EQ(sim.ReadMemory(kCompanderMarker, 1), QByteArray(1, c.after));
        EXPECT_EQ(WritesAt(kCompanderMarker, kCompanderMarker + 1).size(), c.written ? 1 : 0);
        EXPECT_EQ(Controls().size(), c.written ? 2 : 1);
    }
}

// ---------------------------------------------------------------------------
// Workers, locks and busy flags

class SessionWorkerTest : public RadioSessionTest
{
protected:
    void SetUp() override
    {
        RadioSessionTest::SetUp();
        m_scope = QStringLiteral("tarncps-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        cableStatus = std::make_unique<CCableStatus>(m_scope);
        worker = std::make_unique<CSessionWorker>(*session, *cableStatus);
    }
    void TearDown() override
    {
        if (cableStatus)
            cableStatus->StopEvent().Set();
        worker.reset();
        cableStatus.reset();
        RadioSessionTest::TearDown();
    }
    QString Scope() const { return m_scope; }

    std::unique_ptr<CCableStatus> cableStatus;
    std::unique_ptr<CSessionWorker> worker;

private:
    QString m_scope;
};

TEST_F(SessionWorkerTest, ResetEndsWithTheBusyFlagsClearedAfterTheRadiosRestart)
{
    cableStatus->SetBusy(true);
    QElapsedTimer clock;
    clock.start();
    // The main window's side: the transfer message cleared the busy flags.
    qint64 clearedAfter = -1;
    CSessionWorker::Target target{&recorder.receiver, [&](int kind, int value) {
                                      recorder.messages.append({kind, value});
                                      const TransferMessageEffect effect = ApplyTransferMessage(
                                          kind, value, OperationKind::Reset, cableStatus->IsBusy(), 0);
                                      if (effect.clearBusy) {
                                          cableStatus->SetBusy(false);
                                          clearedAfter = clock.elapsed();
                                      }
                                  }};
    ASSERT_TRUE(worker->StartReset(target));
    ASSERT_TRUE(Until([&] { return clearedAfter >= 0; }, 15000));
    EXPECT_GE(clearedAfter, CRadioSession::kResetWaitMs);
    EXPECT_EQ(recorder.messages, (QList<Message>{{kProgress, 100}, {kCompleted, 0}}));
    EXPECT_FALSE(cableStatus->IsBusy());
    EXPECT_EQ(cableStatus->Words().busy, 0u);
    EXPECT_EQ(Served(SimRequestKind::Reset).size(), 1);
    EXPECT_TRUE(worker->Wait(5000));
    EXPECT_FALSE(cableStatus->CableMutex().IsLocked());
}

TEST_F(SessionWorkerTest, WorkerHoldsTheCableMutexFirstAndEachProcedureButSessionStartTheSessionLock)
{
    CSystemMutex otherCopy(Scope(), QLatin1String(CCableStatus::kCableMutexName));
    const auto heldElsewhere = [&] {
        if (!otherCopy.TryLock())
            return true;
        otherCopy.Unlock();
        return false;
    };
    CRadioIdentity identity;
    {
        std::unique_lock<std::mutex> sessionLock(CRadioSession::SessionLock());
        ASSERT_TRUE(worker->StartIdentify(identity, recorder.Target()));
        // The worker takes the cable mutex, then waits for the session lock.
        EXPECT_TRUE(Until(heldElsewhere, 5000));
        QThread::msleep(300);
        EXPECT_EQ(sim.RequestCount(), 0);
        EXPECT_TRUE(worker->IsRunning());

        // StartSession does not take the session lock.
        CRadioSession other(Index());
        auto started = std::async(std::launch::async, [&] {
            // The simulated cable is held by the waiting worker's session only
            // while it talks; it has not opened it yet.
            return other.StartSession();
        });
        EXPECT_EQ(started.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_TRUE(started.get());
    }
    ASSERT_TRUE(worker->Wait(15000));
    recorder.Drain();
    EXPECT_EQ(recorder.Ends(), (QList<Message>{{kCompleted, 0}}));
    EXPECT_EQ(identity.modelCharacters[2], 'D');
    EXPECT_FALSE(heldElsewhere());
}

TEST_F(SessionWorkerTest, AWorkerWaitingForTheCableGivesUpAtShutdownAndClearsTheBusyFlags)
{
    CSystemMutex poller(Scope(), QLatin1String(CCableStatus::kCableMutexName));
    ASSERT_TRUE(poller.TryLock());
    cableStatus->SetBusy(true);
    VirtualCP image;
    ASSERT_TRUE(worker->StartRead(image, recorder.Target()));
    QThread::msleep(300);
    EXPECT_TRUE(worker->IsRunning());
    cableStatus->StopEvent().Set();
    EXPECT_TRUE(worker->Wait(3000));
    EXPECT_EQ(sim.RequestCount(), 0);
    EXPECT_FALSE(cableStatus->IsBusy());
    poller.Unlock();
}

TEST_F(SessionWorkerTest, WriteWorkerWritesResetsClearsTheBusyFlagsAndRemembersThePassword)
{
    VirtualCP image = ReadBack();
    image.Set(VC::kPassword, "42");
    recorder.messages.clear();
    sim.ClearLog();
    cableStatus->SetBusy(true);
    CRememberedPassword remembered;
    ASSERT_TRUE(worker->StartWrite(image, recorder.Target(), &remembered));
    ASSERT_TRUE(worker->Wait(20000));
    recorder.Drain();
    // Session start, write and reset each end with completed; the dialog's
    // bar reaches 100 before each.
    EXPECT_EQ(recorder.Ends(), (QList<Message>{{kCompleted, 0}, {kCompleted, 0}, {kCompleted, 0}}));
    EXPECT_EQ(recorder.Progress().back(), 100);
    EXPECT_EQ(Served(SimRequestKind::SessionStart).size(), 1);
    EXPECT_EQ(Served(SimRequestKind::Reset).size(), 1);
    EXPECT_EQ(sim.WithRadio([](CSimRadio &radio) { return radio.Password(); }), QByteArray("42"));
    EXPECT_EQ(remembered.Text(), QStringLiteral("42"));
    EXPECT_FALSE(cableStatus->IsBusy());
    EXPECT_FALSE(cableStatus->CableMutex().IsLocked());
}

// ---------------------------------------------------------------------------
// Faults

TEST_F(SessionWorkerTest, EveryInjectedFaultEndsInTheFailureReportWithTheCableClosedAndNotBusy)
{
    struct Case
    {
        const char *name;
        bool write;
        // Request numbers k count from the worker's first request (1, the
        // session start); the simulator numbers them over its whole life.
        std::function<void(SimFaults &, int k0)> inject;
    };
    // A read: 1 session start, 2 status, 3-4 header, 5 synthesiser base, ...
    // A write: 1 session start, 2 status, 3-15 the block read, 16- the block written.
    const Case cases[] = {
        {"no acknowledge at session start", false, [](SimFaults &f, int k0) { f.noAcknowledge = CSimTrigger::Range(k0 + 1, k0 + 2); }},
        {"no acknowledge in the read", false, [](SimFaults &f, int k0) { f.noAcknowledge = CSimTrigger::From(k0 + 5); }},
        {"bad checksums from the header on", false,
         [](SimFaults &f, int k0) { f.badChecksum = CSimTrigger::From(k0 + 3); }},
        {"wrong acknowledge", false, [](SimFaults &f, int k0) { f.wrongAcknowledge = CSimTrigger::From(k0 + 2); }},
        {"no echo", false, [](SimFaults &f, int k0) { f.noEcho = CSimTrigger::From(k0 + 4); }},
        {"cable pulled in the read", false, [](SimFaults &f, int k0) { f.silentAfter = k0 + 6; }},
        {"writes refused", true, [](SimFaults &f, int) { f.refuseWrites = CSimTrigger::All(); }},
        {"cable pulled in the write", true, [](SimFaults &f, int k0) { f.silentAfter = k0 + 20; }},
        {"hung up in the write", true, [](SimFaults &f, int k0) { f.hangUpAfter = k0 + 4; }},
        {"stray bytes and a bad checksum in the write", true,
         [](SimFaults &f, int k0) {
             f.strayBytes = SimulatedRadioTest::Hex("01 7F");
             f.badChecksum = CSimTrigger::From(k0 + 17);
         }},
    };
    const VirtualCP source = ReadBack();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimFaults faults;
        c.inject(faults, sim.RequestCount());
        sim.SetFaults(faults);

        recorder.messages.clear();
        cableStatus->SetBusy(true);
        VirtualCP image = source;
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(c.write ? worker->StartWrite(source, recorder.Target()) : worker->StartRead(image, recorder.Target()));
        ASSERT_TRUE(worker->Wait(60000)) << "hung";
        recorder.Drain();
        EXPECT_LT(clock.elapsed(), 60000);
        bool failed = false;
        for (const Message &m : recorder.Ends())
            failed = failed || m.first == kFailed;
        EXPECT_TRUE(failed);
        EXPECT_FALSE(session->Link().Cable().IsOpen());
        EXPECT_FALSE(cableStatus->IsBusy());
        EXPECT_EQ(cableStatus->Words().busy, 0u);
        EXPECT_FALSE(cableStatus->CableMutex().IsLocked());
        sim.SetFaults({});
    }
}

} // namespace
