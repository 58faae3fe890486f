#pragma once
// The simulated radio's memory: 24-bit addresses, sparse. A byte that was
// never written reads as 0xFF, as erased memory does.
//
// The text form (SaveText, LoadText, and the files of SaveFile and LoadFile)
// lists the written bytes in runs, at most 16 bytes a line, an address of six
// hexadecimal digits, a colon and the bytes:
//
//   # comment lines and blank lines are skipped
//   010000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F
//   010010: 10 11
//
// A line may hold any number of bytes; they go to consecutive addresses.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <map>

class CSimMemory
{
public:
    static constexpr quint32 kAddressLimit = 0x1000000;
    static constexpr quint8 kErased = 0xFF;

    // A run of written bytes.
    struct Region
    {
        quint32 address = 0;
        QByteArray bytes;
        bool operator==(const Region &) const = default;
    };

    quint8 At(quint32 address) const;
    bool IsWritten(quint32 address) const;
    // length bytes from address; unwritten bytes and bytes past the last
    // address read as kErased.
    QByteArray Read(quint32 address, int length) const;
    // Bytes that would go past the last address are dropped.
    void Write(quint32 address, QByteArrayView bytes);
    void Fill(quint32 address, int length, quint8 value);
    void Clear();
    bool IsEmpty() const { return m_bytes.empty(); }
    int WrittenCount() const { return int(m_bytes.size()); }

    // The written bytes as runs of consecutive addresses, lowest first.
    QList<Region> Regions() const;

    QByteArray SaveText() const;
    // Replaces the contents; on an error the memory is left as it was and
    // *error names the line.
    bool LoadText(QByteArrayView text, QString *error = nullptr);
    bool SaveFile(const QString &path, QString *error = nullptr) const;
    bool LoadFile(const QString &path, QString *error = nullptr);

    bool operator==(const CSimMemory &) const = default;

private:
    std::map<quint32, quint8> m_bytes;
};
