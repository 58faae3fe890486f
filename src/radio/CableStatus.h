#pragma once
// The cable status that every running copy of the program shares: whether
// exactly one programming cable is attached and whether some copy is using
// it, refreshed once a second.
//
// A shared-memory area "TarnCPSFileMap" of 1024 bytes carries four 32-bit
// little-endian words (the rest is unused). One copy runs the cable poller,
// which counts the cables and writes the words; every copy runs a cable
// monitor, which reads them and reports to its main window. The poller role
// passes through word 0: a monitor that finds it clear starts a poller in its
// own copy, and the copy that ran the poller clears it when it shuts down.
//
// Named objects (the area, the cable mutex, the status mutex) carry fixed
// names below a scope, one per user (DefaultScope), never derived from the
// environment, so every copy of the same user meets the same objects. A copy
// that dies, however it dies, leaves nothing that blocks the others:
//  - the mutexes are flock locks, which the kernel drops with their holder;
//  - each copy keeps a shared claim on the area while it has it, on the
//    poller role while it runs a poller and on "busy" while it transfers;
//    a word that says "poller present" or "busy" with no live claim behind
//    it is stale and is treated as clear, and a copy that finds no other
//    holder of the area starts it afresh with the four words at 0, as if it
//    had just created it.
//
// The threads never touch widgets: the monitor's report reaches the main
// window as the queued signal CableReport with plain values. Every wait of
// the threads is a wait on the stop event (or a lock loop that watches it),
// so Shutdown ends them at once.

#include "radio/SystemLock.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

// The shared area. Each word is a single aligned 32-bit value written whole,
// without a lock.
class CCableStatusArea
{
public:
    static constexpr int kSize = 1024;
    static constexpr char kName[] = "TarnCPSFileMap";
    enum Word {
        PollerPresent = 0, // 1 while some copy runs the cable poller
        Connected = 1,     // 1 if the last count found a programming cable
        Busy = 2,          // 1 while some copy runs a read, write or reset
        Count = 3,         // programming cables found by the last count
    };

    explicit CCableStatusArea(const QString &scope);
    ~CCableStatusArea();
    CCableStatusArea(const CCableStatusArea &) = delete;
    CCableStatusArea &operator=(const CCableStatusArea &) = delete;

    // Creates or opens the area (once; later calls answer whether it is
    // there). False when it can be neither created nor opened.
    bool Attach();
    bool IsAttached() const { return m_words.load() != nullptr; }
    // 0 while the area is not attached.
    quint32 Read(Word word) const;
    void Write(Word word, quint32 value);

private:
    QString m_name;
    CSystemPresence m_users;
    std::mutex m_attachMutex;
    std::atomic<quint32 *> m_words{nullptr};
};

struct CableStatusWords
{
    quint32 pollerPresent = 0;
    quint32 connected = 0;
    quint32 busy = 0;
    quint32 count = 0;
};

class CCableStatus : public QObject
{
    Q_OBJECT
public:
    static constexpr char kCableMutexName[] = "6E79D9DD-1F26-44a5-B5D6-4A2BD1DDC5B5";
    static constexpr char kStatusMutexName[] = "BA08E0C2-ACCF-49b5-AED7-FA64B8BE69A8";
    // The rhythm of both threads, and how long Shutdown waits for each.
    static constexpr int kPauseMs = 1000;
    static constexpr int kStopWaitMs = 5000;

    // The scope of the named objects: "tarncps-<user id>".
    static QString DefaultScope();

    explicit CCableStatus(QObject *parent = nullptr);
    // Another scope keeps a group of copies apart from the user's own (tests).
    explicit CCableStatus(const QString &scope, QObject *parent = nullptr);
    ~CCableStatus() override;

    // Starts the cable monitor (once; the main window does it when it is created).
    void Start();
    // Stops the threads: sets the stop event, waits up to kStopWaitMs for the
    // monitor and for the poller, then, if this copy ran the poller, clears
    // word 0 so that another copy's monitor takes the role over. The word is
    // cleared only after the poller has ended, so it cannot set it again.
    void Shutdown();

    // The busy flags: this copy's local flag and word 2, set and cleared
    // together when a read, write or reset starts and ends. Any thread.
    void SetBusy(bool busy);
    bool IsBusy() const;

    // Word 3 as the monitor last read it.
    int LastCount() const;
    // The device index of the first programming cable of this copy's last
    // count (0 until this copy's poller has found one).
    int CableIndex() const;
    bool HasPollerThread() const;
    // The four words now (all 0 while the area is missing).
    CableStatusWords Words() const;

    // Held by the poller while it counts and by a worker for a whole session.
    CSystemMutex &CableMutex();
    // Set at shutdown; workers pause on it too.
    CStopEvent &StopEvent();

signals:
    // The monitor's report, once a second while this copy is not busy: the
    // cable is available (no copy busy, connected, at most one cable), and
    // the last count.
    void CableReport(bool available, int count);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// What the main window does with a report: the count message, the Read and
// Reset commands (Write follows Read) and the cable-status pane.
struct CableReportEffect
{
    bool showCountMessage = false;
    QString countMessage;
    bool deviceCommandsEnabled = false;
    bool setStatusText = false;
    QString statusText;
};

// countMessageOpen: the count message of an earlier report is still on
// screen (it is not stacked).
CableReportEffect ApplyCableReport(bool available, int lastCount, bool busy, bool countMessageOpen);
