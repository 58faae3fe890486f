#pragma once
// The frame protocol over the programming cable: every request the program
// sends to a radio, the parser of the radio's answers, and the block read and
// write that move memory ranges of any length in chunks of at most 32 bytes.
//
// One link per operation (the session that owns it makes a new one each
// time), used by one thread at a time; it has no locks of its own.
//
// Every request is sent the same way: purge the cable's queues, write the
// frame and read its echo back, then read the answer. The radio answers the
// reset request with the acknowledge byte 0x50 alone and every other request
// with 0x50 followed by a response frame. Bytes below 0xF0 between the
// acknowledge and the frame are stray and skipped. While the acknowledge and
// the form byte are awaited a byte may take 20 read tries (20 x 120 ms: the
// radio answers after it has done the work); from the first stray byte on,
// and for the rest of the frame, 2 tries (0.24 s a byte). The acknowledge
// byte that answers a reset is read with the normal 2 tries.
//
// Results: every operation answers the number of response data bytes (>= 0),
// or -1 when it failed; it fails at once while the cable is closed or carries
// a driver error. A failed frame may leave an error code on the link: -10 no
// acknowledge byte where one was due, -11 checksum mismatch, -12 a memory
// write refused by the radio (answer command 0x85). The code and the error
// flag stay until the next error or until a cable write is cut short;
// failures of other kinds (time-outs, malformed frames) set none.
//
// Every operation also hands back the response's command byte through
// `command` (0 when no frame was parsed; a reset has none).
//
// Frames the parser refuses, where a radio's answer would otherwise not be
// bounded:
//  - the receive area is 80 bytes and holds every byte of an answer in
//    arrival order, the acknowledge and any stray bytes included; an answer
//    that would run past it fails as soon as that is known (at the length
//    bytes of a long frame, or at the 81st byte);
//  - a frame with more data bytes than the caller's response buffer holds
//    fails as soon as its length is known;
//  - a short frame with n = 0 or 1 (no room for a checksum after the
//    command) fails at its form byte;
//  - a long frame with length 1 carries the checksum only (0 data bytes);
//    one whose command carries an address but whose length 1..3 leaves no
//    room for the address and the checksum fails.
// Length 0 is taken as the radio sends it: the checksum follows the length
// bytes at once, 0 data bytes.
//
// A read-memory answer with fewer data bytes than asked for (at least one)
// is accepted; ReadBlock then fills the rest of that chunk with zero bytes
// and goes on after the whole chunk. One with more (up to 32) gives only the
// bytes asked for.
//
// Attempts: every request is sent up to twice when an attempt fails, except
// that a memory read ends at a send that failed (the radio may have taken
// it) and a memory write is sent once.

#include "radio/UsbCable.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <span>

class QIODevice;

// One frame sent or one answer received, for a trace of the conversation.
struct RadioTraceEntry
{
    enum class Direction { Sent, Received };
    Direction direction = Direction::Sent;
    QDateTime time;       // wall-clock time, local
    double elapsedMs = 0; // since the trace was set
    // Sent: the request frame. Received: every byte the parser read for one
    // answer, acknowledge and stray bytes included.
    QByteArray bytes;
    // Empty when all went well; else what went wrong ("no acknowledge",
    // "checksum mismatch", "time-out", ...).
    QString failure;
};
using RadioTrace = std::function<void(const RadioTraceEntry &)>;

class CRadioLink
{
public:
    static constexpr int kAttempts = CUsbCable::kAttempts;
    static constexpr int kResponseAttempts = CUsbCable::kResponseAttempts;
    static constexpr int kReceiveAreaSize = 80;
    static constexpr int kMaxChunk = 32;

    enum ErrorCode {
        kNoError = 0,
        kNoAcknowledge = -10,
        kChecksumMismatch = -11,
        kWriteRefused = -12,
    };

    CRadioLink();
    CRadioLink(const CRadioLink &) = delete;
    CRadioLink &operator=(const CRadioLink &) = delete;

    // The cable, owned. Open and Close pass through to it.
    CUsbCable &Cable() { return m_cable; }
    bool Open(int deviceIndex) { return m_cable.Open(deviceIndex); }
    bool Close() { return m_cable.Close(); }

    // The acknowledge-only request: 1 on success.
    int Reset(quint8 *command = nullptr);
    // The short requests; the response's data bytes land in `response`.
    int StartSession(std::span<quint8> response, quint8 *command = nullptr);
    // Data bytes 1-3 of the answer are the firmware characters.
    int ReadVersion(std::span<quint8> response, quint8 *command = nullptr);
    // Data byte 2 of the answer, AND 0x1F, is the radio status code.
    int ReadStatus(std::span<quint8> response, quint8 *command = nullptr);

    // One chunk of `count` (1..32) bytes at `address`; on return `address`
    // holds the address the response carried (0 when none was read).
    int ReadMemory(int count, quint32 &address, std::span<quint8> response, quint8 *command = nullptr);
    // One chunk of 1..32 bytes at `address`, in one attempt; `address` as above.
    // An answer with command 0x85 fails with -12.
    int WriteMemory(std::span<const quint8> data, quint32 &address, quint8 *command = nullptr);
    int Control(quint8 p1, quint8 p2, quint8 p3, quint8 *command = nullptr);
    int WriteFrequencyRecord(int index, std::span<const quint8, 6> record, quint8 *command = nullptr);
    int SetFrequencyCount(int count, int flag, quint8 *command = nullptr);

    // `length` bytes from `start` into destination (at least length bytes):
    // length, or -1. The next chunk's address is the address the radio
    // echoed plus the chunk's length.
    int ReadBlock(int length, quint32 start, std::span<quint8> destination, quint8 *command = nullptr);
    // All of source from `start`: the total of the responses' data bytes
    // (normally 0), or -1.
    int WriteBlock(std::span<const quint8> source, quint32 start, quint8 *command = nullptr);

    int LastError() const { return m_error; }
    bool ErrorFlag() const { return m_errorFlag; }
    void ClearError();

    // Every frame sent and every answer received goes to the trace (on the
    // thread that uses the link) until it is set to an empty function.
    void SetTrace(RadioTrace trace);
    // A trace that writes one line per entry to an open device:
    //   2024-05-01 14:03:07.123  +1234.567 ms  >  FF 11 00 05 20 01 0E 18 A3
    //   2024-05-01 14:03:07.140  +1251.002 ms  <  50 FF 80 00 24 01 0E 18 ...  (checksum mismatch)
    // The device must outlive the link's use of the trace.
    static RadioTrace TraceTo(QIODevice *device);

private:
    struct Answer
    {
        int dataBytes = -1;
        quint8 command = 0;
        quint32 address = 0;
    };

    // Sends a request in up to `attempts` attempts and parses the answers. A
    // failed send ends it unless retryFailedSend; with refusedWrite an answer
    // with command 0x85 fails with -12.
    Answer Transact(const QByteArray &frame, int attempts, bool retryFailedSend, bool refusedWrite,
                    std::span<quint8> response);
    // One attempt's answer: acknowledge, stray bytes, frame. `received` is
    // the number of bytes it read into the receive area; failures are traced
    // here, a parsed frame by the caller.
    Answer ReceiveResponse(std::span<quint8> response, int &received);
    bool ReadAcknowledgeOnly();
    bool CanTransfer() const { return m_cable.IsOpen() && m_cable.LastStatus() == FT_OK; }
    void SetError(int code);
    void TraceSent(const QByteArray &frame, const QString &failure);
    void TraceReceived(int count, const QString &failure);
    int Finish(const Answer &answer, quint8 *command) const;

    CUsbCable m_cable;
    std::array<quint8, kReceiveAreaSize> m_receive{};
    int m_error = kNoError;
    bool m_errorFlag = false;
    RadioTrace m_trace;
    QElapsedTimer m_traceClock;
};
