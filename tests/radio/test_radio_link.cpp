// The frame protocol against the radio simulator: the frame each request puts
// on the wire, the parser with well-formed, odd and broken answers, the
// attempts and their patience, the error codes, block reads and writes in
// chunks of 32 bytes, and the frame trace.

#include "radio/RadioFrame.h"
#include "radio/RadioLink.h"
#include "support/SimulatedRadio.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <array>
#include <functional>

namespace {

using RadioLinkTest = SimulatedRadioTest;

QByteArray ToByteArray(std::span<const quint8> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// Records the answers the link received, one entry per answer read.
struct ReceivedTrace
{
    QList<RadioTraceEntry> entries;
    RadioTrace Sink()
    {
        return [this](const RadioTraceEntry &entry) {
            if (entry.direction == RadioTraceEntry::Direction::Received)
                entries.append(entry);
        };
    }
};

// ---------------------------------------------------------------------------
// Requests

TEST_F(RadioLinkTest, EveryRequestGoesOutAsItsFrameAndHandsBackTheAnswersCommand)
{
    CRadioLink link;
    Open(link);
    std::array<quint8, 128> response{};
    quint32 address = 0;
    struct Case
    {
        const char *name;
        std::function<int(quint8 *)> send;
        const char *frame; // as it must go on the wire, checksum included
        int result;
        quint8 command;
    };
    const Case cases[] = {
        {"reset", [&](quint8 *c) { return link.Reset(c); }, "FF 10 00 01 EF", 1, 0x00},
        {"session start", [&](quint8 *c) { return link.StartSession(response, c); }, "F2 22 16 D5", 2, 0x22},
        {"read version", [&](quint8 *c) { return link.ReadVersion(response, c); }, "F2 23 03 E7", 4, 0x23},
        {"read status", [&](quint8 *c) { return link.ReadStatus(response, c); }, "F2 23 09 E1", 3, 0x23},
        {"read memory",
         [&](quint8 *c) {
             address = 0x10E18;
             return link.ReadMemory(32, address, response, c);
         },
         "FF 11 00 05 20 01 0E 18 A3", 32, 0x80},
        {"write memory",
         [&](quint8 *c) {
             address = 0x10C8E;
             const quint8 data[] = {0xAA, 0xBB};
             return link.WriteMemory(data, address, c);
         },
         "FF 17 00 06 01 0C 8E AA BB E3", 0, 0x84},
        {"control", [&](quint8 *c) { return link.Control(0x1F, 0x03, 0x00, c); }, "FF 38 00 05 1F 03 00 00 A1", 1,
         0x38},
        {"write frequency record",
         [&](quint8 *c) {
             const std::array<quint8, 6> record = {1, 2, 3, 4, 5, 6};
             return link.WriteFrequencyRecord(3, record, c);
         },
         "FF 9A 00 09 04 03 01 02 03 04 05 06 41", 1, 0x9A},
        {"set frequency count", [&](quint8 *c) { return link.SetFrequencyCount(16, 1, c); }, "F4 9A 05 10 01 5B", 1,
         0x9A},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim.ClearLog();
        quint8 command = 0xEE;
        EXPECT_EQ(c.send(&command), c.result);
        EXPECT_EQ(command, c.command);
        const QList<SimLogEntry> log = sim.Log();
        ASSERT_EQ(log.size(), 1);
        EXPECT_EQ(RadioFrame::Hex(log[0].request), QString::fromLatin1(c.frame));
    }
    // The read carried the radio's address back; the write reached the radio.
    EXPECT_EQ(address, 0x10C8Eu);
    EXPECT_EQ(sim.ReadMemory(0x10C8E, 2), SimulatedRadioTest::Hex("AA BB"));
}

TEST_F(RadioLinkTest, RequestsWithArgumentsOutOfRangeSendNothing)
{
    CRadioLink link;
    Open(link);
    std::array<quint8, 64> buffer{};
    const std::array<quint8, 6> record{};
    quint32 address = 0x10000;
    quint32 tooHigh = 0x1000000;
    EXPECT_EQ(link.ReadMemory(0, address, buffer), -1);
    EXPECT_EQ(link.ReadMemory(33, address, buffer), -1);
    EXPECT_EQ(link.ReadMemory(1, tooHigh, buffer), -1);
    EXPECT_EQ(link.WriteMemory(std::span<const quint8>(buffer.data(), 33), address), -1);
    EXPECT_EQ(link.WriteMemory(std::span<const quint8>(), address), -1);
    EXPECT_EQ(link.WriteFrequencyRecord(256, record), -1);
    EXPECT_EQ(link.SetFrequencyCount(256, 0), -1);
    EXPECT_EQ(link.ReadBlock(10, 0x10000, std::span<quint8>(buffer.data(), 9)), -1);
    EXPECT_EQ(sim.RequestCount(), 0);
}

TEST_F(RadioLinkTest, AClosedCableFailsEveryRequestWithoutSendingIt)
{
    CRadioLink link; // never opened
    std::array<quint8, 128> buffer{};
    quint32 address = 0x10000;
    EXPECT_EQ(link.Reset(), -1);
    EXPECT_EQ(link.ReadStatus(buffer), -1);
    EXPECT_EQ(link.ReadMemory(4, address, buffer), -1);
    EXPECT_EQ(link.ReadBlock(64, 0x10000, buffer), -1);
    EXPECT_EQ(link.WriteBlock(std::span<const quint8>(buffer.data(), 4), 0x10000), -1);
    EXPECT_EQ(link.Control(0x1F, 0, 0), -1);

    CRadioLink closed;
    Open(closed);
    ASSERT_TRUE(closed.Close());
    EXPECT_EQ(closed.ReadStatus(buffer), -1);
    EXPECT_EQ(sim.RequestCount(), 0);
}

// ---------------------------------------------------------------------------
// The parser

TEST_F(RadioLinkTest, ParserTakesWellFormedAnswersAndRefusesUnboundedOnes)
{
    CRadioLink link;
    Open(link);
    ReceivedTrace trace;
    link.SetTrace(trace.Sink());

    const QByteArray fill74(74, char(0x11));
    struct Case
    {
        const char *name;
        QByteArray answer;  // the radio's whole answer to every attempt
        int bufferSize;     // the caller's response buffer
        int result;
        int error;          // the link's error code afterwards
        QByteArray data;    // the data bytes expected (result > 0)
        QByteArray read;    // what the parser read of the first answer; empty: not checked
        quint32 address = 0;
    };
    const Case cases[] = {
        {"short frame F3 with two data bytes", Answer("F3 22 16 01"), 4, 2, 0, Hex("16 01"), {}},
        {"long frame of length 0", Answer("FF 38 00 00"), 4, 0, 0, {}, {}},
        {"long frame of length 1: the checksum only", Answer("FF 38 00 01"), 4, 0, 0, {}, {}},
        {"read-memory answer with its address", Answer("FF 80 00 08 01 23 45 D1 D2 D3 D4"), 4, 4, 0,
         Hex("D1 D2 D3 D4"), {}, 0x012345},
        {"stray bytes before the frame", Hex("50 01 7F 20 EF") + Frame("F4 23 09 00 05"), 4, 3, 0, Hex("09 00 05"),
         {}},
        {"checksum over the acknowledge as well", Frame("50 F4 23 09 00 05"), 4, -1, CRadioLink::kChecksumMismatch,
         {}, {}},
        {"no acknowledge byte", Frame("F4 23 09 00 05"), 4, -1, CRadioLink::kNoAcknowledge, {}, Hex("F4")},
        {"short frame with n = 0", Hex("50 F0 23 00 00 EC"), 4, -1, 0, {}, Hex("50 F0")},
        {"short frame with n = 1", Hex("50 F1 23 EB 00 00"), 4, -1, 0, {}, Hex("50 F1")},
        {"address answer too short for its address", Hex("50 FF 80 00 03 01 0E 18 00"), 4, -1, 0, {},
         Hex("50 FF 80 00 03")},
        {"exactly the caller's buffer", Answer("F5 23 01 02 03 04"), 4, 4, 0, Hex("01 02 03 04"), {}},
        {"one byte past the caller's buffer", Answer("F6 23 01 02 03 04 05"), 4, -1, 0, {}, Hex("50 F6 23")},
        {"frame filling the 80-byte receive area", Answer("FF 38 00 4B" + fill74.toHex()), 80, 74, 0, fill74, {}},
        {"frame one byte past the receive area", Hex("50") + Hex("FF 38 00 4C") + QByteArray(76, char(0x11)), 80,
         -1, 0, {}, Hex("50 FF 38 00 4C")},
        {"stray bytes running past the receive area", Hex("50") + QByteArray(90, char(0x01)), 80, -1, 0, {},
         Hex("50") + QByteArray(79, char(0x01))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        link.ClearError();
        trace.entries.clear();
        SimFaults faults;
        const int first = sim.RequestCount() + 1;
        faults.answers[first] = c.answer;
        faults.answers[first + 1] = c.answer;
        sim.SetFaults(faults);

        std::vector<quint8> buffer(size_t(c.bufferSize), 0);
        quint32 address = 0x10E18;
        EXPECT_EQ(link.ReadMemory(4, address, buffer), c.result);
        EXPECT_EQ(link.LastError(), c.error);
        EXPECT_EQ(link.ErrorFlag(), c.error != 0);
        if (c.result > 0) {
            EXPECT_EQ(ToByteArray(std::span<const quint8>(buffer.data(), size_t(c.result))), c.data);
        }
        if (c.address) {
            EXPECT_EQ(address, c.address);
        }
        // A failed answer is asked for once more; a parsed one is not.
        EXPECT_EQ(sim.RequestCount() - first + 1, c.result >= 0 ? 1 : 2);
        if (!c.read.isEmpty()) {
            ASSERT_FALSE(trace.entries.isEmpty());
            EXPECT_EQ(RadioFrame::Hex(trace.entries.first().bytes), RadioFrame::Hex(c.read));
        }
    }
}

TEST_F(RadioLinkTest, StrayBytesFromTheRadioAreSkippedInEveryAnswer)
{
    SimFaults faults;
    faults.strayBytes = Hex("00 41 EF");
    sim.SetFaults(faults);
    CRadioLink link;
    Open(link);
    std::array<quint8, 128> response{};
    EXPECT_EQ(link.ReadVersion(response), 4);
    EXPECT_EQ(ToByteArray(std::span<const quint8>(response.data() + 1, 3)), QByteArray("R17"));
    std::array<quint8, 20> block{};
    EXPECT_EQ(link.ReadBlock(20, 0x10A8C, block), 20);
    EXPECT_EQ(ToByteArray(block), sim.ReadMemory(0x10A8C, 20));
    EXPECT_EQ(sim.RequestCount(), 2);
}

// The parser waits up to 20 x 120 ms for the acknowledge and the form byte,
// but only 2 x 120 ms for any byte after the form byte or a stray byte.
TEST_F(RadioLinkTest, PatientOnlyForTheAcknowledgeAndTheFormByte)
{
    CRadioLink link;
    Open(link);
    struct Case
    {
        const char *name;
        QByteArray answer; // then nothing more
        bool patient;
    };
    const Case cases[] = {
        {"nothing at all", {}, true},
        {"the acknowledge only", Hex("50"), true},
        {"acknowledge and form byte", Hex("50 F4"), false},
        {"acknowledge and a stray byte", Hex("50 01"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimFaults faults;
        const int first = sim.RequestCount() + 1;
        faults.answers[first] = c.answer;
        faults.answers[first + 1] = c.answer;
        sim.SetFaults(faults);
        std::array<quint8, 128> response{};
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(link.ReadStatus(response), -1);
        const qint64 elapsed = timer.elapsed();
        EXPECT_EQ(sim.RequestCount() - first + 1, 2);
        if (c.patient) {
            // Two attempts of 20 x 120 ms each.
            EXPECT_GE(elapsed, 4500);
            EXPECT_LT(elapsed, 15000);
        } else {
            // Two attempts of 2 x 120 ms each.
            EXPECT_GE(elapsed, 400);
            EXPECT_LT(elapsed, 2500);
        }
    }
    // The normal tries are back for the bytes outside an answer.
    EXPECT_EQ(link.Cable().ReadAttempts(), CRadioLink::kAttempts);
}

// A radio that went silent (the cable pulled): no echo, no answer. Commands
// with two attempts send twice, each send with its one resend after a
// missing echo; a memory read ends at its first failed send, a memory write
// makes one attempt.
TEST_F(RadioLinkTest, SilenceFailsEveryRequestWithinItsTimeOuts)
{
    SimFaults faults;
    faults.silentAfter = 0;
    sim.SetFaults(faults);
    CRadioLink link;
    Open(link);
    std::array<quint8, 128> buffer{};
    quint32 address = 0x10000;
    struct Case
    {
        const char *name;
        std::function<int()> send;
        int frames; // frames that reached the radio
    };
    const Case cases[] = {
        {"reset", [&] { return link.Reset(); }, 4},
        {"read status", [&] { return link.ReadStatus(buffer); }, 4},
        {"control", [&] { return link.Control(0x1F, 0x00, 0x00); }, 4},
        {"read memory", [&] { return link.ReadMemory(32, address, buffer); }, 2},
        {"write memory", [&] { return link.WriteMemory(std::span<const quint8>(buffer.data(), 8), address); }, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int before = sim.RequestCount();
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(c.send(), -1);
        EXPECT_LT(timer.elapsed(), 5000);
        ASSERT_TRUE(sim.WaitForRequests(before + c.frames, 2000));
        EXPECT_EQ(sim.RequestCount() - before, c.frames);
        EXPECT_EQ(link.LastError(), 0);
    }
    std::array<quint8, 410> block{};
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(link.ReadBlock(410, 0x10000, block), -1);
    EXPECT_LT(timer.elapsed(), 5000);
}

// ---------------------------------------------------------------------------
// Error codes and retries

TEST_F(RadioLinkTest, ResetAnsweredWithAnotherByteIsRetriedOnceThenFailsWithNoAcknowledge)
{
    SimFaults faults;
    faults.wrongAcknowledge = CSimTrigger::All();
    sim.SetFaults(faults);
    CRadioLink link;
    Open(link);
    EXPECT_EQ(link.Reset(), -1);
    EXPECT_EQ(link.LastError(), CRadioLink::kNoAcknowledge);
    EXPECT_TRUE(link.ErrorFlag());
    EXPECT_EQ(Served(SimRequestKind::Reset).size(), 2);

    // No byte at all fails without a code.
    faults = SimFaults();
    faults.noAcknowledge = CSimTrigger::All();
    sim.SetFaults(faults);
    link.ClearError();
    EXPECT_EQ(link.Reset(), -1);
    EXPECT_EQ(link.LastError(), 0);
    EXPECT_FALSE(link.ErrorFlag());
    EXPECT_EQ(Served(SimRequestKind::Reset).size(), 4);
}

TEST_F(RadioLinkTest, ABadChecksumIsRetriedExceptOnAMemoryWrite)
{
    CRadioLink link;
    Open(link);
    SimFaults faults;
    faults.badChecksum = CSimTrigger::Only(1);
    sim.SetFaults(faults);
    std::array<quint8, 128> response{};
    EXPECT_EQ(link.ReadStatus(response), 3);
    EXPECT_EQ(sim.RequestCount(), 2);

    faults.badChecksum = CSimTrigger::Only(3);
    sim.SetFaults(faults);
    quint32 address = 0x10C8E;
    const quint8 data[] = {0x6F};
    EXPECT_EQ(link.WriteMemory(data, address), -1);
    EXPECT_EQ(link.LastError(), CRadioLink::kChecksumMismatch);
    EXPECT_EQ(sim.RequestCount(), 3);
}

TEST_F(RadioLinkTest, AWriteTheRadioRefusesFailsWithItsCodeAndEndsTheBlock)
{
    CRadioLink link;
    Open(link);
    const QByteArray before = sim.ReadMemory(0x10000, 64);
    SimFaults faults;
    faults.refuseWrites = CSimTrigger::From(2);
    sim.SetFaults(faults);

    std::vector<quint8> data(96, 0x5A);
    quint8 command = 0;
    EXPECT_EQ(link.WriteBlock(data, 0x10000, &command), -1);
    EXPECT_EQ(command, 0x85);
    EXPECT_EQ(link.LastError(), CRadioLink::kWriteRefused);
    EXPECT_TRUE(link.ErrorFlag());
    // The first chunk went in; the refused second one ended the block, unrepeated.
    EXPECT_EQ(Served(SimRequestKind::WriteMemory).size(), 2);
    EXPECT_EQ(sim.ReadMemory(0x10000, 32), QByteArray(32, char(0x5A)));
    EXPECT_EQ(sim.ReadMemory(0x10020, 32), before.mid(32));

    quint32 address = 0x10C8E;
    EXPECT_EQ(link.WriteMemory(std::span<const quint8>(data.data(), 1), address, &command), -1);
    EXPECT_EQ(command, 0x85);
    EXPECT_EQ(address, 0x10C8Eu);
}

// ---------------------------------------------------------------------------
// Blocks

TEST_F(RadioLinkTest, ReadingFourHundredTenBytesTakesTwelveChunksOf32AndOneOf26)
{
    CRadioLink link;
    Open(link);
    std::array<quint8, 410> block{};
    EXPECT_EQ(link.ReadBlock(410, 0x10000, block), 410);
    EXPECT_EQ(ToByteArray(block), sim.ReadMemory(0x10000, 410));

    const QList<SimLogEntry> reads = Served(SimRequestKind::ReadMemory);
    ASSERT_EQ(reads.size(), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(reads[i].address, 0x10000u + 32u * quint32(i)) << "chunk " << i;
        EXPECT_EQ(reads[i].count, i < 12 ? 32 : 26) << "chunk " << i;
    }
    EXPECT_EQ(link.ReadBlock(0, 0x10000, block), 0);
    EXPECT_EQ(sim.RequestCount(), 13);
}

TEST_F(RadioLinkTest, ReadBlockGoesOnFromTheAddressTheRadioEchoed)
{
    CRadioLink link;
    Open(link);
    SimFaults faults;
    faults.answers[1] = Answer("FF 80 00 24 02 00 00" + QByteArray(32, char(0x33)).toHex());
    sim.SetFaults(faults);
    std::array<quint8, 40> block{};
    EXPECT_EQ(link.ReadBlock(40, 0x10E18, block), 40);
    const QList<SimLogEntry> reads = Served(SimRequestKind::ReadMemory);
    ASSERT_EQ(reads.size(), 2);
    EXPECT_EQ(reads[1].address, 0x20020u);
    EXPECT_EQ(reads[1].count, 8);
    EXPECT_EQ(ToByteArray(std::span<const quint8>(block.data(), 32)), QByteArray(32, char(0x33)));
    EXPECT_EQ(ToByteArray(std::span<const quint8>(block.data() + 32, 8)), sim.ReadMemory(0x20020, 8));
}

// A memory answer with fewer bytes than asked for is taken; the rest of its
// chunk reads as zeros and the block goes on after the whole chunk. One with
// no data bytes fails the block.
TEST_F(RadioLinkTest, AShortMemoryAnswerLeavesZerosInTheRestOfItsChunk)
{
    CRadioLink link;
    Open(link);
    SimFaults faults;
    faults.answers[1] = Answer("FF 80 00 08 01 0E 18 D1 D2 D3 D4");
    sim.SetFaults(faults);
    std::array<quint8, 40> block;
    block.fill(0xEE);
    EXPECT_EQ(link.ReadBlock(40, 0x10E18, block), 40);
    EXPECT_EQ(ToByteArray(std::span<const quint8>(block.data(), 4)), Hex("D1 D2 D3 D4"));
    EXPECT_EQ(ToByteArray(std::span<const quint8>(block.data() + 4, 28)), QByteArray(28, 0));
    EXPECT_EQ(ToByteArray(std::span<const quint8>(block.data() + 32, 8)), sim.ReadMemory(0x10E38, 8));
    ASSERT_EQ(Served(SimRequestKind::ReadMemory).size(), 2);
    EXPECT_EQ(Served(SimRequestKind::ReadMemory)[1].address, 0x10E38u);

    faults.answers.clear();
    faults.answers[3] = Answer("FF 80 00 04 01 0E 18");
    sim.SetFaults(faults);
    EXPECT_EQ(link.ReadBlock(40, 0x10E18, block), -1);
    EXPECT_EQ(sim.RequestCount(), 3);
}

TEST_F(RadioLinkTest, WriteBlockSendsChunksOf32InFramesOf40AndAddsTheAnswersDataBytes)
{
    CRadioLink link;
    Open(link);
    std::vector<quint8> data(70);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = quint8(i + 1);
    EXPECT_EQ(link.WriteBlock(data, 0x10C9C), 0);
    EXPECT_EQ(sim.ReadMemory(0x10C9C, 70), ToByteArray(data));

    const QList<SimLogEntry> writes = Served(SimRequestKind::WriteMemory);
    ASSERT_EQ(writes.size(), 3);
    const int sizes[] = {32, 32, 6};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(writes[i].address, 0x10C9Cu + 32u * quint32(i));
        EXPECT_EQ(writes[i].count, sizes[i]);
        EXPECT_EQ(writes[i].request.size(), sizes[i] + 8);
        EXPECT_EQ(quint8(writes[i].request[3]), sizes[i] + 4);
    }

    // An answer carrying data bytes counts them.
    SimFaults faults;
    faults.answers[4] = Answer("FF 84 00 06 02 00 00 AA BB");
    sim.SetFaults(faults);
    EXPECT_EQ(link.WriteBlock(std::span<const quint8>(data.data(), 40), 0x20000), 2);
    EXPECT_EQ(link.WriteBlock(std::span<const quint8>(), 0x20000), 0);
    EXPECT_EQ(sim.RequestCount(), 5);
}

// ---------------------------------------------------------------------------
// Trace

TEST_F(RadioLinkTest, TraceWritesEveryFrameSentAndReceivedWithTimes)
{
    CRadioLink link;
    Open(link);
    QBuffer file;
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    link.SetTrace(CRadioLink::TraceTo(&file));
    SimFaults faults;
    faults.badChecksum = CSimTrigger::Only(2);
    sim.SetFaults(faults);
    std::array<quint8, 128> response{};
    EXPECT_EQ(link.ReadStatus(response), 3);
    EXPECT_EQ(link.ReadStatus(response), 3); // the second attempt

    const QStringList lines = QString::fromUtf8(file.data()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    const QString stamp = QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} +\\+\\d+\\.\\d{3} ms  ");
    const QString sent = stamp + QStringLiteral(">  F2 23 09 E1$");
    const QString received = stamp + QStringLiteral("<  50 F4 23 09 00 00 DF$");
    const QString mismatch = stamp + QStringLiteral("<  50 F4 23 09 00 00 E0  \\(checksum mismatch\\)$");
    const QString expected[] = {sent, received, sent, mismatch, sent, received};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(QRegularExpression(expected[i]).match(lines[i]).hasMatch()) << lines[i].toStdString();
}

} // namespace
