#pragma once
// A fixture with the radio simulator serving a virtual cable in a fresh
// folder (TARNCPS_VIRTUAL_CABLES points there for the life of a test), and
// helpers to open a link on it and to write frames in tests. Header-only;
// the test program links tarnsim.

#include "radio/Ftd2xx.h"
#include "radio/RadioLink.h"
#include "sim/RadioSimulator.h"
#include "support/TestEnvironment.h"

#include <QTemporaryDir>
#include <set>

#include <gtest/gtest.h>

class SimulatedRadioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_oldFolder = qgetenv("TARNCPS_VIRTUAL_CABLES");
        qputenv("TARNCPS_VIRTUAL_CABLES", m_folder.path().toUtf8());
        std::uint32_t devices = 0;
        ASSERT_EQ(FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        if (devices != 0)
            GTEST_SKIP() << "FTDI USB devices are attached; these tests use the simulator's cable only";
        QString error;
        ASSERT_TRUE(sim.Start(m_folder.path(), QString::fromLatin1(CRadioSimulator::kDefaultDescription), &error))
            << error.toStdString();
    }
    void TearDown() override
    {
        sim.Stop();
        qputenv("TARNCPS_VIRTUAL_CABLES", m_oldFolder);
    }

    QString Folder() const { return m_folder.path(); }

    // Opens the simulator's cable (the only one) on the link.
    static void Open(CRadioLink &link)
    {
        int index = -1;
        ASSERT_EQ(link.Cable().CountCables(&index), 1);
        ASSERT_TRUE(link.Open(index));
    }

    // The requests of one kind the simulator has served so far.
    QList<SimLogEntry> Served(SimRequestKind kind) const
    {
        QList<SimLogEntry> entries;
        for (const SimLogEntry &entry : sim.Log())
            if (entry.kind == kind)
                entries.append(entry);
        return entries;
    }

public:
    // Hexadecimal bytes ("F4 23 09"), as written.
    static QByteArray Hex(const QByteArray &text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }
    // Hexadecimal bytes followed by their checksum: 0xFF minus the 8-bit sum.
    static QByteArray Frame(const QByteArray &text)
    {
        QByteArray frame = Hex(text);
        quint8 sum = 0;
        for (char byte : frame)
            sum = quint8(sum + quint8(byte));
        frame.append(char(0xFF - sum));
        return frame;
    }
    // The acknowledge byte, then the frame with its checksum.
    static QByteArray Answer(const QByteArray &frame) { return Hex("50") + Frame(frame); }

protected:
    CRadioSimulator sim;

private:
    ScopedConfig m_config;
    QTemporaryDir m_folder;
    QByteArray m_oldFolder;
};

// The addresses whose bytes differ between two memories (written or not).
inline std::set<quint32> Changed(const CSimMemory &before, const CSimMemory &after)
{
    std::set<quint32> addresses;
    for (const CSimMemory *memory : {&before, &after})
        for (const CSimMemory::Region &region : memory->Regions())
            for (int k = 0; k < region.bytes.size(); ++k) {
                const quint32 address = region.address + quint32(k);
                if (before.At(address) != after.At(address) || before.IsWritten(address) != after.IsWritten(address))
                    addresses.insert(address);
            }
    return addresses;
}
