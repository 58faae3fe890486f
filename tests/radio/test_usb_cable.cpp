// The cable driver layer over virtual cables, and CUsbCable on top of it:
// finding the cable by its description, opening with its tries, reading with
// tries, writing with echo read-back, purging and the last-status rule.

#include "radio/Ftd2xx.h"
#include "radio/UsbCable.h"
#include "support/TestEnvironment.h"
#include "support/VirtualCablePeer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Points the virtual cables at a fresh folder (and the user configuration at
// an empty one) for the life of a test.
class CableTest : public ::testing::Test
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
            GTEST_SKIP() << "FTDI USB devices are attached; these tests count virtual cables only";
    }
    void TearDown() override { qputenv("TARNCPS_VIRTUAL_CABLES", m_oldFolder); }

    QString Folder() const { return m_folder.path(); }

    static QByteArray DescriptionAt(int index)
    {
        char description[FT_DESCRIPTION_SIZE] = {};
        if (FT_ListDevices(reinterpret_cast<void *>(static_cast<std::uintptr_t>(index)), description,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK)
            return "<none>";
        return QByteArray(description);
    }

    // Opens the one virtual cable of the folder.
    static void OpenOnlyCable(CUsbCable &cable)
    {
        int index = -1;
        ASSERT_EQ(cable.CountCables(&index), 1);
        ASSERT_TRUE(cable.Open(index));
    }

private:
    ScopedConfig m_config;
    QTemporaryDir m_folder;
    QByteArray m_oldFolder;
};

// ---------------------------------------------------------------------------
// The driver layer

TEST(CableDriver, ListingWithoutDevicesOrCablesIsEmptyNotAnError)
{
    ScopedConfig config;
    const QByteArray old = qgetenv("TARNCPS_VIRTUAL_CABLES");
    qunsetenv("TARNCPS_VIRTUAL_CABLES");
    std::uint32_t devices = 99;
    const FT_STATUS status = FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY);
    qputenv("TARNCPS_VIRTUAL_CABLES", old);
    EXPECT_EQ(status, FT_OK);
    if (devices != 0)
        GTEST_SKIP() << "FTDI USB devices are attached";
    FT_HANDLE handle = reinterpret_cast<FT_HANDLE>(1);
    EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, nullptr);
}

using CableDriverTest = CableTest;

TEST_F(CableDriverTest, SocketsOfTheFolderAreDevicesNamedAfterTheirFiles)
{
    VirtualCablePeer second(Folder(), QStringLiteral("b second"));
    VirtualCablePeer first(Folder(), QStringLiteral("a first"));
    // Neither a plain file nor a socket without the ending counts.
    WriteFile(Folder() + QStringLiteral("/c plain.sock"), "not a socket");
    VirtualCablePeer unnamed(Folder(), QStringLiteral("d other"));
    ASSERT_TRUE(QFile::rename(unnamed.Path(), Folder() + QStringLiteral("/d other.socket")));

    std::uint32_t devices = 0;
    ASSERT_EQ(FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(devices, 2u);
    EXPECT_EQ(DescriptionAt(0), "a first");
    EXPECT_EQ(DescriptionAt(1), "b second");
    EXPECT_EQ(DescriptionAt(2), "<none>");
}

TEST_F(CableDriverTest, FolderComesFromTheUserConfigurationWithoutTheVariable)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("Configured Cable"));
    ScopedConfig config;
    config.WriteUser(QStringLiteral("VirtualCables"), Folder());
    qunsetenv("TARNCPS_VIRTUAL_CABLES");
    std::uint32_t devices = 0;
    ASSERT_EQ(FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(devices, 1u);
    EXPECT_EQ(DescriptionAt(0), "Configured Cable");
}

TEST_F(CableDriverTest, OpenConnectsAndCloseDisconnects)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("Cable"));
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));

    std::uint32_t count = 0;
    ASSERT_EQ(FT_Write(handle, "abc", 3, &count), FT_OK);
    EXPECT_EQ(count, 3u);
    char echo[3] = {};
    ASSERT_EQ(FT_Read(handle, echo, 3, &count), FT_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(QByteArray(echo, 3), "abc");

    EXPECT_EQ(FT_Close(handle), FT_OK);
    EXPECT_TRUE(peer.WaitForDisconnections(1, 2000));
    // A closed handle is recognised, not followed.
    EXPECT_EQ(FT_Close(handle), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Read(handle, echo, 1, &count), FT_INVALID_HANDLE);
}

TEST_F(CableDriverTest, ReadWaitsForTheTimeOutSetAndReturnsWhatCame)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("Cable"));
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    ASSERT_EQ(FT_SetTimeouts(handle, 300, 300), FT_OK);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.Send("xy");

    char buffer[4] = {};
    std::uint32_t received = 0;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(FT_Read(handle, buffer, 4, &received), FT_OK);
    EXPECT_GE(timer.elapsed(), 290);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(received, 2u);
    EXPECT_EQ(QByteArray(buffer, 2), "xy");
    FT_Close(handle);
}

TEST_F(CableDriverTest, PulledCableIsAnInputOutputError)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("Cable"));
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.CloseSendingSide();
    char byte = 0;
    std::uint32_t received = 0;
    EXPECT_EQ(FT_Read(handle, &byte, 1, &received), FT_IO_ERROR);
    FT_Close(handle);
}

// ---------------------------------------------------------------------------
// Counting cables

struct DescriptionCase
{
    const char *description;
    bool accepted;
};

class CableDescriptionTest : public CableTest, public ::testing::WithParamInterface<DescriptionCase>
{
};

TEST_P(CableDescriptionTest, OnlyTheWholeDescriptionCounts)
{
    VirtualCablePeer peer(Folder(), QString::fromUtf8(GetParam().description));
    CUsbCable cable;
    int index = -1;
    EXPECT_EQ(cable.CountCables(&index), GetParam().accepted ? 1 : 0);
    EXPECT_EQ(index, GetParam().accepted ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(Descriptions, CableDescriptionTest,
                         ::testing::Values(DescriptionCase{"QLM Series CPS Cable", true},
                                           DescriptionCase{"QX CPS Cable", true},
                                           DescriptionCase{"QLM Series CPS Cable 2", false},
                                           DescriptionCase{"QX CPS Cable ", false},
                                           DescriptionCase{"QX CPS Cabl", false},
                                           DescriptionCase{"QLM Series CPS", false},
                                           DescriptionCase{"qx cps cable", false},
                                           DescriptionCase{"FT232R USB UART", false}));

TEST_F(CableTest, TwoCablesCountAsTwoAndTheFirstGivesTheIndex)
{
    VirtualCablePeer other(Folder(), QStringLiteral("FT232R USB UART"));
    VirtualCablePeer qlm(Folder(), QStringLiteral("QLM Series CPS Cable"));
    VirtualCablePeer longer(Folder(), QStringLiteral("QLM Series CPS Cable 2"));
    VirtualCablePeer qx(Folder(), QStringLiteral("QX CPS Cable"));
    CUsbCable cable;
    int index = -1;
    EXPECT_EQ(cable.CountCables(&index), 2);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(DescriptionAt(index), "QLM Series CPS Cable");
    EXPECT_EQ(cable.LastStatus(), FT_OK);
}

// ---------------------------------------------------------------------------
// Opening and closing

TEST_F(CableTest, OpenSucceedsOnTheThirdTry)
{
    // Refused at 0 ms and at 500 ms, accepted at 1500 ms.
    VirtualCablePeer peer(Folder(), QStringLiteral("QX CPS Cable"), 1000);
    CUsbCable cable;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(cable.Open(0));
    EXPECT_GE(timer.elapsed(), 1450);
    EXPECT_TRUE(cable.IsOpen());
    EXPECT_TRUE(peer.WaitForConnections(1, 2000));
    EXPECT_EQ(cable.LastStatus(), FT_OK);
}

TEST_F(CableTest, OpenFailsAfterThreeRefusals)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QX CPS Cable"), VirtualCablePeer::kNever);
    CUsbCable cable;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(cable.Open(0));
    EXPECT_GE(timer.elapsed(), 1450);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_FALSE(cable.IsOpen());
    unsigned char byte = 0;
    EXPECT_EQ(cable.ReadExactly(&byte, 1), -1);
}

TEST_F(CableTest, CloseAnswersWhetherAHandleWasHeld)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QX CPS Cable"));
    CUsbCable cable;
    EXPECT_FALSE(cable.Close());
    OpenOnlyCable(cable);
    EXPECT_TRUE(cable.Close());
    EXPECT_FALSE(cable.IsOpen());
    EXPECT_TRUE(peer.WaitForDisconnections(1, 2000));
    EXPECT_FALSE(cable.Close());
    const unsigned char bytes[] = {1, 2};
    EXPECT_EQ(cable.WriteWithEcho(bytes, 2), -1);
}

// ---------------------------------------------------------------------------
// Reading

TEST_F(CableTest, ReadExactlyTakesBytesThatAreThere)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.Send("\x50\xF3\x01");
    unsigned char bytes[3] = {};
    ASSERT_EQ(cable.ReadExactly(bytes, 3), 3);
    EXPECT_EQ(QByteArray(reinterpret_cast<char *>(bytes), 3), "\x50\xF3\x01");
}

TEST_F(CableTest, ReadOfASilentRadioFailsAfterTwoTriesAndKeepsTheCableUsable)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    unsigned char byte = 0;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(cable.ReadExactly(&byte, 1), -1);
    EXPECT_GE(timer.elapsed(), 2 * 120 - 10);
    EXPECT_LT(timer.elapsed(), 2000);
    // A short read with the driver's OK records 0: the next transfer goes on.
    EXPECT_EQ(cable.LastStatus(), FT_OK);
    const unsigned char frame[] = {0xF2, 0x23, 0x09, 0xE1};
    EXPECT_EQ(cable.WriteWithEcho(frame, 4), 4);
}

// A byte that comes after about one second is caught with the response
// tries (20 × 120 ms) and missed with the ordinary two.
struct AttemptsCase
{
    int attempts;
    bool caught;
};

class ReadAttemptsTest : public CableTest, public ::testing::WithParamInterface<AttemptsCase>
{
};

TEST_P(ReadAttemptsTest, LateByteIsCaughtOnlyWithEnoughTries)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    cable.SetReadAttempts(GetParam().attempts);
    peer.Send("\x50", 1000);
    unsigned char byte = 0;
    QElapsedTimer timer;
    timer.start();
    const int result = cable.ReadExactly(&byte, 1);
    if (GetParam().caught) {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(byte, 0x50);
        EXPECT_GE(timer.elapsed(), 900);
    } else {
        EXPECT_EQ(result, -1);
        EXPECT_LT(timer.elapsed(), 900);
    }
}

INSTANTIATE_TEST_SUITE_P(Attempts, ReadAttemptsTest,
                         ::testing::Values(AttemptsCase{CUsbCable::kAttempts, false},
                                           AttemptsCase{CUsbCable::kResponseAttempts, true}));

TEST_F(CableTest, PurgeDropsBytesThatArrivedBefore)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.Send("stale");
    cable.Purge();
    peer.Send("N");
    unsigned char byte = 0;
    ASSERT_EQ(cable.ReadExactly(&byte, 1), 1);
    EXPECT_EQ(byte, 'N');
    EXPECT_EQ(cable.LastStatus(), FT_OK);
}

// ---------------------------------------------------------------------------
// Writing with echo read-back

struct EchoCase
{
    const char *name;
    int droppedEchoBytes;
    int result;
    int timesSent;
};

class WriteEchoTest : public CableTest, public ::testing::WithParamInterface<EchoCase>
{
};

TEST_P(WriteEchoTest, MissingEchoSendsTheWholeFrameAgain)
{
    const QByteArray frame("\xFF\x11\x00\x05\x20\x01\x0E\x18\xA3", 9);
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.DropEchoes(GetParam().droppedEchoBytes);

    EXPECT_EQ(cable.WriteWithEcho(reinterpret_cast<const unsigned char *>(frame.constData()), frame.size()),
              GetParam().result);
    ASSERT_TRUE(peer.WaitForReceived(frame.size() * GetParam().timesSent, 2000));
    EXPECT_EQ(peer.Received(), frame.repeated(GetParam().timesSent));

    // The echo has been taken off the line: the next byte read is the radio's.
    if (GetParam().result > 0) {
        peer.Send("\x50");
        unsigned char byte = 0;
        ASSERT_EQ(cable.ReadExactly(&byte, 1), 1);
        EXPECT_EQ(byte, 0x50);
    }
}

INSTANTIATE_TEST_SUITE_P(Echo, WriteEchoTest,
                         ::testing::Values(EchoCase{"Echoed", 0, 9, 1}, EchoCase{"FirstEchoLost", 9, 9, 2},
                                           EchoCase{"FirstEchoCutShort", 4, 9, 2},
                                           EchoCase{"BothEchoesLost", 18, -1, 2}),
                         [](const ::testing::TestParamInfo<EchoCase> &info) { return info.param.name; });

TEST_F(CableTest, WithoutEchoReadBackTheEchoStaysOnTheLine)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    cable.SetEchoReadBack(false);
    const unsigned char frame[] = {0xFF, 0x10, 0x00, 0x01, 0xEF};
    ASSERT_EQ(cable.WriteWithEcho(frame, 5), 5);
    unsigned char echo[5] = {};
    ASSERT_EQ(cable.ReadExactly(echo, 5), 5);
    EXPECT_EQ(0, std::memcmp(echo, frame, 5));
}

TEST_F(CableTest, ShortWritesCallTheHandlerAndFailAfterTwoTries)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    // The far end takes nothing, so the send queue fills and the write times out.
    peer.SetReading(false);
    int shortWrites = 0;
    cable.SetShortWriteHandler([&shortWrites] { ++shortWrites; });
    const std::vector<unsigned char> block(8 * 1024 * 1024, 0x55);
    EXPECT_EQ(cable.WriteWithEcho(block.data(), int(block.size())), -1);
    EXPECT_EQ(shortWrites, 2);
    EXPECT_EQ(cable.LastStatus(), FT_OK);
}

// ---------------------------------------------------------------------------
// The last-status rule

TEST_F(CableTest, DriverErrorStopsEveryLaterTransferOfTheObjectOnly)
{
    VirtualCablePeer peer(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CUsbCable cable;
    OpenOnlyCable(cable);
    ASSERT_TRUE(peer.WaitForConnections(1, 2000));
    peer.CloseSendingSide();
    unsigned char byte = 0;
    EXPECT_EQ(cable.ReadExactly(&byte, 1), -1);
    EXPECT_EQ(cable.LastStatus(), FT_IO_ERROR);

    // Still open, but nothing more goes out on this object.
    const unsigned char frame[] = {0xF2, 0x22, 0x16, 0xD5};
    EXPECT_TRUE(cable.IsOpen());
    EXPECT_EQ(cable.WriteWithEcho(frame, 4), -1);
    QThread::msleep(100);
    EXPECT_TRUE(peer.Received().isEmpty());

    // The next operation's new object starts clean.
    EXPECT_TRUE(cable.Close());
    CUsbCable next;
    OpenOnlyCable(next);
    EXPECT_EQ(next.LastStatus(), FT_OK);
    EXPECT_EQ(next.WriteWithEcho(frame, 4), 4);
}

} // namespace
