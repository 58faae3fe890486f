// The radio simulator: its memory and memory files, where it keeps what the
// sessions ask for, what it does with the frequency requests, the requests
// it does not take, one connection at a time, its faults, its log and
// pacing, and the program tarncps-radiosim.

#include "radio/RadioFrame.h"
#include "radio/RadioLink.h"
#include "sim/RadioSimulator.h"
#include "sim/SimMemory.h"
#include "sim/SimRadio.h"
#include "support/SimulatedRadio.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <array>
#include <mutex>

namespace {

QByteArray ToByteArray(std::span<const quint8> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// ---------------------------------------------------------------------------
// Memory

TEST(SimMemory, UnwrittenBytesReadErasedAndWritesStopAtTheLastAddress)
{
    CSimMemory memory;
    EXPECT_EQ(memory.Read(0x10000, 3), QByteArray(3, char(0xFF)));
    memory.Write(0x10001, "ab");
    memory.Write(0xFFFFFE, "wxyz");
    EXPECT_EQ(memory.Read(0x10000, 4), QByteArray("\xFF" "ab\xFF"));
    EXPECT_EQ(memory.WrittenCount(), 4);
    const QList<CSimMemory::Region> expected = {{0x10001, "ab"}, {0xFFFFFE, "wx"}};
    EXPECT_EQ(memory.Regions(), expected);
}

TEST(SimMemory, TextFormRoundTripsAndABrokenLineChangesNothing)
{
    CSimMemory memory;
    QByteArray run(40, 0);
    for (int i = 0; i < run.size(); ++i)
        run[i] = char(i * 7);
    memory.Write(0x10000, run);
    memory.Write(0x10E18, "ZRD");
    const QByteArray text = memory.SaveText();
    EXPECT_TRUE(text.contains("\n010000: 00 07 0E 15"));
    EXPECT_TRUE(text.contains("\n010E18: 5A 52 44\n"));

    CSimMemory loaded;
    QString error;
    ASSERT_TRUE(loaded.LoadText(text + "\n# a comment\n\n  010E1B: 04 01\n", &error)) << error.toStdString();
    memory.Write(0x10E1B, QByteArray("\x04\x01", 2));
    EXPECT_EQ(loaded, memory);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("radio.mem"));
    ASSERT_TRUE(memory.SaveFile(path));
    CSimMemory fromFile;
    ASSERT_TRUE(fromFile.LoadFile(path));
    EXPECT_EQ(fromFile, memory);

    const char *broken[] = {
        "010000 00 01",  // no colon
        "1000000: 00",   // past 24 bits
        "010000: 0G",    // not hexadecimal
        "010000: 100",   // not a byte
        "FFFFFF: 00 01", // runs past the last address
    };
    for (const char *line : broken) {
        SCOPED_TRACE(line);
        CSimMemory kept = memory;
        QString why;
        EXPECT_FALSE(kept.LoadText(QByteArray("# first\n") + line + "\n", &why));
        EXPECT_TRUE(why.startsWith(QStringLiteral("line 2:"))) << why.toStdString();
        EXPECT_EQ(kept, memory);
    }
}

TEST(SimTrigger, ParsesNumbersRangesAllAndNone)
{
    struct Case
    {
        const char *text;
        QList<int> matching;
        QList<int> notMatching;
    };
    const Case cases[] = {
        {"all", {1, 2, 1000000}, {}},   {"none", {}, {1, 5}},          {"3", {3}, {2, 4}},
        {"2,5", {2, 5}, {3, 4, 6}},     {"4-6", {4, 5, 6}, {3, 7}},    {"7-", {7, 8, 1000000}, {6}},
        {" 1 , 9- ", {1, 9, 10}, {2, 8}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto trigger = CSimTrigger::Parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(trigger.has_value());
        for (int number : c.matching)
            EXPECT_TRUE(trigger->Matches(number)) << number;
        for (int number : c.notMatching)
            EXPECT_FALSE(trigger->Matches(number)) << number;
    }
    for (const char *bad : {"", "0", "x", "5-3", "-2", "1,,2"})
        EXPECT_FALSE(CSimTrigger::Parse(QString::fromLatin1(bad)).has_value()) << bad;
}

// ---------------------------------------------------------------------------
// The radio

TEST(SimRadio, RequestsItCannotTakeAreNotAnswered)
{
    CSimRadio radio;
    struct Case
    {
        const char *name;
        QByteArray request;
        SimRequestKind kind;
    };
    const Case cases[] = {
        {"wrong checksum", SimulatedRadioTest::Hex("F2 23 09 E2"), SimRequestKind::BadChecksum},
        {"unknown command", SimulatedRadioTest::Frame("FF 42 00 01"), SimRequestKind::Unknown},
        {"unknown query", SimulatedRadioTest::Frame("F2 23 07"), SimRequestKind::Unknown},
        {"status query with more data", SimulatedRadioTest::Frame("F3 23 09 00"), SimRequestKind::Unknown},
        {"memory read of the wrong length", SimulatedRadioTest::Frame("FF 11 00 04 20 01 0E"),
         SimRequestKind::Unknown},
        {"memory write without data", SimulatedRadioTest::Frame("FF 17 00 04 01 00 00"), SimRequestKind::Unknown},
    };
    const CSimMemory before = radio.Memory();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CSimRadio::Served served = radio.Serve(c.request);
        EXPECT_EQ(served.kind, c.kind);
        EXPECT_TRUE(served.answer.isEmpty());
    }
    EXPECT_EQ(radio.Memory(), before);
}

// The built-in radio is one the sessions can read as a real one: channel
// records carry their check bytes and frequency records decode to the
// frequencies of the band.
TEST(SimRadio, BuiltInRadioHoldsValidRecords)
{
    const CSimMemory memory = CSimRadio::DefaultMemory();
    const int channels = memory.At(SimRadioMap::kLimitRecord + 4) & 0x1F;
    ASSERT_EQ(channels, 16);
    for (int i = 0; i < channels; ++i) {
        const QByteArray record = memory.Read(0x10000 + 36 + 14 * quint32(i), 14);
        int sum = 0x5A;
        for (int k = 0; k < 13; ++k)
            sum += quint8(record[k]);
        EXPECT_EQ(quint8(record[13]), quint8(sum)) << "channel " << i;
    }
    const quint32 synthBase = memory.At(0x10D80) << 8 | memory.At(0x10D81);
    const int frequencies = memory.At(0x10A92);
    ASSERT_EQ(frequencies, 16);
    for (int j = 0; j < frequencies; ++j) {
        const QByteArray r = memory.Read(0x10800 + 6 * quint32(j), 6);
        const auto byte = [&r](int k) { return quint32(quint8(r[k])); };
        const quint32 reference = byte(0) >> 3 & 0x0F;
        const quint32 divider = (byte(0) & 7) << 4 | byte(1) >> 4;
        const quint32 fraction = ((byte(2) & 7) << 8 | byte(3)) << 16 | byte(4) << 8 | byte(5);
        const quint32 hertz = (16800000 / (reference + 1) * (divider + synthBase) + 2 * fraction) >> 1;
        EXPECT_EQ(hertz, 462562500u + 25000u * quint32(j)) << "frequency " << j;
    }
}

using SimulatorTest = SimulatedRadioTest;

TEST_F(SimulatorTest, OptionsLandWhereTheSessionsReadThem)
{
    sim.WithRadio([](CSimRadio &radio) {
        EXPECT_TRUE(radio.SetModel("ZRR40420"));
        EXPECT_TRUE(radio.SetFirmware("D72"));
        EXPECT_TRUE(radio.SetPassword("1234"));
        radio.SetCodeplug('D', 5);
        radio.SetStatus(0xE8);
        EXPECT_FALSE(radio.SetModel("ZRD4161"));
        EXPECT_FALSE(radio.SetModel("ZRD4161X"));
        EXPECT_FALSE(radio.SetFirmware("R1"));
        EXPECT_FALSE(radio.SetPassword("12345"));
    });
    CRadioLink link;
    Open(link);
    std::array<quint8, 128> response{};
    ASSERT_EQ(link.ReadStatus(response), 3);
    EXPECT_EQ(response[2], 0xE8);
    ASSERT_EQ(link.ReadVersion(response), 4);
    EXPECT_EQ(ToByteArray(std::span<const quint8>(response.data() + 1, 3)), QByteArray("D72"));
    std::array<quint8, 10> identity{};
    ASSERT_EQ(link.ReadBlock(10, 0x10E22, identity), 10);
    EXPECT_EQ(ToByteArray(identity), QByteArray("ZRR\x04\x00\x04\x02\x00" "D\x05", 10));
    std::array<quint8, 4> password{};
    ASSERT_EQ(link.ReadBlock(4, 0x10009, password), 4);
    EXPECT_EQ(ToByteArray(password), QByteArray("1234"));

    sim.WithRadio([](CSimRadio &radio) { EXPECT_TRUE(radio.SetPassword("")); });
    ASSERT_EQ(link.ReadBlock(4, 0x10009, password), 4);
    EXPECT_EQ(ToByteArray(password), QByteArray(4, 0));
}

TEST_F(SimulatorTest, FrequencyRequestsAreStoredWhereAReadFindsThem)
{
    CRadioLink link;
    Open(link);
    const std::array<quint8, 6> record = {0x3A, 0x80, 0x60, 0x08, 0x95, 0x44};
    EXPECT_EQ(link.WriteFrequencyRecord(2, record), 1);
    EXPECT_EQ(sim.ReadMemory(0x1080C, 6), ToByteArray(record));

    sim.WriteMemory(0x10A93, QByteArray(1, char(0x13)));
    EXPECT_EQ(link.SetFrequencyCount(5, 1), 1);
    EXPECT_EQ(sim.ReadMemory(0x10A92, 2), SimulatedRadioTest::Hex("05 33"));
    EXPECT_EQ(link.SetFrequencyCount(7, 0), 1);
    EXPECT_EQ(sim.ReadMemory(0x10A92, 2), SimulatedRadioTest::Hex("07 13"));
}

TEST_F(SimulatorTest, ServesOneConnectionAtATimeAndANewOneAfterADisconnect)
{
    std::array<quint8, 128> response{};
    auto first = std::make_unique<CRadioLink>();
    Open(*first);
    EXPECT_EQ(first->ReadStatus(response), 3);

    CRadioLink second;
    Open(second); // the socket connects, but the cable is held
    EXPECT_EQ(second.ReadStatus(response), -1);
    EXPECT_EQ(first->ReadStatus(response), 3);
    EXPECT_TRUE(first->Close());
    first.reset();

    CRadioLink third;
    Open(third);
    EXPECT_EQ(third.ReadStatus(response), 3);
    EXPECT_EQ(sim.Connections(), 2);
    EXPECT_EQ(sim.RequestCount(), 3);
}

TEST_F(SimulatorTest, EachFaultEndsTheRequestAsARadioWithThatFaultWould)
{
    struct Case
    {
        const char *name;
        std::function<void(SimFaults &)> set;
        int result;
        int error;
    };
    const Case cases[] = {
        {"no acknowledge", [](SimFaults &f) { f.noAcknowledge = CSimTrigger::All(); }, -1, CRadioLink::kNoAcknowledge},
        {"wrong acknowledge", [](SimFaults &f) { f.wrongAcknowledge = CSimTrigger::All(); }, -1,
         CRadioLink::kNoAcknowledge},
        {"bad checksum", [](SimFaults &f) { f.badChecksum = CSimTrigger::All(); }, -1, CRadioLink::kChecksumMismatch},
        {"bad checksum on the first answer only", [](SimFaults &f) { f.badChecksum = CSimTrigger::Only(1); }, 3,
         CRadioLink::kChecksumMismatch},
        {"stray bytes", [](SimFaults &f) { f.strayBytes = SimulatedRadioTest::Hex("00 13 EF"); }, 3, 0},
        {"no echo", [](SimFaults &f) { f.noEcho = CSimTrigger::All(); }, -1, CRadioLink::kNoAcknowledge},
        {"silent", [](SimFaults &f) { f.silentAfter = 0; }, -1, 0},
        {"silent after the first request", [](SimFaults &f) { f.silentAfter = 1; }, 3, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CRadioSimulator radio;
        SimFaults faults;
        c.set(faults);
        radio.SetFaults(faults);
        sim.Stop();
        ASSERT_TRUE(radio.Start(Folder()));
        CRadioLink link;
        Open(link);
        std::array<quint8, 128> response{};
        EXPECT_EQ(link.ReadStatus(response), c.result);
        EXPECT_EQ(link.LastError(), c.error);
        if (c.result > 0) {
            EXPECT_EQ(response[0], 0x09);
        }
    }
}

TEST_F(SimulatorTest, HangingUpAfterARequestClosesTheCableOnceItsAnswerIsOut)
{
    SimFaults faults;
    faults.hangUpAfter = 1;
    sim.SetFaults(faults);
    std::array<quint8, 128> response{};
    CRadioLink link;
    Open(link);
    EXPECT_EQ(link.ReadStatus(response), 3);
    EXPECT_EQ(link.ReadStatus(response), -1);
    EXPECT_NE(link.Cable().LastStatus(), FT_OK);

    CRadioLink again;
    Open(again);
    EXPECT_EQ(again.ReadStatus(response), 3);
}

TEST_F(SimulatorTest, LogNamesEveryRequestWithWhatWasSentAndTheFaults)
{
    std::mutex mutex;
    QStringList lines;
    sim.SetLogWriter([&](const QString &line) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.append(line);
    });
    SimFaults faults;
    faults.badChecksum = CSimTrigger::Only(1);
    sim.SetFaults(faults);
    CRadioLink link;
    Open(link);
    std::array<quint8, 32> block{};
    ASSERT_EQ(link.ReadBlock(2, 0x10D80, block), 2);

    const QList<SimLogEntry> log = sim.Log();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0].number, 1);
    EXPECT_EQ(log[0].faults, QStringList{QStringLiteral("bad checksum")});
    EXPECT_EQ(log[1].number, 2);
    EXPECT_EQ(log[1].kind, SimRequestKind::ReadMemory);
    EXPECT_EQ(log[1].address, 0x10D80u);
    EXPECT_EQ(log[1].count, 2);
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(
                    "^\\[ *\\d+\\.\\d{3}\\] #1 read memory 2 at 0x010D80  > FF 11 00 05 02 01 0D 80 5A  "
                    "< 50 FF 80 00 06 01 0D 80 01 90 ..  \\{bad checksum\\}$"))
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
}

TEST_F(SimulatorTest, PacingHoldsEveryByteToTheLineRate)
{
    sim.SetPacing(true);
    CRadioLink link;
    Open(link);
    std::array<quint8, 64> block{};
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(link.ReadBlock(64, 0x10000, block), 64);
    // Two chunks: 9 request bytes echoed, the acknowledge byte, 40 frame bytes.
    const double wireMs = 2 * (9 + 1 + 40) * 10 * 1000.0 / 16406;
    EXPECT_GE(double(timer.nsecsElapsed()) / 1e6, wireMs * 0.95);
    EXPECT_EQ(ToByteArray(block), sim.ReadMemory(0x10000, 64));
}

// ---------------------------------------------------------------------------
// The program

#ifdef TARN_RADIOSIM_PATH

using SimulatorProgramTest = SimulatedRadioTest;

TEST_F(SimulatorProgramTest, ServesTheCableUntilItIsStopped)
{
    sim.Stop(); // the program serves the folder's cable
    QTemporaryDir files;
    const QString log = files.filePath(QStringLiteral("requests.log"));
    const QString saved = files.filePath(QStringLiteral("radio.mem"));
    QProcess program;
    program.start(QStringLiteral(TARN_RADIOSIM_PATH),
                  {QStringLiteral("--folder"), Folder(), QStringLiteral("--firmware"), QStringLiteral("D72"),
                   QStringLiteral("--log"), log, QStringLiteral("--save-memory"), saved});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(program.waitForReadyRead(5000));
    const QString socket = Folder() + QStringLiteral("/QX CPS Cable.sock");
    EXPECT_EQ(QString::fromLocal8Bit(program.readLine()).trimmed(), socket);

    {
        CRadioLink link;
        Open(link);
        std::array<quint8, 128> response{};
        ASSERT_EQ(link.ReadVersion(response), 4);
        EXPECT_EQ(ToByteArray(std::span<const quint8>(response.data() + 1, 3)), QByteArray("D72"));
        const std::array<quint8, 3> data = {1, 2, 3};
        EXPECT_EQ(link.WriteBlock(data, 0x10C9C), 0);
        EXPECT_TRUE(link.Close());
    }
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(socket));

    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray logText = logFile.readAll();
    EXPECT_TRUE(logText.contains("#1 read version: D72"));
    EXPECT_TRUE(logText.contains("#2 write memory 3 at 0x010C9C"));
    CSimMemory memory;
    ASSERT_TRUE(memory.LoadFile(saved));
    EXPECT_EQ(memory.Read(0x10C9C, 4), QByteArray("\x01\x02\x03\x00", 4));
}

TEST_F(SimulatorProgramTest, WrongUsageEndsWithStatusTwoAndAFailedStartWithOne)
{
    sim.Stop();
    struct Case
    {
        QStringList arguments;
        int exitCode;
        bool withFolderVariable;
    };
    const QString missing = Folder() + QStringLiteral("/missing");
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0, true},
        {{QStringLiteral("--bogus")}, 2, true},
        {{QStringLiteral("--model"), QStringLiteral("ZRD4161")}, 2, true},
        {{QStringLiteral("--no-ack"), QStringLiteral("0")}, 2, true},
        {{QStringLiteral("--stray"), QStringLiteral("0G")}, 2, true},
        {{QStringLiteral("--answer"), QStringLiteral("3")}, 2, true},
        {{QStringLiteral("--status"), QStringLiteral("256")}, 2, true},
        {{}, 2, false},
        {{QStringLiteral("--folder"), missing}, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!c.withFolderVariable)
            environment.remove(QStringLiteral("TARNCPS_VIRTUAL_CABLES"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TARN_RADIOSIM_PATH), c.arguments);
        ASSERT_TRUE(program.waitForFinished(5000));
        EXPECT_EQ(program.exitCode(), c.exitCode);
        if (c.exitCode == 0) {
            EXPECT_TRUE(program.readAllStandardOutput().startsWith("Usage: tarncps-radiosim"));
        } else {
            EXPECT_TRUE(program.readAllStandardError().startsWith("tarncps-radiosim: "));
        }
    }
}

#endif

} // namespace
