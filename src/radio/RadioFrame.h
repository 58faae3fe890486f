#pragma once
// The frames the programming software and the radio exchange, and the
// requests the software sends. Both directions use the same two forms:
//
//   long   FF, command, length high, length low, [address high, middle, low], data..., checksum
//   short  F0 + n (n = 1..14), command, data..., checksum
//
// The long form's 16-bit length counts every byte after the two length
// bytes, checksum included; the short form's n counts every byte after the
// command byte, checksum included, so a short frame carries n - 1 data bytes.
// Responses whose command is 0x80, 0x84 or 0x85 carry a three-byte address
// (counted in the length); in requests an address is part of the data.
// Multi-byte values go high byte first.
//
// The checksum is 0xFF minus the 8-bit sum of every frame byte before it,
// from the form byte on. The radio sends the acknowledge byte 0x50 before
// every response frame; it is not part of the frame (for the reset request
// it is the whole answer).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <span>

namespace RadioFrame {

inline constexpr quint8 kLongForm = 0xFF;
inline constexpr quint8 kShortFormBase = 0xF0;
inline constexpr quint8 kAcknowledge = 0x50;
// The largest n of a short frame, and so its most data bytes (n - 1).
inline constexpr int kMaxShortN = 14;
inline constexpr int kMaxShortData = kMaxShortN - 1;
// The most data bytes one read-memory or write-memory frame moves.
inline constexpr int kMaxChunk = 32;
// Addresses are 24 bits.
inline constexpr quint32 kAddressLimit = 0x1000000;

// Request commands.
inline constexpr quint8 kResetCommand = 0x10;
inline constexpr quint8 kReadMemoryCommand = 0x11;
inline constexpr quint8 kWriteMemoryCommand = 0x17;
inline constexpr quint8 kSessionStartCommand = 0x22;
inline constexpr quint8 kQueryCommand = 0x23; // read version, read status
inline constexpr quint8 kControlCommand = 0x38;
inline constexpr quint8 kFrequencyCommand = 0x9A; // write frequency record, set frequency count
// The first data byte of a query or frequency request says which one it is.
inline constexpr quint8 kSessionStartParameter = 0x16;
inline constexpr quint8 kVersionQuery = 0x03;
inline constexpr quint8 kStatusQuery = 0x09;
inline constexpr quint8 kWriteFrequencyRecordParameter = 0x04;
inline constexpr quint8 kSetFrequencyCountParameter = 0x05;

// Response commands that carry an address. The radio answers a memory read
// with 0x80; 0x85 answers a memory write it refused.
inline constexpr quint8 kReadMemoryAnswer = 0x80;
inline constexpr quint8 kWriteMemoryAnswer = 0x84;
inline constexpr quint8 kWriteRefusedAnswer = 0x85;
bool CarriesAddress(quint8 command);

// 0xFF minus the 8-bit sum of the bytes.
quint8 Checksum(std::span<const quint8> bytes);
quint8 Checksum(QByteArrayView bytes);

// A long frame around body (address and data as they go on the wire), with
// its length and checksum.
QByteArray Long(quint8 command, QByteArrayView body);
// A long frame with an address before the data.
QByteArray LongWithAddress(quint8 command, quint32 address, QByteArrayView data);
// A short frame; data holds 0..kMaxShortData bytes (more is the caller's fault
// and gives an empty array).
QByteArray Short(quint8 command, QByteArrayView data);

// The requests, complete with their checksums. Arguments out of range (a
// count or data size outside 1..32, an address of more than 24 bits) give an
// empty array.
QByteArray ResetRequest();                   // FF 10 00 01 EF
QByteArray SessionStartRequest();            // F2 22 16 D5
QByteArray ReadVersionRequest();             // F2 23 03 E7
QByteArray ReadStatusRequest();              // F2 23 09 E1
QByteArray ReadMemoryRequest(int count, quint32 address);                // FF 11 00 05 N A2 A1 A0 CS
QByteArray WriteMemoryRequest(quint32 address, QByteArrayView data);    // FF 17 00 N+4 A2 A1 A0 D... CS
QByteArray ControlRequest(quint8 p1, quint8 p2, quint8 p3);              // FF 38 00 05 P1 P2 P3 00 CS
QByteArray WriteFrequencyRecordRequest(quint8 index, QByteArrayView record); // FF 9A 00 09 04 i R0..R5 CS
QByteArray SetFrequencyCountRequest(quint8 count, quint8 flag);          // F4 9A 05 n f CS

// "FF 11 00 05": upper-case hexadecimal bytes separated by spaces.
QString Hex(QByteArrayView bytes);

} // namespace RadioFrame
