#pragma once
// System-wide named locks for the cable status, and the stop event of the
// cable threads.
//
// The named locks are flock(2) locks on small files with fixed names in
// /dev/shm (or /tmp where that is missing), one set per user. The kernel
// drops such a lock when its holder dies, however it dies, so a copy of the
// program that crashed never leaves the others waiting. Nothing here derives
// a name from the environment, so every copy of the same user finds the same
// objects. Waits are loops of non-blocking tries that also watch a stop
// event or a time limit: none of them waits without a way out.

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>

// The folder of the named objects: /dev/shm, or /tmp on a system without it.
QString SystemObjectFolder();
// The lock file of a named object in a scope, e.g. "tarncps-1000".
QString SystemObjectPath(const QString &scope, const QString &name);

// A manual-reset event: once set, every wait returns at once until Reset.
class CStopEvent
{
public:
    void Set();
    void Reset();
    bool IsSet() const { return m_set.load(); }
    // Waits up to ms milliseconds; true when the event is (or becomes) set.
    bool Wait(int ms);

private:
    std::atomic<bool> m_set{false};
    QMutex m_mutex;
    QWaitCondition m_changed;
};

// A mutex shared by every process of the user under one name. Each object
// has its own lock-file description, so two objects of the same name exclude
// each other within a process as well; one object may be locked on one thread
// and unlocked on another.
class CSystemMutex
{
public:
    CSystemMutex(const QString &scope, const QString &name);
    ~CSystemMutex();
    CSystemMutex(const CSystemMutex &) = delete;
    CSystemMutex &operator=(const CSystemMutex &) = delete;

    bool TryLock();
    // Tries until it holds the mutex (true) or the stop event is set (false).
    bool Lock(CStopEvent &stop);
    // Tries for at most timeoutMs milliseconds.
    bool LockFor(int timeoutMs);
    void Unlock();
    bool IsLocked() const { return m_held.load(); }

private:
    int m_file = -1;
    std::atomic<bool> m_held{false};
};

// A claim that some live process holds, shared by any number of holders; it
// answers "is any holder of this claim still alive?" without keeping a list
// of process ids (which the system may hand out again).
class CSystemPresence
{
public:
    CSystemPresence(const QString &scope, const QString &name);
    ~CSystemPresence();
    CSystemPresence(const CSystemPresence &) = delete;
    CSystemPresence &operator=(const CSystemPresence &) = delete;

    // Claims for this object; false when it could not within timeoutMs.
    bool Claim(int timeoutMs = 1000);
    void Release();
    bool IsClaimed() const { return m_claimed; }

    // Whether any object anywhere (this one included) holds the claim.
    bool AnyHolder() const;
    // When nobody holds the claim: holds it alone, so that no one can claim
    // it meanwhile, until EndSole(). False when someone holds it.
    bool BeginSole();
    // Ends BeginSole; with keepClaim the object goes on holding it shared.
    void EndSole(bool keepClaim);

private:
    QString m_path;
    int m_file = -1;
    bool m_claimed = false;
};
