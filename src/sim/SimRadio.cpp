#include "sim/SimRadio.h"

#include "codeplug/VirtualCP.h"
#include "radio/RadioFrame.h"
#include "radio/RadioMemoryMap.h"

#include <array>

namespace {

using namespace SimRadioMap;

constexpr quint16 kSynthBaseValue = 400;
constexpr int kDefaultChannels = 16;
constexpr int kDefaultFrequencies = 16;
constexpr quint32 kFirstFrequency = 462562500;
constexpr quint32 kFrequencyStep = 25000;

QByteArray BigEndian32(quint32 value)
{
    QByteArray bytes(4, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (24 - 8 * i)) & 0xFF);
    return bytes;
}

QString HexAddress(quint32 address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper().rightJustified(6, QLatin1Char('0'));
}

quint32 Address(const QByteArray &bytes, int at)
{
    return quint32(quint8(bytes[at])) << 16 | quint32(quint8(bytes[at + 1])) << 8 | quint8(bytes[at + 2]);
}

QByteArray Acknowledged(const QByteArray &frame)
{
    return QByteArray(1, char(RadioFrame::kAcknowledge)) + frame;
}

} // namespace

CSimRadio::CSimRadio()
    : m_memory(DefaultMemory())
{
}

QByteArray CSimRadio::FrequencyRecord(quint32 hertz, int power, int compander, int bandwidth)
{
    const quint32 n = hertz / 1050000;
    const quint32 fraction = hertz - n * 1050000;
    const int reference = 7;
    const int divider = int((n - (kSynthBaseValue & 0xFF)) & 0x7F);
    const quint32 high = fraction >> 16;
    QByteArray record(kFrequencyRecordSize, 0);
    record[0] = char(reference << 3 | divider >> 4);
    record[1] = char((divider << 4 & 0xF0) | (power & 3) << 2 | (compander & 3));
    record[2] = char((bandwidth & 3) << 6 | 4 << 3 | (high >> 8 & 7));
    record[3] = char(high & 0xFF);
    record[4] = char(fraction >> 8 & 0xFF);
    record[5] = char(fraction & 0xFF);
    return record;
}

CSimMemory CSimRadio::DefaultMemory()
{
    CSimMemory memory;

    // Settings record and channel records; the rest of the block is zero.
    QByteArray block(kSettingsBlockSize, 0);
    block[6] = char(kDefaultChannels); // numberChannels
    block[7] = 5;                      // backlight time-out
    block[13] = char(0x21);            // button table
    block[14] = char(0x43);
    block[21] = char(0xFF);            // scan list: the first 16 channels
    block[22] = char(0xFF);
    block.replace(24, 4, "TARN");      // power-up text, zero-padded
    for (int i = 0; i < kDefaultChannels; ++i) {
        const int at = kChannelRecordsOffset + kChannelRecordSize * i;
        block[at + 0] = char(i); // receive frequency
        block[at + 2] = char(i); // transmit frequency
        block[at + 4] = char(0x80 | 0x01); // wide transmit, wide receive
        const QByteArray name = QByteArray("Chan ") + QByteArray::number(i + 1).rightJustified(2, '0');
        block.replace(at + 5, name.size(), name);
        int sum = 0x5A;
        for (int k = 0; k < 13; ++k)
            sum += quint8(block[at + k]);
        block[at + 13] = char(sum & 0xFF);
    }
    memory.Write(kSettingsBlock, block);

    for (int j = 0; j < kDefaultFrequencies; ++j)
        memory.Write(kFrequencyRecords + quint32(kFrequencyRecordSize * j),
                     FrequencyRecord(kFirstFrequency + kFrequencyStep * quint32(j), 2, 0, 1));

    memory.Write(kStartEndFrequency, BigEndian32(400000000) + BigEndian32(470000000));

    QByteArray limits(kLimitRecordSize, 0);
    limits[4] = char(kDefaultChannels);    // maxChannels
    limits[5] = char(122);                 // the largest code number, older firmware
    limits[6] = char(kDefaultFrequencies); // valid frequencies
    limits[7] = char(0x10 | 0x03);         // two preset buttons, channel disabling, talk-around scan
    limits[8] = 5;                         // call tones
    limits[18] = char(219);                // the largest code number, newer firmware
    memory.Write(kLimitRecord, limits);

    memory.Write(kCloneCompatibility, QByteArray(1, 1));
    memory.Write(kCompanderMarker, "/");
    memory.Fill(kFixedTable, kFixedTableSize, 0);
    memory.Write(kSynthBase, QByteArray(1, char(kSynthBaseValue >> 8)) + QByteArray(1, char(kSynthBaseValue & 0xFF)));

    QByteArray header(kHeaderSize, 0);
    header.replace(0, 10, "123ABC4567");
    memory.Write(kHeader, header);
    WriteModel(memory, kDefaultModel);
    WriteCodeplug(memory, kDefaultCodeplugPhase, kDefaultCodeplugVersion);
    return memory;
}

namespace {

// Where each firmware keeps the largest code number: the newer ones ("R"
// with a version above 1 or version 1 from revision 7, "D" from version 7)
// in limit record byte 18, with byte 5 saying 122 for the programs that only
// know the old place; the older ones in bits 6-0 of byte 5, byte 18 unused.
bool KeepsMaxCodeInByte18(quint8 phase, quint8 version, quint8 revision)
{
    if (phase == 'R')
        return version > '1' || (version == '1' && revision >= '7');
    return phase == 'D' && version >= '7';
}

quint8 Flag(const VirtualCP &image, VirtualCP::Flag field, int bit)
{
    return image.Get(field) ? quint8(1u << bit) : quint8(0);
}

// The limit record as the radio keeps it.
QByteArray LimitRecord(const VirtualCP &image)
{
    using VC = VirtualCP;
    QByteArray record(kLimitRecordSize, 0);
    record[4] = char(image.Get(VC::kMaxChannels) & 0x1F);
    const quint32 maxCodes = image.Get(VC::kMaxCodes);
    if (KeepsMaxCodeInByte18(image.Get(VC::kFirmwarePhase), image.Character(VC::kFirmwareVersion),
                             image.Character(VC::kFirmwareRevision))) {
        record[5] = char(qMin<quint32>(maxCodes, 122));
        record[18] = char(qMin<quint32>(maxCodes, 0xFF));
    } else {
        record[5] = char(maxCodes & 0x7F);
    }
    record[6] = char(image.Get(VC::kMaxValidFreqs));
    record[7] = char(Flag(image, VC::kProgrammingModeEnabled, 5) | (image.Get(VC::kMaxPresetButtons) & 3) << 3 |
                     Flag(image, VC::kVoiceChipEnable, 2) | Flag(image, VC::kDisableChannelEnable, 1) |
                     Flag(image, VC::kTalkaroundScanEnable, 0));
    record[8] = char(image.Get(VC::kMaxCallTones) & 7);
    const VC::Flag byte10[] = {VC::kDisableTimeOutTimer,    VC::kModelFlag,           VC::kDisableKeypadBeepFeature,
                               VC::kDisableRogerBeepFeature, VC::kDisableBusyLedMode,  VC::kEnableReverseBurst,
                               VC::kDisableVoxFeature,      VC::kDisableIvoxFeature};
    quint8 features = 0;
    for (int i = 0; i < 8; ++i)
        features |= Flag(image, byte10[i], 7 - i);
    record[10] = char(features);
    record[11] = char(Flag(image, VC::kDisableScrambleFeature, 7) | Flag(image, VC::kDisableBatterySaveFeature, 6) |
                      Flag(image, VC::kFactoryResetDisable, 5) | Flag(image, VC::kDisableScanMode, 4) |
                      Flag(image, VC::kBacklightButtonEnabled, 3) | Flag(image, VC::kPowerCntrlEnabled, 2));
    record[13] = char(Flag(image, VC::kDisableRepeaterFeature, 7) | Flag(image, VC::kCallFeatureDisable, 6) |
                      Flag(image, VC::kMonitorFeatureDisable, 5));
    record[16] = char(Flag(image, VC::kDisableKeypadLockFeature, 3));
    return record;
}

// A frequency slot of the image as the radio keeps the record: R in 4 bits,
// the divider offset in 7, the fraction's high part in 11.
QByteArray RadioFrequencyRecord(const VirtualCP &image, int slot)
{
    using F = VirtualCP::Frequency;
    const quint32 r = image.Get(slot, F::kReferenceDivider) & 0x0F;
    const quint32 n = image.Get(slot, F::kDividerOffset) & 0x7F;
    const quint32 high = image.Get(slot, F::kFractionHigh) & 0x7FF;
    const quint32 low = image.Get(slot, F::kFractionLow) & 0xFFFF;
    QByteArray record(kFrequencyRecordSize, 0);
    record[0] = char(r << 3 | n >> 4);
    record[1] = char((n & 0x0F) << 4 | (image.Get(slot, F::kPowerLevel) & 3) << 2 |
                     (image.Get(slot, F::kCompanderLleMode) & 3));
    record[2] = char((image.Get(slot, F::kBandwidth) & 3) << 6 | (image.Get(slot, F::kByte5) & 7) << 3 | high >> 8);
    record[3] = char(high & 0xFF);
    record[4] = char(low >> 8);
    record[5] = char(low & 0xFF);
    return record;
}

} // namespace

CSimMemory CSimRadio::MemoryFromImage(const VirtualCP &image)
{
    using VC = VirtualCP;
    CSimMemory memory = DefaultMemory();

    QByteArray header(kHeaderSize, 0);
    header.replace(0, VC::kSerial.width, image.Get(VC::kSerial));
    for (int i = 0; i < VC::kModelCharacterCount; ++i)
        header[10 + i] = char(image.ModelCharacter(i));
    for (int i = 0; i < VC::kModelDigitCount; ++i)
        header[13 + i] = char(image.ModelDigit(i));
    header[18] = char(image.Get(VC::kCodeplugPhase));
    header[19] = char(image.Get(VC::kCodeplugVersion));
    header[20] = char(image.Get(VC::kCodeplugDevVersion));
    memory.Write(kHeader, header);

    const quint32 synth = image.Get(VC::kSynthBaseIntPart);
    memory.Write(kSynthBase, QByteArray(1, char(synth >> 8 & 0xFF)) + QByteArray(1, char(synth & 0xFF)));
    memory.Write(kLimitRecord, LimitRecord(image));
    memory.Write(kCloneCompatibility, QByteArray(1, char(image.Get(VC::kSerialCloneCompatibility))));
    memory.Write(kStartEndFrequency, BigEndian32(image.Get(VC::kStartFreq)) + BigEndian32(image.Get(VC::kEndFreq)));

    // The settings block: the radio keeps its records the way the program
    // packs them for a write, over the radio's own bytes.
    QByteArray block = memory.Read(kSettingsBlock, kSettingsBlockSize);
    std::array<quint8, kSettingsBlockSize> bytes{};
    std::copy(block.begin(), block.end(), bytes.begin());
    RadioMemoryMap::PackSettingsBlock(image, bytes);
    memory.Write(kSettingsBlock, QByteArray(reinterpret_cast<const char *>(bytes.data()), kSettingsBlockSize));

    const int frequencies = qMin<int>(image.Get(VC::kMaxValidFreqs), VC::kFrequencyCount);
    for (int j = 0; j < frequencies; ++j)
        memory.Write(kFrequencyRecords + quint32(kFrequencyRecordSize * j), RadioFrequencyRecord(image, j));
    return memory;
}

void CSimRadio::LoadImage(const VirtualCP &image)
{
    m_memory = MemoryFromImage(image);
    const QByteArray firmware = QByteArray(1, char(image.Get(VirtualCP::kFirmwarePhase))) +
                                char(image.Character(VirtualCP::kFirmwareVersion)) +
                                char(image.Character(VirtualCP::kFirmwareRevision));
    if (!firmware.contains('\0'))
        m_firmware = firmware;
}

bool CSimRadio::SetFirmware(const QByteArray &characters)
{
    if (characters.size() != 3)
        return false;
    m_firmware = characters;
    return true;
}

bool CSimRadio::WriteModel(CSimMemory &memory, const QByteArray &model)
{
    if (model.size() != 8)
        return false;
    for (int i = 3; i < 8; ++i)
        if (model[i] < '0' || model[i] > '9')
            return false;
    memory.Write(kModelCharacters, model.left(3));
    QByteArray digits(5, 0);
    for (int i = 0; i < 5; ++i)
        digits[i] = char(model[3 + i] - '0');
    memory.Write(kModelDigits, digits);
    return true;
}

void CSimRadio::WriteCodeplug(CSimMemory &memory, quint8 phase, quint8 version)
{
    memory.Write(kCodeplugPhase, QByteArray(1, char(phase)));
    memory.Write(kCodeplugVersion, QByteArray(1, char(version)));
}

bool CSimRadio::SetModel(const QByteArray &model)
{
    return WriteModel(m_memory, model);
}

QByteArray CSimRadio::Model() const
{
    QByteArray model = m_memory.Read(kModelCharacters, 3);
    for (char digit : m_memory.Read(kModelDigits, 5))
        model += digit >= 0 && digit <= 9 ? char('0' + digit) : '?';
    return model;
}

void CSimRadio::SetCodeplug(quint8 phase, quint8 version)
{
    WriteCodeplug(m_memory, phase, version);
}

bool CSimRadio::SetPassword(const QByteArray &password)
{
    if (password.size() > kPasswordSize || password.contains('\0'))
        return false;
    m_memory.Write(kPassword, password.leftJustified(kPasswordSize, '\0'));
    return true;
}

QByteArray CSimRadio::Password() const
{
    const QByteArray bytes = m_memory.Read(kPassword, kPasswordSize);
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

CSimRadio::Served CSimRadio::Serve(const QByteArray &request, bool refuseWrite)
{
    Served served;
    if (request.size() < 3) {
        served.summary = QStringLiteral("unknown request, not answered");
        return served;
    }
    served.command = quint8(request[1]);
    if (RadioFrame::Checksum(QByteArrayView(request).first(request.size() - 1)) != quint8(request.back())) {
        served.kind = SimRequestKind::BadChecksum;
        served.summary = QStringLiteral("checksum mismatch, not answered");
        return served;
    }
    const auto answer = [&served](SimRequestKind kind, const QByteArray &frame, const QString &summary) {
        served.kind = kind;
        served.answer = Acknowledged(frame);
        served.frameStart = 1;
        served.summary = summary;
        return served;
    };

    if (quint8(request[0]) == RadioFrame::kLongForm) {
        // The frame reader hands over whole frames: 4 + length bytes.
        const QByteArray body = request.mid(4, request.size() - 5);
        switch (served.command) {
        case RadioFrame::kResetCommand:
            if (!body.isEmpty())
                break;
            served.kind = SimRequestKind::Reset;
            served.answer = QByteArray(1, char(RadioFrame::kAcknowledge));
            served.summary = QStringLiteral("reset");
            return served;
        case RadioFrame::kReadMemoryCommand: {
            if (body.size() != 4)
                break;
            served.count = quint8(body[0]);
            served.address = Address(body, 1);
            return answer(SimRequestKind::ReadMemory,
                          RadioFrame::LongWithAddress(RadioFrame::kReadMemoryAnswer, served.address,
                                                      m_memory.Read(served.address, served.count)),
                          QStringLiteral("read memory %1 at %2").arg(served.count).arg(HexAddress(served.address)));
        }
        case RadioFrame::kWriteMemoryCommand: {
            if (body.size() < 4)
                break;
            served.address = Address(body, 0);
            served.count = int(body.size() - 3);
            QString summary = QStringLiteral("write memory %1 at %2").arg(served.count).arg(HexAddress(served.address));
            if (refuseWrite)
                return answer(SimRequestKind::WriteMemory,
                              RadioFrame::LongWithAddress(RadioFrame::kWriteRefusedAnswer, served.address, {}),
                              summary + QStringLiteral(", refused"));
            m_memory.Write(served.address, body.mid(3));
            return answer(SimRequestKind::WriteMemory,
                          RadioFrame::LongWithAddress(RadioFrame::kWriteMemoryAnswer, served.address, {}), summary);
        }
        case RadioFrame::kControlCommand:
            if (body.size() != 4)
                break;
            return answer(SimRequestKind::Control, RadioFrame::Short(RadioFrame::kControlCommand, body.left(1)),
                          QStringLiteral("control %1").arg(RadioFrame::Hex(body.left(3))));
        case RadioFrame::kFrequencyCommand: {
            if (body.size() != 8 || quint8(body[0]) != RadioFrame::kWriteFrequencyRecordParameter)
                break;
            served.count = quint8(body[1]);
            served.address = kFrequencyRecords + quint32(kFrequencyRecordSize * served.count);
            m_memory.Write(served.address, body.mid(2));
            return answer(SimRequestKind::WriteFrequencyRecord,
                          RadioFrame::Short(RadioFrame::kFrequencyCommand, body.mid(1, 1)),
                          QStringLiteral("write frequency record %1: %2")
                              .arg(served.count)
                              .arg(RadioFrame::Hex(body.mid(2))));
        }
        default:
            break;
        }
    } else {
        const QByteArray data = request.mid(2, request.size() - 3);
        const quint8 which = data.isEmpty() ? 0 : quint8(data[0]);
        if (served.command == RadioFrame::kSessionStartCommand && data.size() == 1 &&
            which == RadioFrame::kSessionStartParameter)
            return answer(SimRequestKind::SessionStart,
                          RadioFrame::Short(RadioFrame::kSessionStartCommand, QByteArray::fromHex("1601")),
                          QStringLiteral("session start"));
        if (served.command == RadioFrame::kQueryCommand && data.size() == 1 && which == RadioFrame::kVersionQuery)
            return answer(SimRequestKind::ReadVersion,
                          RadioFrame::Short(RadioFrame::kQueryCommand, data + m_firmware),
                          QStringLiteral("read version: %1").arg(QString::fromLatin1(m_firmware)));
        if (served.command == RadioFrame::kQueryCommand && data.size() == 1 && which == RadioFrame::kStatusQuery)
            return answer(SimRequestKind::ReadStatus,
                          RadioFrame::Short(RadioFrame::kQueryCommand, data + QByteArray(1, 0) +
                                                                           QByteArray(1, char(m_status))),
                          QStringLiteral("read status: %1").arg(m_status));
        if (served.command == RadioFrame::kFrequencyCommand && data.size() == 3 &&
            which == RadioFrame::kSetFrequencyCountParameter) {
            served.count = quint8(data[1]);
            const quint8 flag = quint8(data[2]);
            m_memory.Write(kFrequencyCount, data.mid(1, 1));
            const quint8 mode = m_memory.At(kProgrammingModeByte);
            m_memory.Write(kProgrammingModeByte,
                           QByteArray(1, char(flag ? (mode | 0x20) : (mode & ~0x20))));
            return answer(SimRequestKind::SetFrequencyCount,
                          RadioFrame::Short(RadioFrame::kFrequencyCommand, data.mid(1, 1)),
                          QStringLiteral("set frequency count %1, flag %2").arg(served.count).arg(flag));
        }
    }
    served.kind = SimRequestKind::Unknown;
    served.summary = QStringLiteral("unknown request, not answered");
    return served;
}
