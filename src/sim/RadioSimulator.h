#pragma once
// The radio simulator: the far end of a virtual programming cable. It listens
// on the Unix-domain socket "<folder>/<description>.sock", which the cable
// layer lists as a cable of that description, serves one connection at a
// time (opening the cable connects, closing disconnects; a later connection
// is served afresh), echoes every byte it receives as the half-duplex cable
// does, and answers every request frame as the radio does (CSimRadio).
//
// Requests are numbered from 1 in the order they arrive over the
// simulator's whole life, whatever the connection; faults name the requests
// they apply to by these numbers, and the log carries them.
//
// A connection that arrives while another is served is closed at once (the
// cable is held), unless the one being served has already gone.
//
// With pacing every byte the simulator sends, echo and answer alike, takes
// its time on the wire at 16406 bit/s and 10 bits a byte (about 0.61 ms);
// the radio itself answers at once.
//
// Everything here may be called from any thread; the socket is served by a
// thread of the simulator's own.

#include "sim/SimRadio.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// The requests a fault applies to: none, all, or some by number.
class CSimTrigger
{
public:
    CSimTrigger() = default; // none
    static CSimTrigger All() { return Range(1, INT_MAX); }
    static CSimTrigger Only(int number) { return Range(number, number); }
    static CSimTrigger Range(int first, int last);
    static CSimTrigger From(int first) { return Range(first, INT_MAX); }
    // "all", "none", or a comma-separated list of numbers and ranges:
    // "3", "2,5", "4-6", "7-" (7 and every later one). Numbers start at 1.
    static std::optional<CSimTrigger> Parse(const QString &text);

    CSimTrigger &Add(int first, int last);
    bool Matches(int number) const;
    bool IsNone() const { return m_ranges.isEmpty(); }

private:
    struct Span
    {
        int first;
        int last;
    };
    QList<Span> m_ranges;
};

struct SimFaults
{
    // The answer goes without its acknowledge byte (a reset gets nothing).
    CSimTrigger noAcknowledge;
    // The acknowledge byte is 0x06 instead of 0x50.
    CSimTrigger wrongAcknowledge;
    // The response frame's checksum is one too high.
    CSimTrigger badChecksum;
    // These bytes go between the acknowledge byte and the response frame.
    QByteArray strayBytes;
    CSimTrigger strayOn = CSimTrigger::All();
    // Memory writes answered with 0x85; nothing is stored.
    CSimTrigger refuseWrites;
    // The bytes of these requests are not echoed.
    CSimTrigger noEcho;
    // After this many requests nothing comes back any more, no echo and no
    // answer, as from a pulled cable; -1: never.
    int silentAfter = -1;
    // The connection is closed once the answer to this request has gone; -1: never.
    int hangUpAfter = -1;
    // The whole answer to a request (acknowledge byte included) replaced by
    // these bytes; the radio still does what the request asks.
    std::map<int, QByteArray> answers;
};

struct SimLogEntry
{
    int number = 0;
    double elapsedMs = 0; // since the simulator started
    SimRequestKind kind = SimRequestKind::Unknown;
    quint8 command = 0;
    quint32 address = 0;
    int count = 0;
    QByteArray request;
    QByteArray answer; // as sent, after the faults
    QString summary;
    QStringList faults; // the faults applied to this request

    // "[   12.345] #3 read memory 32 at 0x010E18  > FF 11 ...  < 50 FF 80 ...  {bad checksum}"
    QString ToText() const;
};

class CRadioSimulator
{
public:
    static constexpr char kDefaultDescription[] = "QX CPS Cable";
    static constexpr int kBitsPerSecond = 16406;
    static constexpr int kBitsPerByte = 10;
    // The largest request frame taken; a longer one is dropped unanswered.
    static constexpr int kMaxRequestSize = 80;

    CRadioSimulator();
    ~CRadioSimulator();
    CRadioSimulator(const CRadioSimulator &) = delete;
    CRadioSimulator &operator=(const CRadioSimulator &) = delete;

    // Creates the socket (replacing a stale one nobody listens on) and starts
    // serving it. False, with *error, when the folder is missing, the path is
    // too long, the name is in use or the socket cannot be made.
    bool Start(const QString &folder, const QString &description = QString::fromLatin1(kDefaultDescription),
               QString *error = nullptr);
    // Stops serving, closes the connection and removes the socket.
    void Stop();
    bool IsRunning() const;
    QString SocketPath() const;

    void SetPacing(bool on);
    void SetFaults(const SimFaults &faults);
    SimFaults Faults() const;

    // The radio, under the simulator's lock.
    template<typename Function>
    auto WithRadio(Function &&function)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        return function(Radio());
    }
    CSimMemory Memory() const;
    QByteArray ReadMemory(quint32 address, int length) const;
    void WriteMemory(quint32 address, const QByteArray &bytes);

    // Called with each log entry's text on the simulator's thread.
    void SetLogWriter(std::function<void(const QString &line)> writer);
    QList<SimLogEntry> Log() const;
    void ClearLog();
    // Requests received so far, and connections served so far.
    int RequestCount() const;
    int Connections() const;
    bool WaitForRequests(int count, int timeoutMs) const;
    bool WaitForConnections(int count, int timeoutMs) const;

private:
    struct Shared;
    std::mutex &Mutex();
    CSimRadio &Radio();

    std::shared_ptr<Shared> m_shared;
};
