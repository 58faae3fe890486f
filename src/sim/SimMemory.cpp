#include "sim/SimMemory.h"

#include <QFile>
#include <QSaveFile>

quint8 CSimMemory::At(quint32 address) const
{
    const auto it = m_bytes.find(address);
    return it == m_bytes.end() ? kErased : it->second;
}

bool CSimMemory::IsWritten(quint32 address) const
{
    return m_bytes.count(address) != 0;
}

QByteArray CSimMemory::Read(quint32 address, int length) const
{
    QByteArray bytes(qMax(length, 0), char(kErased));
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(At(address + quint32(i)));
    return bytes;
}

void CSimMemory::Write(quint32 address, QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint64 at = quint64(address) + quint64(i);
        if (at >= kAddressLimit)
            break;
        m_bytes[quint32(at)] = quint8(bytes[i]);
    }
}

void CSimMemory::Fill(quint32 address, int length, quint8 value)
{
    Write(address, QByteArray(qMax(length, 0), char(value)));
}

void CSimMemory::Clear()
{
    m_bytes.clear();
}

QList<CSimMemory::Region> CSimMemory::Regions() const
{
    QList<Region> regions;
    for (const auto &[address, value] : m_bytes) {
        if (regions.isEmpty() || regions.last().address + quint32(regions.last().bytes.size()) != address)
            regions.append(Region{address, {}});
        regions.last().bytes.append(char(value));
    }
    return regions;
}

QByteArray CSimMemory::SaveText() const
{
    QByteArray text("# tarncps-radiosim memory: address, then the bytes from it\n");
    for (const Region &region : Regions()) {
        for (qsizetype offset = 0; offset < region.bytes.size(); offset += 16) {
            text += QByteArray::number(region.address + quint32(offset), 16).toUpper().rightJustified(6, '0');
            text += ": ";
            text += region.bytes.mid(offset, 16).toHex(' ').toUpper();
            text += '\n';
        }
    }
    return text;
}

bool CSimMemory::LoadText(QByteArrayView text, QString *error)
{
    CSimMemory loaded;
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    for (int number = 0; number < lines.size(); ++number) {
        const QByteArray line = lines[number].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const auto fail = [&](const char *what) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(number + 1).arg(QLatin1String(what));
            return false;
        };
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return fail("an address and a colon were expected");
        bool ok = false;
        const uint address = line.left(colon).trimmed().toUInt(&ok, 16);
        if (!ok || address >= kAddressLimit)
            return fail("not an address of 24 bits");
        QByteArray bytes;
        for (const QByteArray &item : line.mid(colon + 1).simplified().split(' ')) {
            if (item.isEmpty())
                continue;
            const uint value = item.toUInt(&ok, 16);
            if (!ok || item.size() > 2 || value > 0xFF)
                return fail("not a byte in hexadecimal");
            bytes.append(char(value));
        }
        if (quint64(address) + quint64(bytes.size()) > kAddressLimit)
            return fail("the bytes run past the last address");
        loaded.Write(address, bytes);
    }
    *this = std::move(loaded);
    return true;
}

bool CSimMemory::SaveFile(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SaveText()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool CSimMemory::LoadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString detail;
    if (!LoadText(file.readAll(), &detail)) {
        if (error)
            *error = path + QStringLiteral(", ") + detail;
        return false;
    }
    return true;
}
