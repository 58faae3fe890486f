#include "codeplug/VirtualCP.h"

#include <algorithm>
#include <cstring>

// The regions follow one another without gaps; a wrong constant above shows
// here rather than as two fields sharing a byte.
static_assert(VirtualCP::kFactoryBlockOffset + VirtualCP::kFactoryBlockSize == VirtualCP::kLimitBlockOffset);
static_assert(VirtualCP::kLimitBlockOffset + VirtualCP::kLimitBlockSize == VirtualCP::kSettingBlockOffset);
static_assert(VirtualCP::kSettingBlockOffset + VirtualCP::kSettingBlockSize == VirtualCP::kChannelTableOffset);
static_assert(VirtualCP::kChannelTableOffset + VirtualCP::kChannelCount * VirtualCP::kChannelRecordSize
              == VirtualCP::kCustomisedCodeTableOffset);
static_assert(VirtualCP::kCustomisedCodeTableOffset + 2 * VirtualCP::kCustomisedCodeCount + 2
              == VirtualCP::kFrequencyTableOffset);
static_assert(VirtualCP::kFrequencyTableOffset + VirtualCP::kFrequencyCount * VirtualCP::kFrequencyRecordSize
              == VirtualCP::kSerialCloneCompatibility.offset);
static_assert(VirtualCP::kSerialCloneCompatibility.offset + 4 == VirtualCP::kSize);
static_assert(VirtualCP::kButtonTableOffset + VirtualCP::kButtonEntryCount / 2 == VirtualCP::kScanListOffset);
static_assert(VirtualCP::kScanListOffset + 3 == VirtualCP::kNumberChannels.offset);

namespace {

// With R = 7 the synthesiser steps in 2 100 000 Hz; half of that is the
// 1 050 000 Hz by which the integer divider counts.
constexpr quint8 kReferenceDividerValue = 7;
constexpr quint8 kByte5Value = 4;
constexpr quint32 kSynthesiserClock = 16800000;
constexpr quint32 kDoubleStep = 2100000;
// The divider is found by multiplying by the double nearest to 1 / 1 050 000,
// not by an integer division; the fraction then absorbs whatever that
// rounding gives, so decoding still returns the frequency.
constexpr double kInverseStep = 1.0 / 1050000.0;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool IsLetterNotOI(char c)
{
    return IsLetter(c) && c != 'O' && c != 'I';
}

bool InRange(int index, int count)
{
    return index >= 0 && index < count;
}

} // namespace

VirtualCP::VirtualCP()
{
    Clear();
}

void VirtualCP::Clear()
{
    m_bytes.fill(0);
    for (int i = 0; i < kCustomisedCodeCount; ++i)
        WriteU16(kCustomisedCodeTableOffset + 2 * i, 0xFFFF);
}

bool VirtualCP::Load(QByteArrayView bytes)
{
    if (bytes.size() != kSize)
        return false;
    std::memcpy(m_bytes.data(), bytes.data(), kSize);
    return true;
}

QByteArray VirtualCP::Save() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), kSize);
}

quint32 VirtualCP::Get(HexDigit field) const
{
    const quint8 c = ReadU8(field.offset);
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0xFFFFFFFFu;
}

void VirtualCP::Set(HexDigit field, quint32 value)
{
    const QByteArray hex = QByteArray::number(value, 16).toUpper();
    WriteU8(field.offset, static_cast<quint8>(hex.at(0)));
}

quint8 VirtualCP::ModelCharacter(int index) const
{
    Q_ASSERT_X(InRange(index, kModelCharacterCount), "VirtualCP::ModelCharacter", "index outside 0-2");
    return InRange(index, kModelCharacterCount) ? ReadU8(kModelCharactersOffset + index) : 0;
}

void VirtualCP::SetModelCharacter(int index, quint8 character)
{
    Q_ASSERT_X(InRange(index, kModelCharacterCount), "VirtualCP::SetModelCharacter", "index outside 0-2");
    if (InRange(index, kModelCharacterCount))
        WriteU8(kModelCharactersOffset + index, character);
}

quint8 VirtualCP::ModelDigit(int index) const
{
    Q_ASSERT_X(InRange(index, kModelDigitCount), "VirtualCP::ModelDigit", "index outside 0-4");
    return InRange(index, kModelDigitCount) ? ReadU8(kModelDigitsOffset + index) : 0;
}

void VirtualCP::SetModelDigit(int index, quint8 digit)
{
    Q_ASSERT_X(InRange(index, kModelDigitCount), "VirtualCP::SetModelDigit", "index outside 0-4");
    if (InRange(index, kModelDigitCount))
        WriteU8(kModelDigitsOffset + index, digit);
}

QByteArray VirtualCP::Model() const
{
    QByteArray model = UpToZero(ReadBytes(kModelCharactersOffset, kModelCharacterCount));
    for (int i = 0; i < kModelDigitCount; ++i)
        model += QByteArray::number(ModelDigit(i));
    return model;
}

void VirtualCP::SetModel(QByteArrayView model)
{
    WriteText(kModelCharactersOffset, kModelCharacterCount + kModelDigitCount, {});
    for (int i = 0; i < kModelCharacterCount && i < model.size(); ++i)
        SetModelCharacter(i, static_cast<quint8>(model.at(i)));
    for (int i = 0; i < kModelDigitCount && kModelCharacterCount + i < model.size(); ++i) {
        const char c = model.at(kModelCharacterCount + i);
        SetModelDigit(i, IsDigit(c) ? static_cast<quint8>(c - '0') : 0);
    }
}

bool VirtualCP::IsValidSerial(QByteArrayView serial)
{
    if (serial.size() != kSerial.width)
        return false;
    const char *s = serial.data();
    return IsDigit(s[0]) && IsDigit(s[1]) && IsDigit(s[2])
        && IsLetter(s[3]) && s[3] != 'O'
        && IsLetterNotOI(s[4]) && IsLetterNotOI(s[5])
        && (IsDigit(s[6]) || IsLetter(s[6]))
        && IsDigit(s[7])
        && (IsDigit(s[8]) || IsLetterNotOI(s[8]))
        && (IsDigit(s[9]) || IsLetterNotOI(s[9]));
}

quint8 VirtualCP::ButtonEntry(int entry) const
{
    if (!InRange(entry, kButtonEntryCount))
        return 0;
    const quint8 byte = ReadU8(kButtonTableOffset + entry / 2);
    return entry % 2 == 0 ? (byte & 0x0F) : (byte >> 4);
}

void VirtualCP::SetButtonEntry(int entry, quint8 value)
{
    if (!InRange(entry, kButtonEntryCount))
        return;
    const int offset = kButtonTableOffset + entry / 2;
    const quint8 byte = ReadU8(offset);
    value &= 0x0F;
    WriteU8(offset, entry % 2 == 0 ? quint8((byte & 0xF0) | value) : quint8((byte & 0x0F) | (value << 4)));
}

bool VirtualCP::ScanBit(int bit) const
{
    if (!InRange(bit, kScanBitCount))
        return false;
    return (ReadU8(kScanListOffset + bit / 8) >> (bit % 8)) & 1;
}

void VirtualCP::SetScanBit(int bit, bool inScanList)
{
    if (!InRange(bit, kScanBitCount))
        return;
    const int offset = kScanListOffset + bit / 8;
    const quint8 mask = quint8(1u << (bit % 8));
    WriteU8(offset, inScanList ? quint8(ReadU8(offset) | mask) : quint8(ReadU8(offset) & ~mask));
}

quint8 VirtualCP::PresetChannel(int preset) const
{
    Q_ASSERT_X(InRange(preset, kPresetCount), "VirtualCP::PresetChannel", "preset outside 0-1");
    return InRange(preset, kPresetCount) ? ReadU8(kPresetChannelsOffset + preset) : 0;
}

void VirtualCP::SetPresetChannel(int preset, quint8 channel)
{
    Q_ASSERT_X(InRange(preset, kPresetCount), "VirtualCP::SetPresetChannel", "preset outside 0-1");
    if (InRange(preset, kPresetCount))
        WriteU8(kPresetChannelsOffset + preset, channel);
}

bool VirtualCP::IsCustomisedCode(int code)
{
    return InRange(code - kFirstCustomisedPL, kCustomisedGroupSize)
        || InRange(code - kFirstCustomisedDPL, kCustomisedGroupSize);
}

namespace {

int CustomisedCodeWord(int code)
{
    const int index = code >= VirtualCP::kFirstCustomisedDPL
                          ? VirtualCP::kCustomisedGroupSize + code - VirtualCP::kFirstCustomisedDPL
                          : code - VirtualCP::kFirstCustomisedPL;
    return VirtualCP::kCustomisedCodeTableOffset + 2 * index;
}

} // namespace

quint16 VirtualCP::CustomisedCode(int code) const
{
    Q_ASSERT_X(IsCustomisedCode(code), "VirtualCP::CustomisedCode", "not a customised code number");
    return IsCustomisedCode(code) ? ReadU16(CustomisedCodeWord(code)) : 0;
}

void VirtualCP::SetCustomisedCode(int code, quint16 value)
{
    Q_ASSERT_X(IsCustomisedCode(code), "VirtualCP::SetCustomisedCode", "not a customised code number");
    if (IsCustomisedCode(code))
        WriteU16(CustomisedCodeWord(code), value);
}

bool VirtualCP::ChannelSlotValid(int slot)
{
    Q_ASSERT_X(InRange(slot, kChannelCount), "VirtualCP", "channel slot outside 0-18");
    return InRange(slot, kChannelCount);
}

bool VirtualCP::FrequencySlotValid(int slot)
{
    Q_ASSERT_X(InRange(slot, kFrequencyCount), "VirtualCP", "frequency slot outside 0-98");
    return InRange(slot, kFrequencyCount);
}

namespace {

int ChannelOffset(int slot, int offset)
{
    return VirtualCP::kChannelTableOffset + VirtualCP::kChannelRecordSize * slot + offset;
}

int FrequencyOffset(int slot, int offset)
{
    return VirtualCP::kFrequencyTableOffset + VirtualCP::kFrequencyRecordSize * slot + offset;
}

} // namespace

quint8 VirtualCP::FlagByte(int slot, ChannelFlag field) const
{
    return ChannelSlotValid(slot) ? ReadU8(ChannelOffset(slot, field.offset)) : 0;
}

void VirtualCP::Set(int slot, ChannelFlag field, bool value)
{
    if (ChannelSlotValid(slot))
        WriteU8(ChannelOffset(slot, field.offset), value ? 1 : 0);
}

quint8 VirtualCP::Get(int slot, ChannelByte field) const
{
    return ChannelSlotValid(slot) ? ReadU8(ChannelOffset(slot, field.offset)) : 0;
}

void VirtualCP::Set(int slot, ChannelByte field, quint8 value)
{
    if (ChannelSlotValid(slot))
        WriteU8(ChannelOffset(slot, field.offset), value);
}

QByteArray VirtualCP::Get(int slot, ChannelText field) const
{
    return ChannelSlotValid(slot) ? ReadBytes(ChannelOffset(slot, field.offset), field.width) : QByteArray();
}

void VirtualCP::Set(int slot, ChannelText field, QByteArrayView text)
{
    if (ChannelSlotValid(slot))
        WriteText(ChannelOffset(slot, field.offset), field.width, text);
}

void VirtualCP::ClearChannel(int slot)
{
    if (ChannelSlotValid(slot))
        WriteText(ChannelOffset(slot, 0), kChannelRecordSize, {});
}

quint8 VirtualCP::Get(int slot, FrequencyByte field) const
{
    return FrequencySlotValid(slot) ? ReadU8(FrequencyOffset(slot, field.offset)) : 0;
}

void VirtualCP::Set(int slot, FrequencyByte field, quint8 value)
{
    if (FrequencySlotValid(slot))
        WriteU8(FrequencyOffset(slot, field.offset), value);
}

quint32 VirtualCP::Get(int slot, FrequencyDword field) const
{
    return FrequencySlotValid(slot) ? ReadU32(FrequencyOffset(slot, field.offset)) : 0;
}

void VirtualCP::Set(int slot, FrequencyDword field, quint32 value)
{
    if (FrequencySlotValid(slot))
        WriteU32(FrequencyOffset(slot, field.offset), value);
}

void VirtualCP::EncodeFrequency(int slot, quint32 hz, quint32 synthBaseIntPart)
{
    if (!FrequencySlotValid(slot))
        return;
    // Radio frequencies are far below 2^32 / 2, so the product always fits;
    // outside that the product wraps as an unsigned 32-bit number and the
    // difference is taken modulo 2^32, never undefined.
    const quint32 n = static_cast<quint32>(static_cast<double>(hz) * kInverseStep);
    const quint32 nTimesStep = n * kDoubleStep;
    const double twiceFraction = 2.0 * static_cast<double>(hz) - static_cast<double>(nTimesStep);
    const quint32 d = static_cast<quint32>(static_cast<qint64>(twiceFraction));
    const quint32 fraction = d >> 1;

    Set(slot, Frequency::kReferenceDivider, kReferenceDividerValue);
    Set(slot, Frequency::kDividerOffset, quint8(quint8(n) - quint8(synthBaseIntPart)));
    Set(slot, Frequency::kByte5, kByte5Value);
    Set(slot, Frequency::kFractionHigh, fraction >> 16);
    Set(slot, Frequency::kFractionLow, fraction & 0xFFFF);
}

quint32 VirtualCP::DecodeFrequency(int slot, quint32 synthBaseIntPart) const
{
    if (!FrequencySlotValid(slot))
        return 0;
    const quint32 step = kSynthesiserClock / (quint32(Get(slot, Frequency::kReferenceDivider)) + 1);
    const quint32 n = Get(slot, Frequency::kDividerOffset) + synthBaseIntPart;
    const quint32 fraction = (Get(slot, Frequency::kFractionHigh) << 16) | Get(slot, Frequency::kFractionLow);
    return (step * n + 2 * fraction) >> 1;
}

QByteArray VirtualCP::UpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

quint16 VirtualCP::ReadU16(int offset) const
{
    Q_ASSERT(offset >= 0 && offset + 2 <= kSize);
    return quint16(m_bytes[offset] | (m_bytes[offset + 1] << 8));
}

void VirtualCP::WriteU16(int offset, quint16 value)
{
    Q_ASSERT(offset >= 0 && offset + 2 <= kSize);
    m_bytes[offset] = quint8(value);
    m_bytes[offset + 1] = quint8(value >> 8);
}

quint32 VirtualCP::ReadU32(int offset) const
{
    Q_ASSERT(offset >= 0 && offset + 4 <= kSize);
    return quint32(m_bytes[offset]) | quint32(m_bytes[offset + 1]) << 8 | quint32(m_bytes[offset + 2]) << 16
         | quint32(m_bytes[offset + 3]) << 24;
}

void VirtualCP::WriteU32(int offset, quint32 value)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= kSize);
    for (int i = 0; i < 4; ++i)
        m_bytes[offset + i] = quint8(value >> (8 * i));
}

QByteArray VirtualCP::ReadBytes(int offset, int width) const
{
    Q_ASSERT(offset >= 0 && width >= 0 && offset + width <= kSize);
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data() + offset), width);
}

void VirtualCP::WriteText(int offset, int width, QByteArrayView text)
{
    Q_ASSERT(offset >= 0 && width >= 0 && offset + width <= kSize);
    std::fill_n(m_bytes.begin() + offset, width, quint8(0));
    const qsizetype count = std::min<qsizetype>(text.size(), width);
    if (count > 0)
        std::memcpy(m_bytes.data() + offset, text.data(), count);
}
