#include "settings/TextFile.h"
#include "settings/TarnCPSException.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

namespace {

constexpr char16_t kScrambleUnit = 0x009B;
constexpr unsigned char kScrambleByte = 0x9B;
// The file is read in blocks: 1023 units after the byte-order mark, 1023 bytes
// in the 8-bit form. A zero unit or byte ends the text of its block.
constexpr qint64 kWideBlockBytes = 2046;
constexpr qint64 kNarrowBlockBytes = 1023;

bool LooksPlain(const QString &text)
{
    return text.startsWith(QLatin1String("Option Explicit"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("<?xml"), Qt::CaseInsensitive);
}

QByteArray ReadBlock(QIODevice &file, qint64 size, const QString &path)
{
    QByteArray block = file.read(size);
    auto *fileDevice = qobject_cast<QFileDevice *>(&file);
    if (fileDevice && fileDevice->error() != QFileDevice::NoError)
        TARN_RAISE(131, QStringLiteral("reading %1 failed: %2").arg(path, file.errorString()), "LoadTextFile");
    return block;
}

// The units of one block up to its first zero unit; an odd last byte is the low
// half of a unit whose high half is zero.
QString WideBlockText(const QByteArray &block, bool scrambled)
{
    QString text;
    text.reserve(block.size() / 2 + 1);
    for (qsizetype i = 0; i < block.size(); i += 2) {
        char16_t unit = static_cast<unsigned char>(block[i]);
        if (i + 1 < block.size())
            unit |= static_cast<char16_t>(static_cast<unsigned char>(block[i + 1]) << 8);
        if (scrambled && unit != kScrambleUnit)
            unit ^= kScrambleUnit;
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}

QByteArray NarrowBlockBytes(QByteArray block, bool scrambled)
{
    if (scrambled)
        for (char &byte : block)
            byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScrambleByte);
    const qsizetype zero = block.indexOf('\0');
    if (zero >= 0)
        block.truncate(zero);
    return block;
}

} // namespace

bool LoadTextFile(const QString &path, QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ReadText(file, path, text);
    return true;
}

QString DecodeText(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QString text;
    ReadText(buffer, QStringLiteral("(memory)"), text);
    return text;
}

void ReadText(QIODevice &file, const QString &path, QString &text)
{
    text.clear();

    const QByteArray mark = ReadBlock(file, 2, path);
    if (mark.size() == 2 && static_cast<unsigned char>(mark[0]) == 0xFF && static_cast<unsigned char>(mark[1]) == 0xFE) {
        QByteArray block = ReadBlock(file, kWideBlockBytes, path);
        const bool scrambled = !LooksPlain(WideBlockText(block, false));
        while (!block.isEmpty()) {
            text += WideBlockText(block, scrambled);
            block = ReadBlock(file, kWideBlockBytes, path);
        }
    } else {
        // The 8-bit form is in the system's character set, UTF-8 here; the
        // decoder keeps its state so a character split between blocks survives.
        // A UTF-8 byte-order mark is a character like any other: a file that
        // begins with one does not begin with "<?xml" and is taken as scrambled.
        file.seek(0);
        constexpr auto kKeepMark = QStringDecoder::Flag::ConvertInitialBom;
        QStringDecoder decoder(QStringDecoder::System, kKeepMark);
        QByteArray block = ReadBlock(file, kNarrowBlockBytes, path);
        const bool scrambled =
            !LooksPlain(QStringDecoder(QStringDecoder::System, kKeepMark)(NarrowBlockBytes(block, false)));
        while (!block.isEmpty()) {
            text += decoder(NarrowBlockBytes(block, scrambled));
            block = ReadBlock(file, kNarrowBlockBytes, path);
        }
    }
}

QByteArray ScrambleText(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append('\xFF').append('\xFE');
    for (QChar ch : text) {
        char16_t unit = ch.unicode();
        if (unit != kScrambleUnit)
            unit ^= kScrambleUnit;
        bytes.append(static_cast<char>(unit & 0xFF)).append(static_cast<char>(unit >> 8));
    }
    return bytes;
}
