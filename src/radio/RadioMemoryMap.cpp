#include "radio/RadioMemoryMap.h"

namespace RadioMemoryMap {

namespace {

using VC = VirtualCP;

constexpr bool Bit(quint8 byte, int bit)
{
    return (byte >> bit) & 1;
}

constexpr quint8 Bits(quint8 byte, int high, int low)
{
    return quint8((byte >> low) & ((1u << (high - low + 1)) - 1));
}

// A field of width (high - low + 1) bits placed at low; the value is masked
// to the field.
constexpr quint8 Place(quint32 value, int high, int low)
{
    return quint8((value & ((1u << (high - low + 1)) - 1)) << low);
}

constexpr quint8 PlaceFlag(bool flag, int bit)
{
    return flag ? quint8(1u << bit) : quint8(0);
}

quint32 BigEndian(std::span<const quint8> bytes)
{
    quint32 value = 0;
    for (quint8 byte : bytes)
        value = value << 8 | byte;
    return value;
}

int ChannelSlots(const VirtualCP &image)
{
    return qMin<int>(image.Get(VC::kMaxChannels), VC::kChannelCount);
}

constexpr std::array<quint8, kR16TableSize> kTableA = {
    0x25, 0xF0, 0x00, 0x78, 0x7A, 0x27, 0x36, 0x52, 0xE0, 0x0B, 0x36, 0x62, 0xE0, 0x37, 0x36, 0xA2, 0xE0, 0x20,
    0x36, 0xC2, 0xE0, 0x1E, 0x36, 0x92, 0xE0, 0x1C, 0x36, 0xE2, 0xE0, 0x25, 0xF0, 0x3C, 0x2A, 0x1D, 0xE0, 0x3A,
    0x77, 0x20, 0xA6, 0x07, 0x36, 0x26, 0xE8, 0x36, 0x75, 0x1F, 0xA4, 0x05, 0x36, 0x34, 0xE0, 0x0B, 0xA3, 0x0A,
    0x22, 0x13, 0xE0, 0x2F, 0x22, 0x33, 0xE8, 0x2D, 0x30, 0x26, 0xB6, 0x07, 0x7E, 0x1A, 0x60, 0x12, 0x00, 0xDE,
    0xF0, 0x27, 0xA3, 0x0A, 0x2A, 0x33, 0xE0, 0x24, 0xF7, 0xF6, 0x78, 0x17, 0x79, 0x18, 0xA3, 0x08, 0x22, 0x43,
    0xE0, 0x03, 0x62, 0x02, 0x34, 0x72, 0xF0, 0x01, 0x60, 0x02, 0xB2, 0x09, 0xF0, 0x18, 0x2A, 0x2E, 0xE0, 0x16,
    0x7B, 0x13, 0xA5, 0x0B, 0x2A, 0x35, 0xE0, 0x12, 0x66, 0x32, 0x34, 0xAB, 0xB2, 0x7B, 0xF0, 0x0E, 0x72, 0x10,
    0xA3, 0x02, 0x2A, 0x23, 0xE0, 0x0A, 0x78, 0x0F, 0xC5, 0x08, 0x36, 0x85, 0xE8, 0x06, 0x20, 0x98, 0xC5, 0x78,
    0x30, 0x35, 0x34, 0x05, 0x34, 0x15, 0xD5, 0x78, 0x00, 0x68, 0x21, 0xF0, 0x00, 0xCF, 0x00, 0x00, 0x00, 0x02,
    0x04, 0x88, 0x00, 0x02, 0x04, 0x70, 0x00, 0x02, 0x02, 0x96, 0x00, 0x00, 0x72, 0xCE, 0x00, 0x02, 0x00, 0x69,
    0x00, 0x02, 0x01, 0x27, 0x00, 0x02, 0x00, 0x17, 0x00, 0x02, 0x00, 0x09, 0x00, 0x05, 0x32, 0x86,
};

// Table B differs from table A in one byte.
constexpr int kTableBDifference = 89;
constexpr std::array<quint8, kR16TableSize> MakeTableB()
{
    std::array<quint8, kR16TableSize> table = kTableA;
    table[kTableBDifference] = 0x33;
    return table;
}
constexpr std::array<quint8, kR16TableSize> kTableB = MakeTableB();
static_assert(kTableA[kTableBDifference] == 0x43);

} // namespace

// ---------------------------------------------------------------------------
// firmware

bool IsNewerFirmwareForLimits(quint8 phase, quint8 version, quint8 revision)
{
    if (phase == 'R')
        return version > '1' || (version == '1' && revision >= '7');
    if (phase == 'D')
        return version >= '7';
    return false;
}

bool IdentifyReadsNewerMaxCode(quint8 phase, quint8 version, quint8 revision)
{
    return (phase == 'R' && version == '1' && revision >= '7') || (phase == 'D' && version == '7');
}

// ---------------------------------------------------------------------------
// radio -> image

void UnpackHeader(std::span<const quint8, kHeaderSize> header, VirtualCP &image)
{
    image.Set(VC::kSerial, QByteArrayView(header.data() + Header::kSerial, VC::kSerial.width));
    for (int i = 0; i < VC::kModelCharacterCount; ++i)
        image.SetModelCharacter(i, header[Header::kModelCharacters + i]);
    for (int i = 0; i < VC::kModelDigitCount; ++i)
        image.SetModelDigit(i, header[Header::kModelDigits + i]);
    image.Set(VC::kCodeplugPhase, header[Header::kCodeplugPhase]);
    image.Set(VC::kCodeplugVersion, header[Header::kCodeplugVersion]);
    image.Set(VC::kCodeplugDevVersion, header[Header::kCodeplugDevVersion]);
}

void UnpackSynthBase(std::span<const quint8, kSynthBaseSize> bytes, VirtualCP &image)
{
    image.Set(VC::kSynthBaseIntPart, quint32(bytes[0]) * 256 + bytes[1]);
}

void UnpackFirmware(quint8 phase, quint8 version, quint8 revision, VirtualCP &image)
{
    image.Set(VC::kFirmwarePhase, phase);
    image.SetCharacter(VC::kFirmwareVersion, version);
    image.SetCharacter(VC::kFirmwareRevision, revision);
}

void UnpackLimitRecord(std::span<const quint8, kLimitRecordSize> record, VirtualCP &image)
{
    using namespace Limit;
    image.Set(VC::kMaxChannels, Bits(record[kMaxChannels], 4, 0));
    const bool newer = IsNewerFirmwareForLimits(image.Get(VC::kFirmwarePhase),
                                                image.Character(VC::kFirmwareVersion),
                                                image.Character(VC::kFirmwareRevision));
    image.Set(VC::kMaxCodes, newer ? record[kMaxCodesNewer] : Bits(record[kMaxCodesOlder], 6, 0));
    image.Set(VC::kMaxValidFreqs, record[kMaxValidFreqs]);

    const quint8 mode = record[kModeByte];
    image.Set(VC::kProgrammingModeEnabled, Bit(mode, 5));
    image.Set(VC::kMaxPresetButtons, Bits(mode, 4, 3));
    image.Set(VC::kVoiceChipEnable, Bit(mode, 2));
    image.Set(VC::kDisableChannelEnable, Bit(mode, 1));
    image.Set(VC::kTalkaroundScanEnable, Bit(mode, 0));
    image.Set(VC::kMaxCallTones, Bits(record[kCallTones], 2, 0));

    // Byte 10, bits 7 down to 0, fill 0x28-0x2F in order.
    const VC::Flag features1[] = {VC::kDisableTimeOutTimer, VC::kModelFlag,          VC::kDisableKeypadBeepFeature,
                                  VC::kDisableRogerBeepFeature, VC::kDisableBusyLedMode, VC::kEnableReverseBurst,
                                  VC::kDisableVoxFeature,   VC::kDisableIvoxFeature};
    for (int i = 0; i < 8; ++i)
        image.Set(features1[i], Bit(record[kFeatureByte1], 7 - i));
    const quint8 features2 = record[kFeatureByte2];
    image.Set(VC::kDisableScrambleFeature, Bit(features2, 7));
    image.Set(VC::kDisableBatterySaveFeature, Bit(features2, 6));
    image.Set(VC::kFactoryResetDisable, Bit(features2, 5));
    image.Set(VC::kDisableScanMode, Bit(features2, 4));
    image.Set(VC::kBacklightButtonEnabled, Bit(features2, 3));
    image.Set(VC::kPowerCntrlEnabled, Bit(features2, 2));
    const quint8 features3 = record[kFeatureByte3];
    image.Set(VC::kDisableRepeaterFeature, Bit(features3, 7));
    image.Set(VC::kCallFeatureDisable, Bit(features3, 6));
    image.Set(VC::kMonitorFeatureDisable, Bit(features3, 5));
    image.Set(VC::kDisableKeypadLockFeature, Bit(record[kKeypadLockByte], 3));
}

void UnpackSettingsRecord(std::span<const quint8, Settings::kSize> record, VirtualCP &image)
{
    using namespace Settings;
    image.Set(VC::kAccessoryMicrophoneGain, Bits(record[kGains], 7, 4));
    image.Set(VC::kMicrophoneGain, Bits(record[kGains], 3, 2));
    image.Set(VC::kVoxLevel, Bits(record[kGains], 1, 0));
    const quint8 audio = record[kAudioFlags];
    image.Set(VC::kIvolLevel, Bits(audio, 7, 6));
    image.Set(VC::kBacklightEnabled, Bit(audio, 5));
    image.Set(VC::kReverseBurst, Bit(audio, 4));
    image.Set(VC::kKeypadBeep, !Bit(audio, 3));
    image.Set(VC::kKeypadLock, Bit(audio, 2));
    image.Set(VC::kRogerBeepTone, Bit(audio, 1));
    image.Set(VC::kBatteryType, Bit(audio, 0));
    image.Set(VC::kDisableRestoreFactoryDefault, Bit(record[kRestoreDefault], 7));
    image.Set(VC::kDisableBatterySave, Bit(record[kScrambleFlags], 6));
    image.Set(VC::kDisableSelectableScramble, Bit(record[kScrambleFlags], 5));
    image.Set(VC::kCallTone, Bits(record[kScrambleFlags], 3, 0));
    for (int preset = 0; preset < VC::kPresetCount; ++preset)
        image.SetPresetChannel(preset, record[kPresetChannels + preset]);
    image.Set(VC::kDisableLED, Bit(record[kChannelCount], 7));
    image.Set(VC::kNumberChannels, Bits(record[kChannelCount], 6, 0));
    image.Set(VC::kBacklightTimeout, record[kBacklightTimeout]);
    image.Set(VC::kTimeoutTimer, record[kTimeoutTimer]);
    image.Set(VC::kPassword, QByteArrayView(record.data() + Settings::kPassword, VC::kPassword.width));
    // The button table and the scan-list bytes go over whole: the entries
    // and bits the program does not edit are carried through.
    for (int k = 0; k < VC::kButtonEntryCount / 2; ++k)
        image.Set(VC::Byte{VC::kButtonTableOffset + k}, record[kButtonTable + k]);
    for (int k = 0; k < kScanListSize; ++k)
        image.Set(VC::Byte{VC::kScanListOffset + k}, record[kScanList + k]);
    image.Set(VC::kPowerupString, QByteArrayView(record.data() + kPowerupString, VC::kPowerupString.width));
    image.Set(VC::kVoiceLanguage, Bits(record[kVoiceLanguage], 7, 5));
}

void UnpackChannelRecord(std::span<const quint8, ChannelRecord::kSize> record, int slot, VirtualCP &image)
{
    using namespace ChannelRecord;
    using C = VC::Channel;
    image.Set(slot, C::kRxFreqNdx, record[kRxFreqNdx]);
    image.Set(slot, C::kRxCode, record[kRxCode]);
    image.Set(slot, C::kTxFreqNdx, record[kTxFreqNdx]);
    image.Set(slot, C::kTxCode, record[kTxCode]);
    const quint8 flags = record[kFlags];
    image.Set(slot, C::kTxBw, Bit(flags, 7));
    image.Set(slot, C::kTalkaroundPower, Bit(flags, 6));
    image.Set(slot, C::kAutoScan, Bit(flags, 5));
    image.Set(slot, C::kScrambleCode, Bits(flags, 4, 3));
    image.Set(slot, C::kRepeater, Bit(flags, 2));
    image.Set(slot, C::kRxBw, Bit(flags, 1));
    image.Set(slot, C::kRepeaterPower, Bit(flags, 0));
    QByteArray name(kNameWidth, '\0');
    for (int k = 0; k < kNameWidth; ++k)
        name[k] = char(record[kName + k] & 0x7F);
    image.Set(slot, C::kName, name);
    image.Set(slot, C::kDisableChannel, Bit(record[kDisableChannelByte], 7));
    image.Set(slot, C::kTalkaroundScan, Bit(record[kTalkaroundScanByte], 7));
    image.Set(slot, C::kCheckByte, record[kCheckByte]);
}

void UnpackSettingsBlock(std::span<const quint8, kSettingsBlockReadSize> block, VirtualCP &image)
{
    UnpackSettingsRecord(block.first<Settings::kSize>(), image);
    for (int slot = 0; slot < ChannelSlots(image); ++slot)
        UnpackChannelRecord(block.subspan(ChannelRecord::kFirst + ChannelRecord::kSize * slot)
                                .first<ChannelRecord::kSize>(),
                            slot, image);
    const quint32 maxCodes = image.Get(VC::kMaxCodes);
    const auto words = [&](int at, int firstCode) {
        for (int k = 0; k < VC::kCustomisedGroupSize; ++k)
            image.SetCustomisedCode(firstCode + k, quint16(BigEndian(block.subspan(at + 2 * k, 2))));
    };
    if (maxCodes > kLastStandardCode)
        words(kPLWords, VC::kFirstCustomisedPL);
    if (maxCodes > kLastPLCode)
        words(kDPLWords, VC::kFirstCustomisedDPL);
}

void UnpackFrequencyRecord(std::span<const quint8, FrequencyRecord::kSize> record, int slot, VirtualCP &image)
{
    using F = VC::Frequency;
    image.Set(slot, F::kReferenceDivider, Bits(record[0], 6, 3));
    image.Set(slot, F::kDividerOffset, quint8(Bits(record[0], 2, 0) << 4 | Bits(record[1], 7, 4)));
    image.Set(slot, F::kPowerLevel, Bits(record[1], 3, 2));
    image.Set(slot, F::kCompanderLleMode, Bits(record[1], 1, 0));
    image.Set(slot, F::kBandwidth, Bits(record[2], 7, 6));
    image.Set(slot, F::kByte5, Bits(record[2], 5, 3));
    image.Set(slot, F::kFractionHigh, quint32(Bits(record[2], 2, 0)) << 8 | record[3]);
    image.Set(slot, F::kFractionLow, BigEndian(record.subspan(4, 2)));
}

void UnpackStartEndFrequency(std::span<const quint8, kStartEndFrequencySize> bytes, VirtualCP &image)
{
    image.Set(VC::kStartFreq, BigEndian(bytes.first(4)));
    image.Set(VC::kEndFreq, BigEndian(bytes.subspan(4, 4)));
}

// ---------------------------------------------------------------------------
// image -> radio

int SettingsBlockWriteLength(quint32 maxCodes)
{
    if (maxCodes > kLastPLCode)
        return kSettingsBlockDPLSize;
    if (maxCodes > kLastStandardCode)
        return kSettingsBlockPLSize;
    return kSettingsBlockBaseSize;
}

void PackSettingsRecord(const VirtualCP &image, std::span<quint8, Settings::kSize> record)
{
    using namespace Settings;
    record[kGains] = quint8(Place(image.Get(VC::kAccessoryMicrophoneGain), 7, 4) |
                            Place(image.Get(VC::kMicrophoneGain), 3, 2) | Place(image.Get(VC::kVoxLevel), 1, 0));
    record[kAudioFlags] = quint8(Place(image.Get(VC::kIvolLevel), 7, 6) | PlaceFlag(image.Get(VC::kBacklightEnabled), 5) |
                                 PlaceFlag(image.Get(VC::kReverseBurst), 4) | PlaceFlag(!image.Get(VC::kKeypadBeep), 3) |
                                 PlaceFlag(image.Get(VC::kKeypadLock), 2) | PlaceFlag(image.Get(VC::kRogerBeepTone), 1) |
                                 PlaceFlag(image.Get(VC::kBatteryType), 0));
    record[kRestoreDefault] =
        quint8((record[kRestoreDefault] & 0x7F) | PlaceFlag(image.Get(VC::kDisableRestoreFactoryDefault), 7));

    // The scramble key bit stays the radio's only while selectable scramble
    // is off and some button the radio shows is set to the scramble key.
    bool keepScrambleBit = false;
    if (image.Get(VC::kDisableSelectableScramble)) {
        const bool display = image.ModelCharacter(2) == 'D';
        const auto holds = [&](int entry) { return image.ButtonEntry(entry) == kScrambleButtonValue; };
        keepScrambleBit = holds(VC::kSide1ButEntry) || holds(VC::kSide2ButEntry) ||
                          (display && (holds(VC::kUpperRightButEntry) || holds(VC::kLowerLeftButEntry) ||
                                       holds(VC::kLowerRightButEntry)));
    }
    const quint8 radio3 = record[kScrambleFlags];
    record[kScrambleFlags] = quint8((radio3 & 0x80) | PlaceFlag(image.Get(VC::kDisableBatterySave), 6) |
                                    PlaceFlag(image.Get(VC::kDisableSelectableScramble), 5) |
                                    (keepScrambleBit ? (radio3 & kScrambleKeyBit) : 0) |
                                    Place(image.Get(VC::kCallTone), 3, 0));

    for (int preset = 0; preset < VC::kPresetCount; ++preset)
        record[kPresetChannels + preset] = image.PresetChannel(preset);
    record[kChannelCount] = quint8(PlaceFlag(image.Get(VC::kDisableLED), 7) | Place(image.Get(VC::kNumberChannels), 6, 0));
    record[kBacklightTimeout] = image.Get(VC::kBacklightTimeout);
    record[kTimeoutTimer] = image.Get(VC::kTimeoutTimer);
    const QByteArray password = image.Get(VC::kPassword);
    for (int k = 0; k < VC::kPassword.width; ++k)
        record[Settings::kPassword + k] = quint8(password[k]);

    // Only the buttons the program edits; every other entry is the radio's.
    for (int entry : {VC::kUpperRightButEntry, VC::kSide1ButEntry, VC::kLowerLeftButEntry, VC::kLowerRightButEntry,
                      VC::kSide2ButEntry}) {
        quint8 &byte = record[kButtonTable + entry / 2];
        const quint8 value = image.ButtonEntry(entry);
        byte = entry % 2 == 0 ? quint8((byte & 0xF0) | value) : quint8((byte & 0x0F) | value << 4);
    }
    const auto &bytes = image.Bytes();
    for (int k = 0; k < kScanListSize; ++k)
        record[kScanList + k] = bytes[VC::kScanListOffset + k];
    const QByteArray powerup = image.Get(VC::kPowerupString);
    for (int k = 0; k < VC::kPowerupString.width; ++k)
        record[kPowerupString + k] = quint8(powerup[k]);
    record[kVoiceLanguage] = Place(image.Get(VC::kVoiceLanguage), 7, 5);
}

quint8 ChannelCheckByte(std::span<const quint8, ChannelRecord::kSize> record)
{
    quint32 sum = ChannelRecord::kCheckBase;
    for (int k = 0; k < ChannelRecord::kCheckByte; ++k)
        sum += record[k];
    return quint8(sum & 0xFF);
}

void PackChannelRecord(const VirtualCP &image, int slot, std::span<quint8, ChannelRecord::kSize> record)
{
    using namespace ChannelRecord;
    using C = VC::Channel;
    record[kRxFreqNdx] = image.Get(slot, C::kRxFreqNdx);
    record[kRxCode] = image.Get(slot, C::kRxCode);
    record[kTxFreqNdx] = image.Get(slot, C::kTxFreqNdx);
    record[kTxCode] = image.Get(slot, C::kTxCode);
    record[kFlags] = quint8(PlaceFlag(image.Get(slot, C::kTxBw), 7) | PlaceFlag(image.Get(slot, C::kTalkaroundPower), 6) |
                            PlaceFlag(image.Get(slot, C::kAutoScan), 5) | Place(image.Get(slot, C::kScrambleCode), 4, 3) |
                            PlaceFlag(image.Get(slot, C::kRepeater), 2) | PlaceFlag(image.Get(slot, C::kRxBw), 1) |
                            PlaceFlag(image.Get(slot, C::kRepeaterPower), 0));
    // The name goes as the image holds it; the two flags ride on bit 7.
    const QByteArray name = image.Get(slot, C::kName);
    for (int k = 0; k < kNameWidth; ++k)
        record[kName + k] = quint8(name[k]);
    if (image.Get(slot, C::kDisableChannel))
        record[kDisableChannelByte] |= 0x80;
    if (image.Get(slot, C::kTalkaroundScan))
        record[kTalkaroundScanByte] |= 0x80;
    record[kCheckByte] = ChannelCheckByte(record);
}

int PackSettingsBlock(const VirtualCP &image, std::span<quint8> block)
{
    const int length = SettingsBlockWriteLength(image.Get(VC::kMaxCodes));
    Q_ASSERT(int(block.size()) >= length);
    PackSettingsRecord(image, block.first<Settings::kSize>());
    for (int slot = 0; slot < ChannelSlots(image); ++slot)
        PackChannelRecord(image, slot,
                          block.subspan(ChannelRecord::kFirst + ChannelRecord::kSize * slot).first<ChannelRecord::kSize>());
    const auto words = [&](int at, int firstCode) {
        for (int k = 0; k < VC::kCustomisedGroupSize; ++k) {
            const quint16 word = image.CustomisedCode(firstCode + k);
            block[at + 2 * k] = quint8(word >> 8);
            block[at + 2 * k + 1] = quint8(word & 0xFF);
        }
    };
    if (length >= kSettingsBlockPLSize)
        words(kPLWords, VC::kFirstCustomisedPL);
    if (length >= kSettingsBlockDPLSize)
        words(kDPLWords, VC::kFirstCustomisedDPL);
    return length;
}

std::array<quint8, FrequencyRecord::kSize> PackFrequencyRecord(const VirtualCP &image, int slot)
{
    using F = VC::Frequency;
    const quint32 r = image.Get(slot, F::kReferenceDivider);
    const quint32 n = image.Get(slot, F::kDividerOffset);
    const quint32 power = image.Get(slot, F::kPowerLevel);
    const quint32 compander = image.Get(slot, F::kCompanderLleMode);
    const quint32 bandwidth = image.Get(slot, F::kBandwidth);
    const quint32 byte5 = image.Get(slot, F::kByte5);
    const quint32 high = image.Get(slot, F::kFractionHigh);
    const quint32 low = image.Get(slot, F::kFractionLow);
    // No masking: a value wider than its field spills into its neighbour, as
    // the radio has always been sent it.
    return {
        quint8(r << 3 | n >> 4),
        quint8((n << 4 & 0xFF) | power << 2 | compander),
        quint8(bandwidth << 6 | byte5 << 3 | high >> 8),
        quint8(high & 0xFF),
        quint8(low >> 8),
        quint8(low),
    };
}

// ---------------------------------------------------------------------------
// R16 correction

bool NeedsR16Correction(const VirtualCP &image)
{
    const quint8 digit1 = image.ModelDigit(0);
    return (digit1 == 4 || digit1 == 5) && image.ModelCharacter(2) != 'D' && image.Get(VC::kFirmwarePhase) == 'R' &&
           image.Character(VC::kFirmwareVersion) == '1' && image.Character(VC::kFirmwareRevision) == '6';
}

const std::array<quint8, kR16TableSize> *R16Table(const VirtualCP &image)
{
    const bool v = image.ModelCharacter(1) == 'V';
    const quint8 digit1 = image.ModelDigit(0);
    if (v && digit1 == 5)
        return &kTableA;
    if (!v && digit1 == 4)
        return &kTableB;
    return nullptr;
}

const std::array<quint8, kR16TableSize> &R16TableA()
{
    return kTableA;
}

const std::array<quint8, kR16TableSize> &R16TableB()
{
    return kTableB;
}

} // namespace RadioMemoryMap
