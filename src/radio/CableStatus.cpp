#include "radio/CableStatus.h"
#include "radio/UsbCable.h"
#include "settings/StringTable.h"

#include <QFile>
#include <QLoggingCategory>
#include <QtEndian>

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcStatus, "tarncps.cable.status")

constexpr int kConnectedText = 2018;
constexpr int kNotConnectedText = 2019;
constexpr int kCountMessage = 2020;

// Claims on the area, the poller role and the busy state (see the header).
const QString kUsersClaim = QStringLiteral("TarnCPSFileMap-users");
const QString kPollerClaim = QStringLiteral("TarnCPSFileMap-poller");
const QString kBusyClaim = QStringLiteral("TarnCPSFileMap-busy");

// A thread that can be waited for with a time limit. One that does not end
// in time is left to end on its own; what it uses is shared with it, so
// nothing it touches goes away under it.
class CCableThread
{
public:
    explicit CCableThread(std::function<void()> body)
        : m_state(std::make_shared<State>())
    {
        m_thread = std::thread([state = m_state, body = std::move(body)] {
            body();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done = true;
            state->ended.notify_all();
        });
    }
    ~CCableThread() { Join(0); }
    CCableThread(const CCableThread &) = delete;
    CCableThread &operator=(const CCableThread &) = delete;

    bool Join(int timeoutMs)
    {
        if (!m_thread.joinable())
            return true;
        bool done;
        {
            std::unique_lock<std::mutex> lock(m_state->mutex);
            done = m_state->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_state->done; });
        }
        if (done) {
            m_thread.join();
        } else {
            qCWarning(lcStatus) << "a cable thread did not end in time; left to end on its own";
            m_thread.detach();
        }
        return done;
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace

// ---------------------------------------------------------------------------
// The shared area

CCableStatusArea::CCableStatusArea(const QString &scope)
    : m_name(QStringLiteral("/%1-%2").arg(scope, QLatin1String(kName)))
    , m_users(scope, kUsersClaim)
{
}

CCableStatusArea::~CCableStatusArea()
{
    if (quint32 *words = m_words.load())
        ::munmap(words, kSize);
    m_users.Release();
}

bool CCableStatusArea::Attach()
{
    std::lock_guard<std::mutex> lock(m_attachMutex);
    if (m_words.load())
        return true;

    // No other live holder: whatever the area holds was left by copies that
    // are gone, and it starts afresh as if it had just been created.
    const bool sole = m_users.BeginSole();
    const QByteArray name = QFile::encodeName(m_name);
    bool created = false;
    int file = ::shm_open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file >= 0)
        created = true;
    else if (errno == EEXIST)
        file = ::shm_open(name.constData(), O_RDWR | O_CLOEXEC, 0);

    quint32 *words = nullptr;
    struct stat info;
    if (file >= 0 && ::fstat(file, &info) == 0 && info.st_uid == ::geteuid()) {
        // A copy that died between creating and sizing the area left it short.
        if (info.st_size >= kSize || ::ftruncate(file, kSize) == 0) {
            void *mapping = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
            if (mapping != MAP_FAILED)
                words = static_cast<quint32 *>(mapping);
        }
    }
    if (file >= 0)
        ::close(file);
    if (!words) {
        qCWarning(lcStatus) << "the cable status area" << m_name << "can be neither created nor opened";
        if (sole)
            m_users.EndSole(false);
        return false;
    }
    if (created || sole) {
        for (int word = PollerPresent; word <= Count; ++word)
            std::atomic_ref<quint32>(words[word]).store(0);
    }
    m_words = words;
    if (sole)
        m_users.EndSole(true);
    else
        m_users.Claim();
    return true;
}

quint32 CCableStatusArea::Read(Word word) const
{
    quint32 *words = m_words.load();
    return words ? qFromLittleEndian(std::atomic_ref<quint32>(words[word]).load()) : 0;
}

void CCableStatusArea::Write(Word word, quint32 value)
{
    if (quint32 *words = m_words.load())
        std::atomic_ref<quint32>(words[word]).store(qToLittleEndian(value));
}

// ---------------------------------------------------------------------------
// The poller and the monitor

struct CCableStatus::Shared : std::enable_shared_from_this<CCableStatus::Shared>
{
    explicit Shared(const QString &scope)
        : scope(scope)
        , area(scope)
        , cableMutex(scope, QLatin1String(kCableMutexName))
        , statusMutex(scope, QLatin1String(kStatusMutexName))
        , pollerRole(scope, kPollerClaim)
        , busyClaim(scope, kBusyClaim)
    {
    }

    void RunPoller();
    void RunMonitor();
    // Starts a poller in this copy unless it has one (or is stopping).
    void StartPoller(bool claimRole);
    bool HasPoller();
    // Word 2 set by a copy that is gone is cleared.
    void ClearStaleBusy();
    void Report(bool available, int count);

    const QString scope;
    CCableStatusArea area;
    CSystemMutex cableMutex;
    CSystemMutex statusMutex;
    CSystemPresence pollerRole; // claimed while this copy runs a poller
    CSystemPresence busyClaim;  // claimed while this copy is busy
    std::mutex busyMutex;
    CStopEvent stop;
    std::atomic<bool> localBusy{false};
    std::atomic<int> lastCount{0};
    std::atomic<int> cableIndex{0};

    std::mutex threadMutex;
    std::unique_ptr<CCableThread> monitor;
    std::unique_ptr<CCableThread> poller;

    // Where reports go; cleared at shutdown before the object goes.
    std::mutex reportMutex;
    CCableStatus *owner = nullptr;
};

void CCableStatus::Shared::RunPoller()
{
    // The poller's own cable object, never opened: counting needs no handle.
    CUsbCable cable;
    while (!stop.IsSet()) {
        if (area.Attach()) {
            // A transfer in any copy has the cable: neither wait for it nor
            // disturb it.
            while ((localBusy || area.Read(CCableStatusArea::Busy) == 1) && !stop.IsSet()) {
                ClearStaleBusy();
                if (area.Read(CCableStatusArea::Busy) == 1 || localBusy)
                    stop.Wait(kPauseMs);
            }
            if (stop.IsSet())
                break;
            // Claimed before the word is set, so no monitor takes this
            // poller's word for one left by a copy that is gone.
            if (!pollerRole.IsClaimed())
                pollerRole.Claim();
            area.Write(CCableStatusArea::PollerPresent, 1);
            if (!cableMutex.Lock(stop))
                break;
            int index = cableIndex;
            const int count = cable.CountCables(&index);
            cableIndex = index;
            area.Write(CCableStatusArea::Count, static_cast<quint32>(count));
            cable.SetConnected(count > 0);
            cableMutex.Unlock();
            area.Write(CCableStatusArea::Connected, cable.IsConnected() ? 1 : 0);
        }
        stop.Wait(kPauseMs);
    }
}

void CCableStatus::Shared::RunMonitor()
{
    while (!stop.IsSet()) {
        while (localBusy && !stop.IsSet())
            stop.Wait(kPauseMs);
        // The status mutex keeps two monitors from both taking the poller role.
        if (!statusMutex.Lock(stop))
            break;
        bool available = false;
        if (area.Attach()) {
            ClearStaleBusy();
            const quint32 pollerPresent = area.Read(CCableStatusArea::PollerPresent);
            const quint32 connected = area.Read(CCableStatusArea::Connected);
            const quint32 busy = area.Read(CCableStatusArea::Busy);
            const quint32 count = area.Read(CCableStatusArea::Count);
            lastCount = static_cast<int>(count);
            // A poller-present word that no live copy backs was left by a
            // copy that is gone; the role is free.
            const bool pollerRunning = pollerPresent == 1 && pollerRole.AnyHolder();
            if (!pollerRunning && !HasPoller())
                StartPoller(true);
            available = busy != 1 && connected == 1 && count <= 1;
        } else if (!HasPoller()) {
            StartPoller(false);
        }
        Report(available, lastCount);
        statusMutex.Unlock();
        stop.Wait(kPauseMs);
    }
}

void CCableStatus::Shared::StartPoller(bool claimRole)
{
    std::lock_guard<std::mutex> lock(threadMutex);
    if (poller || stop.IsSet())
        return;
    if (claimRole) {
        pollerRole.Claim();
        area.Write(CCableStatusArea::PollerPresent, 1);
    }
    poller = std::make_unique<CCableThread>([self = shared_from_this()] { self->RunPoller(); });
}

bool CCableStatus::Shared::HasPoller()
{
    std::lock_guard<std::mutex> lock(threadMutex);
    return poller != nullptr;
}

void CCableStatus::Shared::ClearStaleBusy()
{
    if (area.Read(CCableStatusArea::Busy) != 1)
        return;
    // Holding the busy claim alone keeps a copy that is just becoming busy
    // from setting the word in between: it claims first, then sets it.
    CSystemPresence probe(scope, kBusyClaim);
    if (!probe.BeginSole())
        return;
    if (area.Read(CCableStatusArea::Busy) == 1) {
        qCInfo(lcStatus) << "the copy that set the cable busy is gone; busy cleared";
        area.Write(CCableStatusArea::Busy, 0);
    }
    probe.EndSole(false);
}

void CCableStatus::Shared::Report(bool available, int count)
{
    std::lock_guard<std::mutex> lock(reportMutex);
    if (!owner)
        return;
    // Emitted on the owner's thread; a report still queued when the owner
    // goes is dropped with it.
    CCableStatus *target = owner;
    QMetaObject::invokeMethod(
        target, [target, available, count] { emit target->CableReport(available, count); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------

QString CCableStatus::DefaultScope()
{
    return QStringLiteral("tarncps-%1").arg(::geteuid());
}

CCableStatus::CCableStatus(QObject *parent)
    : CCableStatus(DefaultScope(), parent)
{
}

CCableStatus::CCableStatus(const QString &scope, QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>(scope))
{
    m_shared->owner = this;
    m_shared->area.Attach();
}

CCableStatus::~CCableStatus()
{
    Shutdown();
}

void CCableStatus::Start()
{
    Shared &s = *m_shared;
    std::lock_guard<std::mutex> lock(s.threadMutex);
    if (s.monitor || s.stop.IsSet())
        return;
    s.monitor = std::make_unique<CCableThread>([self = m_shared] { self->RunMonitor(); });
}

void CCableStatus::Shutdown()
{
    Shared &s = *m_shared;
    {
        std::lock_guard<std::mutex> lock(s.reportMutex);
        s.owner = nullptr;
    }
    s.stop.Set();
    std::unique_ptr<CCableThread> monitor;
    std::unique_ptr<CCableThread> poller;
    {
        std::lock_guard<std::mutex> lock(s.threadMutex);
        monitor = std::move(s.monitor);
    }
    if (monitor)
        monitor->Join(kStopWaitMs);
    // The monitor has ended, so no poller can start any more.
    {
        std::lock_guard<std::mutex> lock(s.threadMutex);
        poller = std::move(s.poller);
    }
    if (poller) {
        poller->Join(kStopWaitMs);
        if (s.pollerRole.IsClaimed()) {
            s.area.Write(CCableStatusArea::PollerPresent, 0);
            s.pollerRole.Release();
        }
    }
}

void CCableStatus::SetBusy(bool busy)
{
    Shared &s = *m_shared;
    std::lock_guard<std::mutex> lock(s.busyMutex);
    if (busy) {
        // The claim comes first: a monitor that finds word 2 set without a
        // claim behind it would clear it.
        s.busyClaim.Claim();
        s.localBusy = true;
        s.area.Attach();
        s.area.Write(CCableStatusArea::Busy, 1);
    } else {
        s.area.Write(CCableStatusArea::Busy, 0);
        s.localBusy = false;
        s.busyClaim.Release();
    }
}

bool CCableStatus::IsBusy() const
{
    return m_shared->localBusy;
}

int CCableStatus::LastCount() const
{
    return m_shared->lastCount;
}

int CCableStatus::CableIndex() const
{
    return m_shared->cableIndex;
}

bool CCableStatus::HasPollerThread() const
{
    return m_shared->HasPoller();
}

CableStatusWords CCableStatus::Words() const
{
    const CCableStatusArea &area = m_shared->area;
    return {area.Read(CCableStatusArea::PollerPresent), area.Read(CCableStatusArea::Connected),
            area.Read(CCableStatusArea::Busy), area.Read(CCableStatusArea::Count)};
}

CSystemMutex &CCableStatus::CableMutex()
{
    return m_shared->cableMutex;
}

CStopEvent &CCableStatus::StopEvent()
{
    return m_shared->stop;
}

// ---------------------------------------------------------------------------

CableReportEffect ApplyCableReport(bool available, int lastCount, bool busy, bool countMessageOpen)
{
    CableReportEffect effect;
    if (lastCount > 1 && !countMessageOpen) {
        effect.showCountMessage = true;
        effect.countMessage = FormatText(LoadString(kCountMessage), {QString::number(lastCount)});
    }
    if (!available) {
        effect.deviceCommandsEnabled = false;
        if (!busy) {
            effect.setStatusText = true;
            effect.statusText = LoadString(kNotConnectedText);
        }
    } else if (busy) {
        effect.deviceCommandsEnabled = false;
    } else {
        effect.deviceCommandsEnabled = true;
        effect.setStatusText = true;
        effect.statusText = LoadString(kConnectedText);
    }
    return effect;
}
