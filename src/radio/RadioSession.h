#pragma once
// One conversation with the radio at a time: identify it, start a
// programming session, read it into a codeplug image, write an image into
// it, reset it. Each procedure opens the cable, talks, closes it again and
// reports through the transfer message (TransferMessage.h) to its target:
// progress, completed, failed with the failing step's return value, or a
// radio warning with the radio's status code. Nothing is reported while no
// target is set.
//
// Failure: a step that fails reports its return value (-1 for a protocol
// failure, 0 for an answer without the data that was needed) and closes the
// cable; a close that fails adds a failure -1. A radio whose status is not 0
// when Identify, ReadRadio or WriteRadio begins gets a radio warning and the
// procedure stops; nothing is read or written.
//
// Locks, always in this order: a worker takes the system-wide cable mutex
// for its whole run (CSessionWorker), then every procedure except
// StartSession holds the process-wide session lock for its own duration.
//
// The procedures also answer whether they ended with "completed"; the
// workers use that to decide whether to go on after StartSession.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "radio/RadioLink.h"
#include "radio/TransferMessage.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CCableStatus;
class CRememberedPassword;
class CStopEvent;

class CRadioSession : public QObject
{
    Q_OBJECT
public:
    // How long the radio gets to restart after a reset before the cable closes.
    static constexpr int kResetWaitMs = 2000;
    // The response buffer of the short requests.
    static constexpr int kResponseSize = 128;
    // The work buffer of a write; only the first 410 bytes are used.
    static constexpr int kWorkBufferSize = 1000;

    using Handler = std::function<void(int kind, int value)>;

    // The session opens the cable at this driver device index.
    explicit CRadioSession(int cableIndex = 0, QObject *parent = nullptr);
    ~CRadioSession() override;

    CRadioLink &Link() { return *m_link; }
    int CableIndex() const { return m_cableIndex; }

    // The transfer message goes to handler on receiver's thread, always
    // queued (also when the sender runs on that thread). Replaces the
    // previous target. Any thread.
    void SetTarget(QObject *receiver, Handler handler);
    void ClearTarget();

    // The wait after a reset ends early when this event is set (shutdown).
    void SetStopEvent(CStopEvent *stop) { m_stop = stop; }

    // The process-wide session lock.
    static std::mutex &SessionLock();

    bool Identify(CRadioIdentity &identity);
    bool StartSession();
    bool ReadRadio(VirtualCP &image);
    bool WriteRadio(const VirtualCP &image);
    bool ResetRadio();

signals:
    void TransferMessage(int kind, int value);

private:
    void Post(TransferKind kind, int value);
    // Reports failure v, then closes and reports.
    void Fail(int value);
    // Closes the cable; a failed close reports failure -1.
    void CloseAndReport();
    // Closes and posts completed (or failure -1); true when completed.
    bool CloseAndComplete();
    // Reads the radio status: true when it is 0. Otherwise the failure or
    // the radio warning is reported and the cable closed.
    bool CheckRadioStatus();
    // Reads `length` bytes at `address`; false (after reporting and
    // closing) when the result is 0 or less.
    bool ReadBlock(quint32 address, int length, quint8 *destination);
    // A request result below 0 fails the write (reported, closed).
    bool Require(int result);

    int m_cableIndex = 0;
    std::unique_ptr<CRadioLink> m_link;
    std::atomic<CStopEvent *> m_stop{nullptr};
    std::mutex m_targetMutex;
    QMetaObject::Connection m_targetConnection;
};

// The four workers, each on a thread of its own. Every worker takes the
// system-wide cable mutex first (waiting for it on the cable status's stop
// event, so shutdown frees it) and releases it at the end.
//
//   identify  target; Identify
//   read      target; StartSession; if it completed and the transfer still
//             runs: ReadRadio, then ResetRadio; release; clear the busy flags
//   write     target; StartSession; if it completed and the transfer still
//             runs: WriteRadio, ResetRadio, release, clear the busy flags and
//             remember the image's password; otherwise release and clear
//   reset     target; ResetRadio
//
// A worker that the stop event keeps from the cable mutex does nothing and
// clears the busy flags.
class CSessionWorker
{
public:
    struct Target
    {
        QObject *receiver = nullptr;
        CRadioSession::Handler handler;
    };

    // The session's wait after a reset is tied to the cable status's stop event.
    CSessionWorker(CRadioSession &session, CCableStatus &cableStatus);
    // Sets nothing: waits for the thread. Set the stop event first at shutdown.
    ~CSessionWorker();
    CSessionWorker(const CSessionWorker &) = delete;
    CSessionWorker &operator=(const CSessionWorker &) = delete;

    // Each answers false while a worker of this object still runs. The
    // identity record and the images must outlive the worker.
    bool StartIdentify(CRadioIdentity &identity, Target target);
    // transferRunning: the progress dialog's flag; nullptr for always.
    bool StartRead(VirtualCP &image, Target target, const std::atomic<bool> *transferRunning = nullptr);
    bool StartWrite(const VirtualCP &image, Target target, CRememberedPassword *remembered = nullptr,
                    const std::atomic<bool> *transferRunning = nullptr);
    bool StartReset(Target target);

    bool IsRunning() const;
    // Waits for the worker to end: true when it has (or none runs).
    bool Wait(int timeoutMs);

private:
    bool Launch(std::function<void()> body);
    // Takes the cable mutex; false when the stop event came first.
    bool TakeCable();
    void ReleaseCable();

    CRadioSession &m_session;
    CCableStatus &m_cableStatus;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
};
