#pragma once
// The one reader of installation and profile text files. It recognises the
// 16-bit form (FF FE, then UTF-16LE units) and the 8-bit form, each plain or
// scrambled. A text is plain when it begins with "Option Explicit" or "<?xml"
// (any letter case); otherwise every 16-bit unit except 0x009B, or every byte,
// was XORed with 0x9B and is XORed back.

#include <QString>

// False when the file cannot be opened. A read error after a successful open
// raises error 131.
bool LoadTextFile(const QString &path, QString &text);

// The same reading over bytes already in memory, or over any open device.
QString DecodeText(const QByteArray &bytes);
class QIODevice;
void ReadText(QIODevice &device, const QString &name, QString &text);

// The scrambled 16-bit form in which profiles are written: FF FE, then every
// UTF-16LE unit except 0x009B XORed with 0x009B.
QByteArray ScrambleText(const QString &text);
