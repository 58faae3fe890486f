// The codeplug image: where every field lies, the packed button table and
// scan-list bits, the hexadecimal digit fields, the frequency arithmetic, the
// serial-number pattern, clearing, loading and saving; and the radio
// identity record.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"

#include <QList>

#include <functional>
#include <gtest/gtest.h>

namespace {

using CP = VirtualCP;

// An image whose every byte differs from the cleared image and from its
// neighbours, so that a stray write shows wherever it lands.
VirtualCP PatternedImage()
{
    QByteArray bytes(CP::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x5A ^ (i * 7));
    VirtualCP image;
    EXPECT_TRUE(image.Load(bytes));
    return image;
}

// Positions where two images differ.
QList<int> Differences(const VirtualCP &a, const VirtualCP &b)
{
    QList<int> positions;
    for (int i = 0; i < CP::kSize; ++i) {
        if (a.Bytes()[i] != b.Bytes()[i])
            positions.append(i);
    }
    return positions;
}

QByteArray Hex(const QByteArray &bytes)
{
    return bytes.toHex(' ');
}

// One field written through its accessor on a cleared image: exactly the
// bytes at `offset` may change, to `expected`, and the getter reads the
// value back.
struct Placement
{
    const char *name;
    int offset;
    QByteArray expected;
    std::function<void(VirtualCP &)> write;
    std::function<bool(const VirtualCP &)> readsBack;
};

Placement FlagAt(const char *name, CP::Flag field, int offset)
{
    return {name, offset, QByteArray(1, '\x01'), [=](VirtualCP &cp) { cp.Set(field, true); },
            [=](const VirtualCP &cp) { return cp.Get(field) && cp.FlagByte(field) == 1; }};
}

Placement ByteAt(const char *name, CP::Byte field, int offset)
{
    return {name, offset, QByteArray(1, '\xA5'), [=](VirtualCP &cp) { cp.Set(field, 0xA5); },
            [=](const VirtualCP &cp) { return cp.Get(field) == 0xA5; }};
}

Placement DwordAt(const char *name, CP::Dword field, int offset)
{
    return {name, offset, QByteArray::fromHex("78563412"), [=](VirtualCP &cp) { cp.Set(field, 0x12345678); },
            [=](const VirtualCP &cp) { return cp.Get(field) == 0x12345678u; }};
}

// A text longer than any field: only the field's own width may be stored.
constexpr char kLongText[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

Placement TextAt(const char *name, CP::Text field, int offset, int width)
{
    return {name, offset, QByteArray(kLongText, width), [=](VirtualCP &cp) { cp.Set(field, kLongText); },
            [=](const VirtualCP &cp) { return cp.Get(field) == QByteArray(kLongText, width); }};
}

Placement HexDigitAt(const char *name, CP::HexDigit field, int offset)
{
    return {name, offset, QByteArray("C"), [=](VirtualCP &cp) { cp.Set(field, 12); },
            [=](const VirtualCP &cp) { return cp.Get(field) == 12u; }};
}

int ChannelAt(int slot, int offsetInRecord)
{
    return 0x74 + 22 * slot + offsetInRecord;
}

Placement ChannelFlagAt(const char *name, int slot, CP::ChannelFlag field, int offsetInRecord)
{
    return {name, ChannelAt(slot, offsetInRecord), QByteArray(1, '\x01'),
            [=](VirtualCP &cp) { cp.Set(slot, field, true); },
            [=](const VirtualCP &cp) { return cp.Get(slot, field) && cp.FlagByte(slot, field) == 1; }};
}

Placement ChannelByteAt(const char *name, int slot, CP::ChannelByte field, int offsetInRecord)
{
    return {name, ChannelAt(slot, offsetInRecord), QByteArray(1, '\xA5'),
            [=](VirtualCP &cp) { cp.Set(slot, field, 0xA5); },
            [=](const VirtualCP &cp) { return cp.Get(slot, field) == 0xA5; }};
}

Placement ChannelNameAt(int slot)
{
    return {"name", ChannelAt(slot, 13), QByteArray(kLongText, 8),
            [=](VirtualCP &cp) { cp.Set(slot, CP::Channel::kName, kLongText); },
            [=](const VirtualCP &cp) { return cp.Get(slot, CP::Channel::kName) == QByteArray(kLongText, 8); }};
}

int FrequencyAt(int slot, int offsetInRecord)
{
    return 0x230 + 16 * slot + offsetInRecord;
}

Placement FrequencyByteAt(const char *name, int slot, CP::FrequencyByte field, int offsetInRecord)
{
    return {name, FrequencyAt(slot, offsetInRecord), QByteArray(1, '\xA5'),
            [=](VirtualCP &cp) { cp.Set(slot, field, 0xA5); },
            [=](const VirtualCP &cp) { return cp.Get(slot, field) == 0xA5; }};
}

Placement FrequencyDwordAt(const char *name, int slot, CP::FrequencyDword field, int offsetInRecord)
{
    return {name, FrequencyAt(slot, offsetInRecord), QByteArray::fromHex("78563412"),
            [=](VirtualCP &cp) { cp.Set(slot, field, 0x12345678); },
            [=](const VirtualCP &cp) { return cp.Get(slot, field) == 0x12345678u; }};
}

Placement CustomisedCodeAt(const char *name, int code, int offset)
{
    return {name, offset, QByteArray::fromHex("3412"), [=](VirtualCP &cp) { cp.SetCustomisedCode(code, 0x1234); },
            [=](const VirtualCP &cp) { return cp.CustomisedCode(code) == 0x1234; }};
}

Placement IndexedByteAt(const char *name, int offset, std::function<void(VirtualCP &, quint8)> set,
                        std::function<quint8(const VirtualCP &)> get)
{
    return {name, offset, QByteArray(1, '\x07'), [=](VirtualCP &cp) { set(cp, 7); },
            [=](const VirtualCP &cp) { return get(cp) == 7; }};
}

std::vector<Placement> AllFields()
{
    using Ch = CP::Channel;
    using Fr = CP::Frequency;
    std::vector<Placement> fields = {
        // factory block
        ByteAt("firmware_phase", CP::kFirmwarePhase, 0x00),
        HexDigitAt("firmware_version", CP::kFirmwareVersion, 0x01),
        HexDigitAt("firmware_revision", CP::kFirmwareRevision, 0x02),
        ByteAt("codeplug_phase", CP::kCodeplugPhase, 0x03),
        ByteAt("codeplug_version", CP::kCodeplugVersion, 0x04),
        ByteAt("codeplug_dev_version", CP::kCodeplugDevVersion, 0x05),
        TextAt("serial", CP::kSerial, 0x0E, 10),
        DwordAt("synth_base_int_part", CP::kSynthBaseIntPart, 0x18),
        // limit block
        ByteAt("maxChannels", CP::kMaxChannels, 0x1C),
        ByteAt("max_valid_freqs", CP::kMaxValidFreqs, 0x1D),
        DwordAt("start_freq", CP::kStartFreq, 0x20),
        DwordAt("end_freq", CP::kEndFreq, 0x24),
        FlagAt("disable_time_out_timer", CP::kDisableTimeOutTimer, 0x28),
        FlagAt("model flag", CP::kModelFlag, 0x29),
        FlagAt("disable_keypad_beep_feature", CP::kDisableKeypadBeepFeature, 0x2A),
        FlagAt("disable_roger_beep_feature", CP::kDisableRogerBeepFeature, 0x2B),
        FlagAt("disable_busy_led_mode", CP::kDisableBusyLedMode, 0x2C),
        FlagAt("enable_reverse_burst", CP::kEnableReverseBurst, 0x2D),
        FlagAt("disable_vox_feature", CP::kDisableVoxFeature, 0x2E),
        FlagAt("disable_ivox_feature", CP::kDisableIvoxFeature, 0x2F),
        FlagAt("disable_scramble_feature", CP::kDisableScrambleFeature, 0x30),
        FlagAt("disable_battery_save_feature", CP::kDisableBatterySaveFeature, 0x31),
        FlagAt("factory_reset_disable", CP::kFactoryResetDisable, 0x32),
        FlagAt("disable_scan_mode", CP::kDisableScanMode, 0x33),
        FlagAt("voice_chip_enable", CP::kVoiceChipEnable, 0x34),
        FlagAt("disable_channel_enable", CP::kDisableChannelEnable, 0x35),
        FlagAt("talkaround_scan_enable", CP::kTalkaroundScanEnable, 0x36),
        ByteAt("max_call_tones", CP::kMaxCallTones, 0x37),
        ByteAt("maxPresetButtons", CP::kMaxPresetButtons, 0x38),
        DwordAt("maxCodes", CP::kMaxCodes, 0x3C),
        FlagAt("power_cntrl_enabled", CP::kPowerCntrlEnabled, 0x40),
        FlagAt("backlight_button_enabled", CP::kBacklightButtonEnabled, 0x41),
        FlagAt("programming_mode_enabled", CP::kProgrammingModeEnabled, 0x42),
        FlagAt("call_feature_disable", CP::kCallFeatureDisable, 0x43),
        FlagAt("monitor_feature_disable", CP::kMonitorFeatureDisable, 0x44),
        FlagAt("disable_keypad_lock_feature", CP::kDisableKeypadLockFeature, 0x45),
        FlagAt("disable_repeater_feature", CP::kDisableRepeaterFeature, 0x46),
        // setting block
        TextAt("password", CP::kPassword, 0x48, 4),
        FlagAt("disableLED", CP::kDisableLED, 0x4C),
        FlagAt("disableRestoreFactoryDefault", CP::kDisableRestoreFactoryDefault, 0x4D),
        FlagAt("backlight_enabled", CP::kBacklightEnabled, 0x4E),
        ByteAt("timeoutTimer", CP::kTimeoutTimer, 0x4F),
        FlagAt("reverseBurst", CP::kReverseBurst, 0x50),
        ByteAt("vox_level", CP::kVoxLevel, 0x51),
        ByteAt("ivol_level", CP::kIvolLevel, 0x52),
        ByteAt("microphoneGain", CP::kMicrophoneGain, 0x53),
        ByteAt("accessoryMicrophoneGain", CP::kAccessoryMicrophoneGain, 0x54),
        FlagAt("batteryType", CP::kBatteryType, 0x55),
        FlagAt("disableBatterySave", CP::kDisableBatterySave, 0x56),
        ByteAt("numberChannels", CP::kNumberChannels, 0x62),
        ByteAt("voice_language", CP::kVoiceLanguage, 0x63),
        TextAt("powerupString", CP::kPowerupString, 0x64, 8),
        FlagAt("disableSelectableScramble", CP::kDisableSelectableScramble, 0x6C),
        FlagAt("rogerBeepTone", CP::kRogerBeepTone, 0x6D),
        FlagAt("keypadLock", CP::kKeypadLock, 0x6E),
        FlagAt("keypadBeep", CP::kKeypadBeep, 0x6F),
        ByteAt("callTone", CP::kCallTone, 0x70),
        ByteAt("backlight_timeout", CP::kBacklightTimeout, 0x73),
        ByteAt("serial_clone_compatibility", CP::kSerialCloneCompatibility, 0x860),
        // channel records: the first and the last slot
        ChannelByteAt("rx_freq_ndx", 0, Ch::kRxFreqNdx, 0),
        ChannelNameAt(0),
        ChannelByteAt("rx_freq_ndx", 18, Ch::kRxFreqNdx, 0),
        ChannelByteAt("rx_code", 18, Ch::kRxCode, 1),
        ChannelByteAt("tx_freq_ndx", 18, Ch::kTxFreqNdx, 2),
        ChannelByteAt("tx_code", 18, Ch::kTxCode, 3),
        ChannelFlagAt("rx_bw", 18, Ch::kRxBw, 4),
        ChannelFlagAt("tx_bw", 18, Ch::kTxBw, 5),
        ChannelFlagAt("talkaround_power", 18, Ch::kTalkaroundPower, 6),
        ChannelFlagAt("repeater_power", 18, Ch::kRepeaterPower, 7),
        ChannelFlagAt("repeater", 18, Ch::kRepeater, 8),
        ChannelFlagAt("autoScan", 18, Ch::kAutoScan, 9),
        ChannelFlagAt("disable_channel", 18, Ch::kDisableChannel, 10),
        ChannelFlagAt("talkaround_scan", 18, Ch::kTalkaroundScan, 11),
        ChannelByteAt("scramble_code", 18, Ch::kScrambleCode, 12),
        ChannelNameAt(18),
        ChannelByteAt("check byte", 18, Ch::kCheckByte, 21),
        // frequency records: the first and the last slot
        FrequencyByteAt("R", 0, Fr::kReferenceDivider, 0),
        FrequencyDwordAt("fraction low", 0, Fr::kFractionLow, 12),
        FrequencyByteAt("R", 98, Fr::kReferenceDivider, 0),
        FrequencyByteAt("divider offset", 98, Fr::kDividerOffset, 1),
        FrequencyByteAt("power_level", 98, Fr::kPowerLevel, 2),
        FrequencyByteAt("compander_lle_mode", 98, Fr::kCompanderLleMode, 3),
        FrequencyByteAt("bandwidth", 98, Fr::kBandwidth, 4),
        FrequencyByteAt("byte 5", 98, Fr::kByte5, 5),
        FrequencyDwordAt("fraction high", 98, Fr::kFractionHigh, 8),
        FrequencyDwordAt("fraction low", 98, Fr::kFractionLow, 12),
        // presets
        IndexedByteAt("channel of the first preset", 0x71, [](VirtualCP &cp, quint8 v) { cp.SetPresetChannel(0, v); },
                      [](const VirtualCP &cp) { return cp.PresetChannel(0); }),
        IndexedByteAt("channel of the second preset", 0x72, [](VirtualCP &cp, quint8 v) { cp.SetPresetChannel(1, v); },
                      [](const VirtualCP &cp) { return cp.PresetChannel(1); }),
    };
    // model: characters 1-3 at 0x06-0x08, digits 1-5 at 0x09-0x0D
    for (int i = 0; i < 3; ++i)
        fields.push_back(IndexedByteAt(
            "model character", 0x06 + i, [i](VirtualCP &cp, quint8 v) { cp.SetModelCharacter(i, v); },
            [i](const VirtualCP &cp) { return cp.ModelCharacter(i); }));
    for (int i = 0; i < 5; ++i)
        fields.push_back(IndexedByteAt(
            "model digit", 0x09 + i, [i](VirtualCP &cp, quint8 v) { cp.SetModelDigit(i, v); },
            [i](const VirtualCP &cp) { return cp.ModelDigit(i); }));
    // customised codes: PLcode124-129 from 0x216, PLcode214-219 from 0x222
    static const char *const kCodeNames[] = {"PLcode124", "PLcode125", "PLcode126", "PLcode127",
                                             "PLcode128", "PLcode129", "PLcode214", "PLcode215",
                                             "PLcode216", "PLcode217", "PLcode218", "PLcode219"};
    for (int i = 0; i < 6; ++i) {
        fields.push_back(CustomisedCodeAt(kCodeNames[i], 124 + i, 0x216 + 2 * i));
        fields.push_back(CustomisedCodeAt(kCodeNames[6 + i], 214 + i, 0x222 + 2 * i));
    }
    return fields;
}

} // namespace

TEST(VirtualCPTest, EveryFieldLiesAtItsOffsetAndReadsBack)
{
    const VirtualCP cleared;
    for (const Placement &field : AllFields()) {
        SCOPED_TRACE(field.name);
        SCOPED_TRACE(field.offset);
        VirtualCP image;
        field.write(image);
        const QByteArray bytes = image.Save();
        EXPECT_EQ(Hex(bytes.mid(field.offset, field.expected.size())), Hex(field.expected));
        for (int i : Differences(image, cleared)) {
            EXPECT_TRUE(i >= field.offset && i < field.offset + field.expected.size())
                << "byte " << i << " changed outside the field";
        }
        EXPECT_TRUE(field.readsBack(image));
    }
}

// A text shorter than its field is zero-padded, and whatever a longer text
// left behind is gone.
TEST(VirtualCPTest, TextFieldsAreZeroPaddedAndOverwrittenWhole)
{
    VirtualCP image = PatternedImage();
    image.Set(CP::kPowerupString, "HELLO123");
    image.Set(CP::kPowerupString, "HI");
    EXPECT_EQ(Hex(image.Save().mid(0x64, 8)), Hex(QByteArray("HI\0\0\0\0\0\0", 8)));
    EXPECT_EQ(image.GetString(CP::kPowerupString), QByteArray("HI"));
    EXPECT_EQ(image.Get(CP::kPowerupString).size(), 8);

    image.Set(4, CP::Channel::kName, "A");
    EXPECT_EQ(image.Get(4, CP::Channel::kName), QByteArray("A\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(image.GetString(4, CP::Channel::kName), QByteArray("A"));
    // A text that fills the field has no terminator.
    image.Set(CP::kPassword, "1234");
    EXPECT_EQ(image.GetString(CP::kPassword), QByteArray("1234"));
    image.Set(CP::kPassword, "");
    EXPECT_EQ(image.Get(CP::kPassword), QByteArray(4, '\0'));
}

TEST(VirtualCPTest, BooleanByteOtherThanOneIsKeptAsStored)
{
    VirtualCP image;
    QByteArray bytes = image.Save();
    bytes[0x4C] = 2;
    bytes[ChannelAt(3, 10)] = 5;
    ASSERT_TRUE(image.Load(bytes));
    EXPECT_TRUE(image.Get(CP::kDisableLED));
    EXPECT_EQ(image.FlagByte(CP::kDisableLED), 2);
    EXPECT_TRUE(image.Get(3, CP::Channel::kDisableChannel));
    EXPECT_EQ(image.FlagByte(3, CP::Channel::kDisableChannel), 5);
    image.Set(CP::kDisableLED, false);
    EXPECT_EQ(image.FlagByte(CP::kDisableLED), 0);
}

// Entry k lies in byte 0x57 + k div 2: even entries in the low four bits,
// odd ones in the high four bits.
TEST(VirtualCPTest, ButtonEntriesLieInTheirNibbles)
{
    for (int entry = 0; entry < 16; ++entry) {
        SCOPED_TRACE(entry);
        VirtualCP image;
        const VirtualCP cleared;
        image.SetButtonEntry(entry, 0xB);
        const int offset = 0x57 + entry / 2;
        EXPECT_EQ(image.Bytes()[offset], entry % 2 == 0 ? 0x0B : 0xB0);
        EXPECT_EQ(Differences(image, cleared), QList<int>{offset});
        EXPECT_EQ(image.ButtonEntry(entry), 0xB);
    }
}

TEST(VirtualCPTest, ButtonEntryKeepsItsNeighbourAndStoresTheLowFourBits)
{
    VirtualCP image = PatternedImage();
    const quint8 byte5A = image.Bytes()[0x5A];
    const quint8 byte5C = image.Bytes()[0x5C];

    // side1_but is entry 6, the low four bits of 0x5A; side2_but is entry
    // 11, the high four bits of 0x5C.
    image.SetButtonEntry(CP::kSide1ButEntry, 18); // 18 keeps its low four bits, 2
    image.SetButtonEntry(CP::kSide2ButEntry, 0x9);
    EXPECT_EQ(image.Bytes()[0x5A], (byte5A & 0xF0) | 0x2);
    EXPECT_EQ(image.Bytes()[0x5C], (byte5C & 0x0F) | 0x90);
    EXPECT_EQ(image.ButtonEntry(6), 2);
    EXPECT_EQ(image.ButtonEntry(7), byte5A >> 4);
    EXPECT_EQ(image.ButtonEntry(11), 0x9);
    EXPECT_EQ(image.ButtonEntry(10), byte5C & 0x0F);

    EXPECT_EQ(CP::kUpperRightButEntry, 5);
    EXPECT_EQ(CP::kLowerLeftButEntry, 8);
    EXPECT_EQ(CP::kLowerRightButEntry, 9);
}

TEST(VirtualCPTest, ButtonEntryOutsideTheTableChangesNothing)
{
    for (int entry : {16, 17, 255, -1}) {
        SCOPED_TRACE(entry);
        const VirtualCP before = PatternedImage();
        VirtualCP image = before;
        image.SetButtonEntry(entry, 0xF);
        image.SetButtonEntry(entry, 0x0);
        EXPECT_EQ(Differences(image, before), QList<int>{});
        EXPECT_EQ(image.ButtonEntry(entry), 0);
    }
}

// Bit i is bit i mod 8 of byte 0x5F + i div 8.
TEST(VirtualCPTest, ScanBitsLieInTheirBytes)
{
    for (int bit = 0; bit < 19; ++bit) {
        SCOPED_TRACE(bit);
        const VirtualCP cleared;
        VirtualCP image;
        image.SetScanBit(bit, true);
        const int offset = 0x5F + bit / 8;
        EXPECT_EQ(image.Bytes()[offset], 1 << (bit % 8));
        EXPECT_EQ(Differences(image, cleared), QList<int>{offset});
        EXPECT_TRUE(image.ScanBit(bit));

        // Clearing takes away that bit alone.
        QByteArray full = cleared.Save();
        full.replace(0x5F, 3, QByteArray(3, '\xFF'));
        ASSERT_TRUE(image.Load(full));
        image.SetScanBit(bit, false);
        EXPECT_EQ(image.Bytes()[offset], quint8(~(1 << (bit % 8))));
        EXPECT_FALSE(image.ScanBit(bit));
        for (int other = 0; other < 19; ++other)
            EXPECT_EQ(image.ScanBit(other), other != bit) << other;
    }
}

TEST(VirtualCPTest, ScanBitOutsideTheSetChangesNothing)
{
    for (int bit : {19, 23, 24, -1}) {
        SCOPED_TRACE(bit);
        VirtualCP image;
        image.SetScanBit(bit, true);
        EXPECT_EQ(Differences(image, VirtualCP()), QList<int>{});

        QByteArray full = VirtualCP().Save();
        full.replace(0x5F, 3, QByteArray(3, '\xFF'));
        ASSERT_TRUE(image.Load(full));
        image.SetScanBit(bit, false);
        EXPECT_EQ(image.Save(), full);
        EXPECT_FALSE(image.ScanBit(bit));
    }
}

TEST(VirtualCPTest, HexDigitFieldsStoreTheLeadingUpperCaseDigit)
{
    const struct
    {
        quint32 value;
        char stored;
    } cases[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {12, 'C'}, {15, 'F'}, {16, '1'}, {255, 'F'}, {0xFFFFFFFF, 'F'}};
    for (const auto &c : cases) {
        VirtualCP image;
        image.Set(CP::kFirmwareVersion, c.value);
        EXPECT_EQ(char(image.Character(CP::kFirmwareVersion)), c.stored) << c.value;
    }
}

TEST(VirtualCPTest, HexDigitFieldsReadTheDigitsValue)
{
    const struct
    {
        char stored;
        quint32 value;
    } cases[] = {{'0', 0},           {'9', 9},           {'A', 10},          {'F', 15},
                 {'a', 10},          {'f', 15},          {'/', 0xFFFFFFFF},  {':', 0xFFFFFFFF},
                 {'@', 0xFFFFFFFF},  {'G', 0xFFFFFFFF},  {'`', 0xFFFFFFFF},  {'g', 0xFFFFFFFF},
                 {'\0', 0xFFFFFFFF}};
    for (const auto &c : cases) {
        VirtualCP image;
        image.SetCharacter(CP::kFirmwareRevision, quint8(c.stored));
        EXPECT_EQ(image.Get(CP::kFirmwareRevision), c.value) << int(c.stored);
    }
}

TEST(VirtualCPTest, ModelTextGoesIntoCharactersAndDigits)
{
    VirtualCP image = PatternedImage();
    image.SetModel("ZRD41610");
    EXPECT_EQ(Hex(image.Save().mid(0x06, 8)), Hex(QByteArray("ZRD\x04\x01\x06\x01\x00", 8)));
    EXPECT_EQ(image.Model(), QByteArray("ZRD41610"));

    // A non-digit gives 0; missing places stay 0.
    image.SetModel("ZVR5X7");
    EXPECT_EQ(Hex(image.Save().mid(0x06, 8)), Hex(QByteArray("ZVR\x05\x00\x07\x00\x00", 8)));
    EXPECT_EQ(image.Model(), QByteArray("ZVR50700"));

    // Each digit byte is written in decimal, the characters up to a zero.
    image.SetModelCharacter(2, 0);
    image.SetModelDigit(0, 12);
    EXPECT_EQ(image.Model(), QByteArray("ZV120700"));
}

struct FrequencyCase
{
    quint32 hz;
    quint32 synthBaseIntPart;
    quint8 dividerOffset; // N minus the low byte of the base, mod 256
    quint32 fractionHigh;
    quint32 fractionLow;
};

// Expected records worked out by hand: N = hz div 1 050 000 and
// F = hz - 1 050 000 * N.
TEST(VirtualCPTest, EncodeFrequencyFillsTheRecordAndDecodesBack)
{
    const FrequencyCase cases[] = {
        {462562500, 400, 40, 8, 38212},   // N 440, F 562 500
        {420000000, 400, 0, 0, 0},        // exact multiple, N 400
        {135450000, 129, 0, 0, 0},        // exact multiple, N 129
        {136000000, 129, 0, 8, 25712},    // band edges of a VHF radio
        {174000000, 129, 36, 11, 29104},
        {400000000, 380, 0, 15, 16960},   // band edges of a UHF radio
        {470000000, 380, 67, 9, 60176},
        {420999999, 380, 20, 15, 16959},  // one below a multiple: N 400
        {273012345, 250, 10, 0, 12345},   // N 260: its low byte 4 minus 250 wraps to 10
        {268799999, 0, 255, 16, 1423},    // the largest fraction: F 1 049 999
        {1050000, 0, 1, 0, 0},
    };
    for (const FrequencyCase &c : cases) {
        SCOPED_TRACE(c.hz);
        VirtualCP image = PatternedImage();
        const VirtualCP before = image;
        image.EncodeFrequency(7, c.hz, c.synthBaseIntPart);
        const QByteArray record = image.Save().mid(0x230 + 16 * 7, 16);
        EXPECT_EQ(quint8(record[0]), 7);
        EXPECT_EQ(quint8(record[1]), c.dividerOffset);
        EXPECT_EQ(quint8(record[5]), 4);
        EXPECT_EQ(image.Get(7, CP::Frequency::kFractionHigh), c.fractionHigh);
        EXPECT_EQ(image.Get(7, CP::Frequency::kFractionLow), c.fractionLow);
        EXPECT_EQ(image.DecodeFrequency(7, c.synthBaseIntPart), c.hz);
        // Bytes 2-4 and 6-7 of the record, and everything else, are left alone.
        for (int i : Differences(image, before)) {
            const int inRecord = i - (0x230 + 16 * 7);
            EXPECT_TRUE(inRecord == 0 || inRecord == 1 || inRecord == 5 || (inRecord >= 8 && inRecord < 16))
                << "byte " << i;
        }
    }
}

TEST(VirtualCPTest, FrequenciesOfABandRoundTrip)
{
    VirtualCP image;
    image.Set(CP::kSynthBaseIntPart, 380);
    // Every exact multiple of 1 050 000 Hz in the band has no fraction.
    for (quint32 n = 380; n <= 448; ++n) {
        image.EncodeFrequency(0, n * 1050000);
        ASSERT_EQ(image.Get(0, CP::Frequency::kFractionHigh), 0u) << n;
        ASSERT_EQ(image.Get(0, CP::Frequency::kFractionLow), 0u) << n;
        ASSERT_EQ(image.DecodeFrequency(0), n * 1050000) << n;
    }
    // Every 6.25 kHz channel, and odd hertz between them.
    for (quint32 hz = 400000000; hz <= 470000000; hz += 6250) {
        image.EncodeFrequency(98, hz);
        ASSERT_EQ(image.DecodeFrequency(98), hz);
        image.EncodeFrequency(98, hz + 3);
        ASSERT_EQ(image.DecodeFrequency(98), hz + 3);
    }
}

// Decoding honours any reference divider, with the step an integer division.
TEST(VirtualCPTest, DecodeFrequencyWithOtherReferenceDividers)
{
    const struct
    {
        quint8 r;
        quint8 dividerOffset;
        quint32 synthBaseIntPart;
        quint32 fraction;
        quint32 hz;
    } cases[] = {
        {7, 40, 400, 562500, 462562500},
        {3, 10, 100, 5, 231000005},   // step 4 200 000
        {10, 100, 0, 0, 76363600},    // step 16 800 000 div 11 = 1 527 272
        {10, 1, 0, 0, 763636},        // the odd sum loses its last bit
        {0, 2, 0, 0x12345, 16874565}, // step 16 800 000; F over the word boundary
    };
    for (const auto &c : cases) {
        VirtualCP image;
        image.Set(5, CP::Frequency::kReferenceDivider, c.r);
        image.Set(5, CP::Frequency::kDividerOffset, c.dividerOffset);
        image.Set(5, CP::Frequency::kFractionHigh, c.fraction >> 16);
        image.Set(5, CP::Frequency::kFractionLow, c.fraction & 0xFFFF);
        image.Set(CP::kSynthBaseIntPart, c.synthBaseIntPart);
        EXPECT_EQ(image.DecodeFrequency(5), c.hz) << int(c.r);
    }
}

TEST(VirtualCPTest, SerialPattern)
{
    const struct
    {
        QByteArray serial;
        bool valid;
    } cases[] = {
        {"123ABC4567", true},
        {"123IBC4567", true},  // I is allowed in position 4
        {"123AOC4567", false}, // O in position 5
        {"12XABC4567", false}, // letter in position 3
        {"123ABC45I7", false}, // I in position 9
        {"A23ABC4567", false},
        {"123OBC4567", false}, // O in position 4
        {"1231BC4567", false}, // digit in position 4
        {"123aBC4567", false}, // letters are upper case only
        {"123@BC4567", false},
        {"123[BC4567", false},
        {"123AIC4567", false}, // I in position 5
        {"123ABO4567", false}, // O in position 6
        {"123ABI4567", false}, // I in position 6
        {"123AB14567", false}, // digit in position 6
        {"123ABCO567", true},  // any letter in position 7, O and I included
        {"123ABCI567", true},
        {"123ABC/567", false},
        {"123ABC4X67", false}, // letter in position 8
        {"123ABC45Z7", true},  // letter in position 9
        {"123ABC45O7", false},
        {"123ABC456Z", true},  // letter in position 10
        {"123ABC456O", false},
        {"123ABC456I", false},
        {"123ABC456:", false},
        {QByteArray(10, '\0'), false},
        {QByteArray("123ABC4\0" "67", 10), false},
        {"123ABC456", false},   // nine characters
        {"123ABC45678", false}, // eleven characters
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(VirtualCP::IsValidSerial(c.serial), c.valid) << Hex(c.serial).constData();

    VirtualCP image;
    EXPECT_FALSE(image.HasValidSerial()); // all zero bytes
    image.Set(CP::kSerial, "123ABC4567");
    EXPECT_TRUE(image.HasValidSerial());
    image.Set(CP::kSerial, "123ABC456");
    EXPECT_FALSE(image.HasValidSerial());
}

TEST(VirtualCPTest, ClearedImage)
{
    QByteArray expected(CP::kSize, '\0');
    expected.replace(0x216, 24, QByteArray(24, '\xFF'));

    VirtualCP image = PatternedImage();
    image.Clear();
    EXPECT_EQ(image.Save(), expected);
    EXPECT_EQ(VirtualCP().Save(), expected);

    for (int code : {124, 125, 126, 127, 128, 129, 214, 215, 216, 217, 218, 219})
        EXPECT_EQ(image.CustomisedCode(code), 0xFFFF) << code;
    for (int slot = 0; slot < 19; ++slot) {
        EXPECT_EQ(image.Get(slot, CP::Channel::kRxCode), 0);
        EXPECT_FALSE(image.Get(slot, CP::Channel::kRepeater));
        EXPECT_EQ(image.Get(slot, CP::Channel::kName), QByteArray(8, '\0'));
    }
}

TEST(VirtualCPTest, ClearChannelZeroesItsSlotOnly)
{
    const VirtualCP before = PatternedImage();
    VirtualCP image = before;
    image.ClearChannel(9);
    const QList<int> changed = Differences(image, before);
    EXPECT_EQ(Hex(image.Save().mid(0x74 + 22 * 9, 22)), Hex(QByteArray(22, '\0')));
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_GE(changed.first(), 0x74 + 22 * 9);
    EXPECT_LT(changed.last(), 0x74 + 22 * 10);
}

TEST(VirtualCPTest, LoadTakesExactlyTheImageSize)
{
    const VirtualCP patterned = PatternedImage();
    VirtualCP image;
    ASSERT_TRUE(image.Load(patterned.Save()));
    EXPECT_EQ(image, patterned);
    EXPECT_EQ(image.Save(), patterned.Save());

    for (qsizetype size : {qsizetype(0), qsizetype(2147), qsizetype(2149), qsizetype(4096)}) {
        VirtualCP untouched;
        EXPECT_FALSE(untouched.Load(QByteArray(size, '\x11'))) << size;
        EXPECT_EQ(untouched, VirtualCP()) << size;
    }
}

// Indices outside their tables: a debug build stops on an assertion, a
// release build ignores the write and reads 0.
TEST(VirtualCPTest, IndexOutsideItsTable)
{
    const std::vector<std::pair<const char *, std::function<void(VirtualCP &)>>> writes = {
        {"channel slot 19", [](VirtualCP &cp) { cp.Set(19, CP::Channel::kRxCode, 5); }},
        {"channel slot -1", [](VirtualCP &cp) { cp.Set(-1, CP::Channel::kRepeater, true); }},
        {"channel name slot 19", [](VirtualCP &cp) { cp.Set(19, CP::Channel::kName, "ABC"); }},
        {"clear channel 19", [](VirtualCP &cp) { cp.ClearChannel(19); }},
        {"frequency slot 99", [](VirtualCP &cp) { cp.Set(99, CP::Frequency::kPowerLevel, 3); }},
        {"encode into slot 99", [](VirtualCP &cp) { cp.EncodeFrequency(99, 462562500, 400); }},
        {"preset 2", [](VirtualCP &cp) { cp.SetPresetChannel(2, 1); }},
        {"code 130", [](VirtualCP &cp) { cp.SetCustomisedCode(130, 1); }},
        {"code 123", [](VirtualCP &cp) { cp.SetCustomisedCode(123, 1); }},
        {"model digit 5", [](VirtualCP &cp) { cp.SetModelDigit(5, 1); }},
        {"model character 3", [](VirtualCP &cp) { cp.SetModelCharacter(3, 'X'); }},
    };
    for (const auto &[name, write] : writes) {
        SCOPED_TRACE(name);
#ifdef QT_NO_DEBUG
        const VirtualCP before = PatternedImage();
        VirtualCP image = before;
        write(image);
        EXPECT_EQ(Differences(image, before), QList<int>{});
#else
        EXPECT_DEATH(
            {
                VirtualCP image;
                write(image);
            },
            "ASSERT failure in VirtualCP");
#endif
    }
#ifdef QT_NO_DEBUG
    const VirtualCP image = PatternedImage();
    EXPECT_EQ(image.Get(19, CP::Channel::kTxCode), 0);
    EXPECT_EQ(image.Get(19, CP::Channel::kName), QByteArray());
    EXPECT_EQ(image.Get(99, CP::Frequency::kFractionLow), 0u);
    EXPECT_EQ(image.DecodeFrequency(99), 0u);
    EXPECT_EQ(image.PresetChannel(2), 0);
    EXPECT_EQ(image.CustomisedCode(213), 0);
    EXPECT_EQ(image.ModelDigit(-1), 0);
#endif
}

// The radio identity record.

TEST(RadioIdentityTest, FieldsComeFromTheirBytes)
{
    QByteArray bytes(21, '\0');
    for (int i = 0; i < 21; ++i)
        bytes[i] = char(0x30 + i);
    const std::optional<CRadioIdentity> identity = CRadioIdentity::FromBytes(bytes);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->modelCharacters, (std::array<quint8, 3>{0x30, 0x31, 0x32}));
    EXPECT_EQ(identity->modelDigits, (std::array<quint8, 5>{0x33, 0x34, 0x35, 0x36, 0x37}));
    EXPECT_EQ(identity->firmwarePhase, 0x38);
    EXPECT_EQ(identity->firmwareVersion, 0x39);
    EXPECT_EQ(identity->firmwareRevision, 0x3A);
    EXPECT_EQ(identity->codeplugPhase, 0x3B);
    EXPECT_EQ(identity->codeplugVersion, 0x3C);
    EXPECT_EQ(identity->password, (std::array<quint8, 4>{0x3D, 0x3E, 0x3F, 0x40}));
    EXPECT_EQ(identity->validFrequencies, 0x41);
    EXPECT_EQ(identity->serialCloneCompatibility, 0x42);
    EXPECT_EQ(identity->unused, 0x43);
    EXPECT_EQ(identity->maxCode, 0x44);
    EXPECT_EQ(identity->ToBytes(), bytes);

    EXPECT_EQ(CRadioIdentity().ToBytes(), QByteArray(21, '\0'));
    EXPECT_FALSE(CRadioIdentity::FromBytes(QByteArray(20, '\0')).has_value());
    EXPECT_FALSE(CRadioIdentity::FromBytes(QByteArray(22, '\0')).has_value());
}

TEST(RadioIdentityTest, ModelNumbersPasswordAndDisplay)
{
    CRadioIdentity identity;
    identity.modelCharacters = {'Z', 'R', 'R'};
    identity.modelDigits = {4, 1, 6, 1, 2};
    EXPECT_FALSE(identity.IsDisplayRadio());
    EXPECT_EQ(identity.TierText(), QByteArray("16"));
    EXPECT_EQ(identity.RegionText(), QByteArray("12"));
    identity.modelCharacters[2] = 'D';
    EXPECT_TRUE(identity.IsDisplayRadio());
    identity.modelCharacters[2] = 0;
    EXPECT_TRUE(identity.IsDisplayRadio());

    EXPECT_EQ(identity.PasswordText(), QByteArray());
    identity.password = {'1', '2', 0, '9'};
    EXPECT_EQ(identity.PasswordText(), QByteArray("12"));
    identity.password = {'1', '2', '3', '4'};
    EXPECT_EQ(identity.PasswordText(), QByteArray("1234"));
}
