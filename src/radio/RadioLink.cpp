#include "radio/RadioLink.h"
#include "radio/RadioFrame.h"

#include <QIODevice>

#include <algorithm>

namespace {

// A scratch area for answers whose data the caller does not want: any frame
// that fits the receive area fits here.
using Scratch = std::array<quint8, CRadioLink::kReceiveAreaSize>;

const QString kReadFailed = QStringLiteral("byte missing");

// Puts the cable back to the normal read tries when the parser leaves.
class NormalAttemptsOnExit
{
public:
    explicit NormalAttemptsOnExit(CUsbCable &cable)
        : m_cable(cable)
    {
    }
    ~NormalAttemptsOnExit() { m_cable.SetReadAttempts(CRadioLink::kAttempts); }
    NormalAttemptsOnExit(const NormalAttemptsOnExit &) = delete;
    NormalAttemptsOnExit &operator=(const NormalAttemptsOnExit &) = delete;

private:
    CUsbCable &m_cable;
};

} // namespace

CRadioLink::CRadioLink()
{
    m_cable.SetEchoReadBack(true);
    // A write that the driver cut short without an error clears the code.
    m_cable.SetShortWriteHandler([this] { ClearError(); });
}

void CRadioLink::ClearError()
{
    m_error = kNoError;
    m_errorFlag = false;
}

void CRadioLink::SetError(int code)
{
    m_error = code;
    m_errorFlag = true;
}

int CRadioLink::Finish(const Answer &answer, quint8 *command) const
{
    if (command)
        *command = answer.command;
    return answer.dataBytes >= 0 ? answer.dataBytes : -1;
}

// ---------------------------------------------------------------------------
// Requests

int CRadioLink::Reset(quint8 *command)
{
    Scratch scratch;
    return Finish(Transact(RadioFrame::ResetRequest(), kAttempts, true, false, scratch), command);
}

int CRadioLink::StartSession(std::span<quint8> response, quint8 *command)
{
    return Finish(Transact(RadioFrame::SessionStartRequest(), kAttempts, true, false, response), command);
}

int CRadioLink::ReadVersion(std::span<quint8> response, quint8 *command)
{
    return Finish(Transact(RadioFrame::ReadVersionRequest(), kAttempts, true, false, response), command);
}

int CRadioLink::ReadStatus(std::span<quint8> response, quint8 *command)
{
    return Finish(Transact(RadioFrame::ReadStatusRequest(), kAttempts, true, false, response), command);
}

int CRadioLink::ReadMemory(int count, quint32 &address, std::span<quint8> response, quint8 *command)
{
    // A send that fails is not repeated: the radio may have taken the request.
    const Answer answer = Transact(RadioFrame::ReadMemoryRequest(count, address), kAttempts, false, false, response);
    address = answer.address;
    return Finish(answer, command);
}

int CRadioLink::WriteMemory(std::span<const quint8> data, quint32 &address, quint8 *command)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
    Scratch scratch;
    const Answer answer = Transact(RadioFrame::WriteMemoryRequest(address, bytes), 1, false, true, scratch);
    address = answer.address;
    return Finish(answer, command);
}

int CRadioLink::Control(quint8 p1, quint8 p2, quint8 p3, quint8 *command)
{
    Scratch scratch;
    return Finish(Transact(RadioFrame::ControlRequest(p1, p2, p3), kAttempts, true, false, scratch), command);
}

int CRadioLink::WriteFrequencyRecord(int index, std::span<const quint8, 6> record, quint8 *command)
{
    QByteArray frame;
    if (index >= 0 && index <= 0xFF)
        frame = RadioFrame::WriteFrequencyRecordRequest(
            quint8(index), QByteArrayView(reinterpret_cast<const char *>(record.data()), 6));
    Scratch scratch;
    return Finish(Transact(frame, kAttempts, true, false, scratch), command);
}

int CRadioLink::SetFrequencyCount(int count, int flag, quint8 *command)
{
    QByteArray frame;
    if (count >= 0 && count <= 0xFF && flag >= 0 && flag <= 0xFF)
        frame = RadioFrame::SetFrequencyCountRequest(quint8(count), quint8(flag));
    Scratch scratch;
    return Finish(Transact(frame, kAttempts, true, false, scratch), command);
}

// ---------------------------------------------------------------------------
// Blocks

int CRadioLink::ReadBlock(int length, quint32 start, std::span<quint8> destination, quint8 *command)
{
    if (command)
        *command = 0;
    if (length < 0 || size_t(length) > destination.size())
        return -1;
    quint32 address = start;
    std::array<quint8, kMaxChunk> chunk;
    for (int offset = 0; offset < length;) {
        const int size = std::min(length - offset, kMaxChunk);
        // An answer with fewer bytes than asked for leaves zeros in the rest.
        chunk.fill(0);
        quint32 answered = address;
        if (ReadMemory(size, answered, chunk, command) <= 0)
            return -1;
        std::copy_n(chunk.begin(), size, destination.begin() + offset);
        // The radio echoes the address it was asked for.
        address = answered + quint32(size);
        offset += size;
    }
    return length;
}

int CRadioLink::WriteBlock(std::span<const quint8> source, quint32 start, quint8 *command)
{
    if (command)
        *command = 0;
    int total = 0;
    quint32 address = start;
    for (size_t offset = 0; offset < source.size();) {
        const size_t size = std::min(source.size() - offset, size_t(kMaxChunk));
        quint32 answered = address;
        const int result = WriteMemory(source.subspan(offset, size), answered, command);
        if (result < 0)
            return -1;
        total += result;
        address += quint32(size);
        offset += size;
    }
    return total;
}

// ---------------------------------------------------------------------------
// Sending and parsing

CRadioLink::Answer CRadioLink::Transact(const QByteArray &frame, int attempts, bool retryFailedSend,
                                        bool refusedWrite, std::span<quint8> response)
{
    Answer answer;
    // An empty frame is a request with arguments out of range.
    if (frame.isEmpty())
        return answer;
    const bool reset = quint8(frame[0]) == RadioFrame::kLongForm && frame.size() > 1 &&
                       quint8(frame[1]) == RadioFrame::kResetCommand;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!CanTransfer())
            return Answer{};
        m_cable.Purge();
        if (m_cable.WriteWithEcho(reinterpret_cast<const unsigned char *>(frame.constData()), int(frame.size())) !=
            frame.size()) {
            TraceSent(frame, QStringLiteral("not sent"));
            if (!retryFailedSend)
                return Answer{};
            continue;
        }
        TraceSent(frame, {});
        if (reset) {
            answer = Answer{};
            if (ReadAcknowledgeOnly()) {
                answer.dataBytes = 1;
                return answer;
            }
            continue;
        }
        int received = 0;
        answer = ReceiveResponse(response, received);
        if (answer.dataBytes < 0)
            continue;
        if (refusedWrite && answer.command == RadioFrame::kWriteRefusedAnswer) {
            SetError(kWriteRefused);
            answer.dataBytes = -1;
            TraceReceived(received, QStringLiteral("write refused"));
            continue;
        }
        TraceReceived(received, {});
        return answer;
    }
    return answer;
}

bool CRadioLink::ReadAcknowledgeOnly()
{
    quint8 byte = 0;
    if (m_cable.ReadExactly(&byte, 1) != 1) {
        TraceReceived(0, kReadFailed);
        return false;
    }
    m_receive[0] = byte;
    if (byte != RadioFrame::kAcknowledge) {
        SetError(kNoAcknowledge);
        TraceReceived(1, QStringLiteral("no acknowledge"));
        return false;
    }
    TraceReceived(1, {});
    return true;
}

CRadioLink::Answer CRadioLink::ReceiveResponse(std::span<quint8> response, int &received)
{
    Answer answer;
    // The acknowledge and the form byte come when the radio has done the work.
    m_cable.SetReadAttempts(kResponseAttempts);
    const NormalAttemptsOnExit restore(m_cable);

    received = 0;
    QString failure;
    const auto next = [&](quint8 &byte) {
        if (received >= kReceiveAreaSize) {
            failure = QStringLiteral("past the receive area");
            return false;
        }
        if (m_cable.ReadExactly(&byte, 1) != 1) {
            failure = kReadFailed;
            return false;
        }
        m_receive[size_t(received++)] = byte;
        return true;
    };
    const auto fail = [&](const QString &why) {
        TraceReceived(received, why);
        Answer failed = answer;
        failed.dataBytes = -1;
        return failed;
    };

    quint8 byte = 0;
    if (!next(byte))
        return fail(failure);
    if (byte != RadioFrame::kAcknowledge) {
        SetError(kNoAcknowledge);
        return fail(QStringLiteral("no acknowledge"));
    }
    // Anything below 0xF0 before the form byte is stray and skipped.
    for (;;) {
        if (!next(byte))
            return fail(failure);
        if (byte >= RadioFrame::kShortFormBase)
            break;
        m_cable.SetReadAttempts(kAttempts);
    }
    m_cable.SetReadAttempts(kAttempts);
    const int frameStart = received - 1;
    const bool longForm = byte == RadioFrame::kLongForm;
    const int n = byte & 0x0F;
    if (!longForm && n < 2)
        return fail(QStringLiteral("short frame without room for a checksum"));

    if (!next(byte))
        return fail(failure);
    answer.command = byte;

    int dataBytes = 0;
    bool withAddress = false;
    if (longForm) {
        quint8 high = 0;
        quint8 low = 0;
        if (!next(high) || !next(low))
            return fail(failure);
        const int length = high << 8 | low;
        if (length == 0) {
            dataBytes = 0; // the checksum follows at once
        } else if (RadioFrame::CarriesAddress(answer.command)) {
            if (length < 4)
                return fail(QStringLiteral("no room for the address"));
            withAddress = true;
            dataBytes = length - 4;
        } else {
            dataBytes = length - 1;
        }
    } else {
        dataBytes = n - 1;
    }
    if (received + (withAddress ? 3 : 0) + dataBytes + 1 > kReceiveAreaSize)
        return fail(QStringLiteral("frame past the receive area"));
    if (size_t(dataBytes) > response.size())
        return fail(QStringLiteral("frame past the response buffer"));

    if (withAddress) {
        for (int shift = 16; shift >= 0; shift -= 8) {
            if (!next(byte))
                return fail(failure);
            answer.address |= quint32(byte) << shift;
        }
    }
    for (int i = 0; i < dataBytes; ++i) {
        if (!next(byte))
            return fail(failure);
        response[size_t(i)] = byte;
    }
    quint8 checksum = 0;
    if (!next(checksum))
        return fail(failure);
    const quint8 expected = RadioFrame::Checksum(
        std::span<const quint8>(m_receive.data() + frameStart, size_t(received - 1 - frameStart)));
    if (checksum != expected) {
        SetError(kChecksumMismatch);
        return fail(QStringLiteral("checksum mismatch"));
    }
    answer.dataBytes = dataBytes;
    return answer;
}

// ---------------------------------------------------------------------------
// Trace

void CRadioLink::SetTrace(RadioTrace trace)
{
    m_trace = std::move(trace);
    m_traceClock.start();
}

void CRadioLink::TraceSent(const QByteArray &frame, const QString &failure)
{
    if (!m_trace)
        return;
    RadioTraceEntry entry;
    entry.direction = RadioTraceEntry::Direction::Sent;
    entry.time = QDateTime::currentDateTime();
    entry.elapsedMs = double(m_traceClock.nsecsElapsed()) / 1e6;
    entry.bytes = frame;
    entry.failure = failure;
    m_trace(entry);
}

void CRadioLink::TraceReceived(int count, const QString &failure)
{
    if (!m_trace)
        return;
    RadioTraceEntry entry;
    entry.direction = RadioTraceEntry::Direction::Received;
    entry.time = QDateTime::currentDateTime();
    entry.elapsedMs = double(m_traceClock.nsecsElapsed()) / 1e6;
    entry.bytes = QByteArray(reinterpret_cast<const char *>(m_receive.data()), count);
    entry.failure = failure;
    m_trace(entry);
}

RadioTrace CRadioLink::TraceTo(QIODevice *device)
{
    return [device](const RadioTraceEntry &entry) {
        QString line = QStringLiteral("%1  %2 ms  %3  %4")
                           .arg(entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
                           .arg(QStringLiteral("+%1").arg(entry.elapsedMs, 0, 'f', 3), 12)
                           .arg(entry.direction == RadioTraceEntry::Direction::Sent ? QLatin1Char('>')
                                                                                    : QLatin1Char('<'))
                           .arg(RadioFrame::Hex(entry.bytes));
        if (!entry.failure.isEmpty())
            line += QStringLiteral("  (%1)").arg(entry.failure);
        line += QLatin1Char('\n');
        device->write(line.toUtf8());
    };
}
