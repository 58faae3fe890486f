#include "radio/RadioFrame.h"

#include <QString>

namespace RadioFrame {

namespace {

QByteArray WithChecksum(QByteArray frame)
{
    frame.append(char(Checksum(QByteArrayView(frame))));
    return frame;
}

void AppendAddress(QByteArray &bytes, quint32 address)
{
    bytes.append(char((address >> 16) & 0xFF));
    bytes.append(char((address >> 8) & 0xFF));
    bytes.append(char(address & 0xFF));
}

} // namespace

bool CarriesAddress(quint8 command)
{
    return command == kReadMemoryAnswer || command == kWriteMemoryAnswer || command == kWriteRefusedAnswer;
}

quint8 Checksum(std::span<const quint8> bytes)
{
    quint8 sum = 0;
    for (quint8 byte : bytes)
        sum = quint8(sum + byte);
    return quint8(0xFF - sum);
}

quint8 Checksum(QByteArrayView bytes)
{
    return Checksum(std::span<const quint8>(reinterpret_cast<const quint8 *>(bytes.data()), size_t(bytes.size())));
}

QByteArray Long(quint8 command, QByteArrayView body)
{
    const qsizetype length = body.size() + 1; // the checksum counts
    if (length > 0xFFFF)
        return {};
    QByteArray frame;
    frame.reserve(body.size() + 5);
    frame.append(char(kLongForm));
    frame.append(char(command));
    frame.append(char((length >> 8) & 0xFF));
    frame.append(char(length & 0xFF));
    frame.append(body.data(), body.size());
    return WithChecksum(frame);
}

QByteArray LongWithAddress(quint8 command, quint32 address, QByteArrayView data)
{
    if (address >= kAddressLimit)
        return {};
    QByteArray body;
    AppendAddress(body, address);
    body.append(data.data(), data.size());
    return Long(command, body);
}

QByteArray Short(quint8 command, QByteArrayView data)
{
    if (data.size() > kMaxShortData)
        return {};
    QByteArray frame;
    frame.append(char(kShortFormBase + data.size() + 1));
    frame.append(char(command));
    frame.append(data.data(), data.size());
    return WithChecksum(frame);
}

QByteArray ResetRequest()
{
    return Long(kResetCommand, {});
}

QByteArray SessionStartRequest()
{
    return Short(kSessionStartCommand, QByteArray(1, char(kSessionStartParameter)));
}

QByteArray ReadVersionRequest()
{
    return Short(kQueryCommand, QByteArray(1, char(kVersionQuery)));
}

QByteArray ReadStatusRequest()
{
    return Short(kQueryCommand, QByteArray(1, char(kStatusQuery)));
}

QByteArray ReadMemoryRequest(int count, quint32 address)
{
    if (count < 1 || count > kMaxChunk || address >= kAddressLimit)
        return {};
    // The count goes before the address.
    QByteArray body(1, char(count));
    AppendAddress(body, address);
    return Long(kReadMemoryCommand, body);
}

QByteArray WriteMemoryRequest(quint32 address, QByteArrayView data)
{
    if (data.size() < 1 || data.size() > kMaxChunk || address >= kAddressLimit)
        return {};
    QByteArray body;
    AppendAddress(body, address);
    body.append(data.data(), data.size());
    return Long(kWriteMemoryCommand, body);
}

QByteArray ControlRequest(quint8 p1, quint8 p2, quint8 p3)
{
    const char body[] = {char(p1), char(p2), char(p3), 0};
    return Long(kControlCommand, QByteArrayView(body, sizeof body));
}

QByteArray WriteFrequencyRecordRequest(quint8 index, QByteArrayView record)
{
    if (record.size() != 6)
        return {};
    QByteArray body;
    body.append(char(kWriteFrequencyRecordParameter));
    body.append(char(index));
    body.append(record.data(), record.size());
    return Long(kFrequencyCommand, body);
}

QByteArray SetFrequencyCountRequest(quint8 count, quint8 flag)
{
    const char data[] = {char(kSetFrequencyCountParameter), char(count), char(flag)};
    return Short(kFrequencyCommand, QByteArrayView(data, sizeof data));
}

QString Hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

} // namespace RadioFrame
