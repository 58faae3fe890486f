#include "sim/RadioSimulator.h"

#include "radio/RadioFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr quint8 kWrongAcknowledge = 0x06;
constexpr std::chrono::milliseconds kIdleWait{100};
// One byte on the wire: 10 bits at 16406 bit/s.
constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * CRadioSimulator::kBitsPerByte /
                                             CRadioSimulator::kBitsPerSecond};

struct OutByte
{
    quint8 byte;
    Clock::time_point due;
};

bool MakeAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (encoded.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Triggers

CSimTrigger CSimTrigger::Range(int first, int last)
{
    CSimTrigger trigger;
    trigger.Add(first, last);
    return trigger;
}

CSimTrigger &CSimTrigger::Add(int first, int last)
{
    if (first >= 1 && last >= first)
        m_ranges.append(Span{first, last});
    return *this;
}

bool CSimTrigger::Matches(int number) const
{
    for (const Span &span : m_ranges)
        if (number >= span.first && number <= span.last)
            return true;
    return false;
}

std::optional<CSimTrigger> CSimTrigger::Parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == QLatin1String("all"))
        return All();
    if (trimmed == QLatin1String("none"))
        return CSimTrigger();
    CSimTrigger trigger;
    const QStringList items = trimmed.split(QLatin1Char(','));
    for (const QString &item : items) {
        const qsizetype dash = item.indexOf(QLatin1Char('-'));
        bool ok = false;
        const int first = (dash < 0 ? item : item.left(dash)).trimmed().toInt(&ok);
        if (!ok || first < 1)
            return std::nullopt;
        int last = first;
        if (dash >= 0) {
            const QString rest = item.mid(dash + 1).trimmed();
            last = rest.isEmpty() ? INT_MAX : rest.toInt(&ok);
            if (!ok || last < first)
                return std::nullopt;
        }
        trigger.Add(first, last);
    }
    return trigger;
}

// ---------------------------------------------------------------------------
// Log

QString SimLogEntry::ToText() const
{
    QString text = QStringLiteral("[%1] #%2 %3  > %4")
                       .arg(elapsedMs, 10, 'f', 3)
                       .arg(number)
                       .arg(summary, RadioFrame::Hex(request));
    text += answer.isEmpty() ? QStringLiteral("  < (nothing)") : QStringLiteral("  < ") + RadioFrame::Hex(answer);
    if (!faults.isEmpty())
        text += QStringLiteral("  {%1}").arg(faults.join(QStringLiteral(", ")));
    return text;
}

// ---------------------------------------------------------------------------
// The simulator

struct CRadioSimulator::Shared
{
    // Guarded by mutex.
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    CSimRadio radio;
    SimFaults faults;
    QList<SimLogEntry> log;
    std::function<void(const QString &)> logWriter;
    int requests = 0;
    int connections = 0;

    std::atomic<bool> pacing{false};
    std::atomic<bool> quit{false};
    std::atomic<bool> running{false};

    // Set by Start and Stop; used by the serving thread in between.
    QString path;
    int server = -1;
    int wake[2] = {-1, -1};
    Clock::time_point started;
    std::thread thread;

    // The serving thread's own.
    int client = -1;
    QByteArray frame;
    int expected = 0;
    QByteArray skipped;
    std::deque<OutByte> out;
    Clock::time_point wireFree;
    bool hangUpPending = false;

    void Run();
    void ReadClient();
    void Accept();
    void Flush();
    void DropClient();
    void Queue(QByteArrayView bytes);
    void OnInput(QByteArrayView bytes);
    void Complete(const QByteArray &request);
    void WriteLogLine(const QString &line);
    double ElapsedMs() const
    {
        return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    }
};

void CRadioSimulator::Shared::Run()
{
    while (!quit) {
        const Clock::time_point now = Clock::now();
        Clock::duration wait = kIdleWait;
        bool wantOut = false;
        if (client >= 0 && !out.empty()) {
            if (out.front().due <= now)
                wantOut = true;
            else
                wait = std::min<Clock::duration>(wait, out.front().due - now);
        }
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec timeout{time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000)};
        pollfd entries[3] = {{wake[0], POLLIN, 0},
                             {server, POLLIN, 0},
                             {client, short(POLLIN | (wantOut ? POLLOUT : 0)), 0}};
        ::ppoll(entries, 3, &timeout, nullptr);
        if (entries[0].revents) {
            char scrap[64];
            while (::read(wake[0], scrap, sizeof scrap) > 0) {
            }
        }
        if (client >= 0 && (entries[2].revents & (POLLIN | POLLHUP | POLLERR)))
            ReadClient();
        if (entries[1].revents & POLLIN)
            Accept();
        Flush();
        if (hangUpPending && out.empty()) {
            WriteLogLine(QStringLiteral("hung up"));
            DropClient();
        }
    }
    if (client >= 0)
        DropClient();
}

void CRadioSimulator::Shared::ReadClient()
{
    char bytes[4096];
    while (client >= 0) {
        const ssize_t got = ::recv(client, bytes, sizeof bytes, MSG_DONTWAIT);
        if (got > 0) {
            OnInput(QByteArrayView(bytes, got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        DropClient(); // the far end closed the cable, or the socket failed
    }
}

void CRadioSimulator::Shared::Accept()
{
    const int incoming = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (incoming < 0)
        return;
    // The one being served may have gone just before: take what it left first.
    if (client >= 0)
        ReadClient();
    if (client >= 0) {
        ::close(incoming);
        WriteLogLine(QStringLiteral("a second connection refused: the cable is held"));
        return;
    }
    client = incoming;
    wireFree = Clock::now();
    std::lock_guard<std::mutex> lock(mutex);
    ++connections;
    changed.notify_all();
}

void CRadioSimulator::Shared::DropClient()
{
    if (client >= 0)
        ::close(client);
    client = -1;
    out.clear();
    frame.clear();
    expected = 0;
    skipped.clear();
    hangUpPending = false;
    std::lock_guard<std::mutex> lock(mutex);
    changed.notify_all();
}

void CRadioSimulator::Shared::Queue(QByteArrayView bytes)
{
    const Clock::time_point now = Clock::now();
    for (char byte : bytes) {
        Clock::time_point due = now;
        if (pacing) {
            wireFree = std::max(wireFree, now) + kByteTime;
            due = wireFree;
        }
        out.push_back(OutByte{quint8(byte), due});
    }
}

void CRadioSimulator::Shared::Flush()
{
    while (client >= 0 && !out.empty()) {
        const Clock::time_point now = Clock::now();
        char buffer[4096];
        size_t count = 0;
        for (auto it = out.begin(); it != out.end() && it->due <= now && count < sizeof buffer; ++it)
            buffer[count++] = char(it->byte);
        if (count == 0)
            return;
        const ssize_t sent = ::send(client, buffer, count, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            out.erase(out.begin(), out.begin() + sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        DropClient();
    }
}

void CRadioSimulator::Shared::OnInput(QByteArrayView bytes)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (char value : bytes) {
        const quint8 byte = quint8(value);
        // The request this byte belongs to, if it belongs to one.
        const int number = requests + 1;
        const bool silent = faults.silentAfter >= 0 && requests >= faults.silentAfter;
        if (!silent && !faults.noEcho.Matches(number))
            Queue(QByteArrayView(&value, 1));

        if (frame.isEmpty()) {
            if (byte == RadioFrame::kLongForm) {
                expected = 0; // known with the length bytes
            } else if (byte > RadioFrame::kShortFormBase) {
                expected = 2 + (byte & 0x0F);
            } else {
                skipped.append(char(byte));
                continue;
            }
            if (!skipped.isEmpty()) {
                lock.unlock();
                WriteLogLine(QStringLiteral("skipped %1 stray bytes: %2").arg(skipped.size()).arg(RadioFrame::Hex(skipped)));
                lock.lock();
                skipped.clear();
            }
            frame.append(char(byte));
            continue;
        }
        frame.append(char(byte));
        if (quint8(frame[0]) == RadioFrame::kLongForm && frame.size() == 4) {
            const int length = quint8(frame[2]) << 8 | quint8(frame[3]);
            expected = 4 + std::max(length, 1);
            if (expected > kMaxRequestSize) {
                const QByteArray dropped = frame;
                frame.clear();
                expected = 0;
                lock.unlock();
                WriteLogLine(QStringLiteral("request longer than %1 bytes dropped: %2")
                                 .arg(kMaxRequestSize)
                                 .arg(RadioFrame::Hex(dropped)));
                lock.lock();
                continue;
            }
        }
        if (expected > 0 && frame.size() == expected) {
            const QByteArray request = frame;
            frame.clear();
            expected = 0;
            lock.unlock();
            Complete(request);
            lock.lock();
        }
    }
}

void CRadioSimulator::Shared::Complete(const QByteArray &request)
{
    SimLogEntry entry;
    std::function<void(const QString &)> writer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const int number = ++requests;
        entry.number = number;
        entry.elapsedMs = ElapsedMs();
        entry.request = request;
        entry.command = quint8(request[1]);

        QByteArray answer;
        if (faults.silentAfter >= 0 && number > faults.silentAfter) {
            entry.summary = QStringLiteral("not received");
            entry.faults << QStringLiteral("silent");
        } else {
            const bool refuse = faults.refuseWrites.Matches(number);
            const CSimRadio::Served served = radio.Serve(request, refuse);
            entry.kind = served.kind;
            entry.address = served.address;
            entry.count = served.count;
            entry.summary = served.summary;
            if (refuse && served.kind == SimRequestKind::WriteMemory)
                entry.faults << QStringLiteral("write refused");
            answer = served.answer;
            const auto replaced = faults.answers.find(number);
            if (replaced != faults.answers.end()) {
                answer = replaced->second;
                entry.faults << QStringLiteral("answer replaced");
            } else if (!answer.isEmpty()) {
                if (served.frameStart > 0 && faults.badChecksum.Matches(number)) {
                    answer.back() = char(quint8(answer.back()) + 1);
                    entry.faults << QStringLiteral("bad checksum");
                }
                if (served.frameStart > 0 && !faults.strayBytes.isEmpty() && faults.strayOn.Matches(number)) {
                    answer.insert(served.frameStart, faults.strayBytes);
                    entry.faults << QStringLiteral("stray bytes");
                }
                if (faults.noAcknowledge.Matches(number)) {
                    answer.remove(0, 1);
                    entry.faults << QStringLiteral("no acknowledge");
                } else if (faults.wrongAcknowledge.Matches(number)) {
                    answer[0] = char(kWrongAcknowledge);
                    entry.faults << QStringLiteral("wrong acknowledge");
                }
            }
            if (faults.hangUpAfter == number) {
                hangUpPending = true;
                entry.faults << QStringLiteral("hang up");
            }
        }
        Queue(answer);
        entry.answer = answer;
        log.append(entry);
        writer = logWriter;
        changed.notify_all();
    }
    if (writer)
        writer(entry.ToText());
}

void CRadioSimulator::Shared::WriteLogLine(const QString &line)
{
    std::function<void(const QString &)> writer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        writer = logWriter;
    }
    if (writer)
        writer(QStringLiteral("[%1] %2").arg(ElapsedMs(), 10, 'f', 3).arg(line));
}

CRadioSimulator::CRadioSimulator()
    : m_shared(std::make_shared<Shared>())
{
}

CRadioSimulator::~CRadioSimulator()
{
    Stop();
}

bool CRadioSimulator::Start(const QString &folder, const QString &description, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    Shared &s = *m_shared;
    if (s.running)
        return fail(QStringLiteral("the simulator is already running"));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return fail(QStringLiteral("no folder \"%1\"").arg(folder));
    if (description.isEmpty() || description.contains(QLatin1Char('/')))
        return fail(QStringLiteral("\"%1\" cannot name a cable").arg(description));
    const QString path = QDir(folder).filePath(description + QStringLiteral(".sock"));
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return fail(QStringLiteral("the socket path \"%1\" is too long").arg(path));

    struct stat info;
    if (::lstat(address.sun_path, &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return fail(QStringLiteral("\"%1\" exists and is not a socket").arg(path));
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool served = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (probe >= 0)
            ::close(probe);
        if (served)
            return fail(QStringLiteral("\"%1\" is served by another simulator").arg(path));
        ::unlink(address.sun_path); // left behind by one that ended
    }

    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(server, 4) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(server);
        return fail(QStringLiteral("cannot listen on \"%1\": %2").arg(path, why));
    }
    if (::pipe2(s.wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(server);
        ::unlink(address.sun_path);
        return fail(why);
    }
    s.path = path;
    s.server = server;
    s.started = Clock::now();
    s.quit = false;
    s.running = true;
    s.thread = std::thread([shared = m_shared] { shared->Run(); });
    return true;
}

void CRadioSimulator::Stop()
{
    Shared &s = *m_shared;
    if (!s.running)
        return;
    s.quit = true;
    const char byte = 1;
    if (::write(s.wake[1], &byte, 1) < 0) {
        // The pipe is full: the thread wakes anyway.
    }
    s.thread.join();
    ::close(s.server);
    ::close(s.wake[0]);
    ::close(s.wake[1]);
    s.server = -1;
    s.wake[0] = s.wake[1] = -1;
    QFile::remove(s.path);
    s.running = false;
}

bool CRadioSimulator::IsRunning() const
{
    return m_shared->running;
}

QString CRadioSimulator::SocketPath() const
{
    return m_shared->path;
}

void CRadioSimulator::SetPacing(bool on)
{
    m_shared->pacing = on;
}

void CRadioSimulator::SetFaults(const SimFaults &faults)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->faults = faults;
}

SimFaults CRadioSimulator::Faults() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->faults;
}

std::mutex &CRadioSimulator::Mutex()
{
    return m_shared->mutex;
}

CSimRadio &CRadioSimulator::Radio()
{
    return m_shared->radio;
}

CSimMemory CRadioSimulator::Memory() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->radio.Memory();
}

QByteArray CRadioSimulator::ReadMemory(quint32 address, int length) const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->radio.Memory().Read(address, length);
}

void CRadioSimulator::WriteMemory(quint32 address, const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->radio.Memory().Write(address, bytes);
}

void CRadioSimulator::SetLogWriter(std::function<void(const QString &)> writer)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->logWriter = std::move(writer);
}

QList<SimLogEntry> CRadioSimulator::Log() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->log;
}

void CRadioSimulator::ClearLog()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->log.clear();
}

int CRadioSimulator::RequestCount() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->requests;
}

int CRadioSimulator::Connections() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->connections;
}

bool CRadioSimulator::WaitForRequests(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this, count] { return m_shared->requests >= count; });
}

bool CRadioSimulator::WaitForConnections(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this, count] { return m_shared->connections >= count; });
}
