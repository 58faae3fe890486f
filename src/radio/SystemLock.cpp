#include "radio/SystemLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcLock, "tarncps.cable.lock")

// How often a waiting lock tries again.
constexpr int kRetryMs = 10;

// Opens (creating) a lock file. The folder is shared by every user, so a
// file that is a link, or that another user made, is not ours to use.
int OpenLockFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int file = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) {
        qCWarning(lcLock) << "cannot open the lock file" << path << ":" << qt_error_string(errno);
        return -1;
    }
    struct stat info;
    if (::fstat(file, &info) != 0 || info.st_uid != ::geteuid() || !S_ISREG(info.st_mode)) {
        qCWarning(lcLock) << "the lock file" << path << "belongs to someone else; not used";
        ::close(file);
        return -1;
    }
    return file;
}

bool Flock(int file, int operation)
{
    int result;
    do {
        result = ::flock(file, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

QString SystemObjectFolder()
{
    static const QString folder = QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm")
                                                                                  : QStringLiteral("/tmp");
    return folder;
}

QString SystemObjectPath(const QString &scope, const QString &name)
{
    return QStringLiteral("%1/%2-%3.lock").arg(SystemObjectFolder(), scope, name);
}

void CStopEvent::Set()
{
    QMutexLocker lock(&m_mutex);
    m_set = true;
    m_changed.wakeAll();
}

void CStopEvent::Reset()
{
    QMutexLocker lock(&m_mutex);
    m_set = false;
}

bool CStopEvent::Wait(int ms)
{
    QMutexLocker lock(&m_mutex);
    QDeadlineTimer deadline(ms);
    while (!m_set) {
        if (!m_changed.wait(&m_mutex, deadline))
            break;
    }
    return m_set;
}

CSystemMutex::CSystemMutex(const QString &scope, const QString &name)
    : m_file(OpenLockFile(SystemObjectPath(scope, name)))
{
}

CSystemMutex::~CSystemMutex()
{
    if (m_file >= 0)
        ::close(m_file); // drops the lock as well
}

bool CSystemMutex::TryLock()
{
    bool expected = false;
    if (!m_held.compare_exchange_strong(expected, true))
        return false;
    // Without its file the mutex still works within this process.
    if (m_file >= 0 && !Flock(m_file, LOCK_EX | LOCK_NB)) {
        m_held = false;
        return false;
    }
    return true;
}

bool CSystemMutex::Lock(CStopEvent &stop)
{
    while (!TryLock()) {
        if (stop.Wait(kRetryMs))
            return false;
    }
    return true;
}

bool CSystemMutex::LockFor(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!TryLock()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryMs);
    }
    return true;
}

void CSystemMutex::Unlock()
{
    if (!m_held)
        return;
    if (m_file >= 0)
        Flock(m_file, LOCK_UN);
    m_held = false;
}

CSystemPresence::CSystemPresence(const QString &scope, const QString &name)
    : m_path(SystemObjectPath(scope, name))
    , m_file(OpenLockFile(m_path))
{
}

CSystemPresence::~CSystemPresence()
{
    if (m_file >= 0)
        ::close(m_file);
}

bool CSystemPresence::Claim(int timeoutMs)
{
    if (m_claimed)
        return true;
    if (m_file < 0)
        return false;
    // Shared holders never block each other; only a BeginSole elsewhere,
    // which lasts a moment, makes this wait.
    QDeadlineTimer deadline(timeoutMs);
    while (!Flock(m_file, LOCK_SH | LOCK_NB)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryMs);
    }
    m_claimed = true;
    return true;
}

void CSystemPresence::Release()
{
    if (!m_claimed)
        return;
    Flock(m_file, LOCK_UN);
    m_claimed = false;
}

bool CSystemPresence::AnyHolder() const
{
    // A description of its own, so this object's claim counts as a holder.
    const int file = OpenLockFile(m_path);
    if (file < 0)
        return true; // cannot tell: assume alive rather than take over
    const bool free = Flock(file, LOCK_EX | LOCK_NB);
    ::close(file);
    return !free;
}

bool CSystemPresence::BeginSole()
{
    if (m_file < 0 || m_claimed)
        return false;
    return Flock(m_file, LOCK_EX | LOCK_NB);
}

void CSystemPresence::EndSole(bool keepClaim)
{
    if (m_file < 0)
        return;
    Flock(m_file, LOCK_UN);
    if (keepClaim)
        Claim();
}
