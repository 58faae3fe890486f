#pragma once
// The far end of a virtual cable for tests: a Unix-domain socket
// "<description>.sock" in a folder, served by a thread that echoes every byte
// it receives, as the half-duplex cable does. It can be scripted: start
// listening late (an open that succeeds only on a later try) or never, drop
// the echo of the next bytes, stop reading, send bytes of its own (at once
// or later), or close its sending side (the cable reads end-of-file).
// Header-only; POSIX sockets, so it needs no Qt network module.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class VirtualCablePeer
{
public:
    static constexpr int kNever = -1;

    // Binds the socket at once; listens after listenAfterMs (kNever: never),
    // so that opens before then are refused.
    VirtualCablePeer(const QString &folder, const QString &description, int listenAfterMs = 0)
        : m_path(folder + QLatin1Char('/') + description + QStringLiteral(".sock"))
        , m_start(Clock::now())
        , m_listenAfterMs(listenAfterMs)
    {
        m_server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(m_path);
        std::memcpy(address.sun_path, path.constData(), std::min<size_t>(path.size(), sizeof address.sun_path - 1));
        m_bound = ::bind(m_server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        // Listening at once means before anyone can try to connect.
        m_listening = m_bound && listenAfterMs == 0 && ::listen(m_server, 4) == 0;
        if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
            m_wake[0] = m_wake[1] = -1;
        m_thread = std::thread([this] { Run(); });
    }

    ~VirtualCablePeer()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        Wake();
        m_thread.join();
        if (m_client >= 0)
            ::close(m_client);
        ::close(m_server);
        ::close(m_wake[0]);
        ::close(m_wake[1]);
        QFile::remove(m_path);
    }

    bool IsBound() const { return m_bound; }
    const QString &Path() const { return m_path; }

    // The echo of the next `bytes` received bytes is not sent.
    void DropEchoes(int bytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dropEchoes = bytes;
    }
    // While off, nothing is read, so the sender's queue fills up.
    void SetReading(bool on)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reading = on;
        }
        Wake();
    }
    // Sends bytes to the connected cable now, or after a delay.
    void Send(const QByteArray &bytes, int afterMs = 0)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_sends.push_back({Clock::now() + std::chrono::milliseconds(afterMs), bytes});
        }
        Wake();
        if (afterMs == 0)
            WaitUntil([this] { return m_sends.empty(); }, 2000);
    }
    // The cable reads end-of-file from now on, as when it is pulled.
    void CloseSendingSide()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_client >= 0)
            ::shutdown(m_client, SHUT_WR);
    }

    bool WaitForConnections(int count, int timeoutMs)
    {
        return WaitUntil([this, count] { return m_connections >= count; }, timeoutMs);
    }
    bool WaitForDisconnections(int count, int timeoutMs)
    {
        return WaitUntil([this, count] { return m_disconnections >= count; }, timeoutMs);
    }
    bool WaitForReceived(int bytes, int timeoutMs)
    {
        return WaitUntil([this, bytes] { return m_received.size() >= bytes; }, timeoutMs);
    }
    QByteArray Received() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }
    int Connections() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_connections;
    }

private:
    using Clock = std::chrono::steady_clock;
    struct PendingSend
    {
        Clock::time_point when;
        QByteArray bytes;
    };

    template<typename Predicate>
    bool WaitUntil(Predicate done, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }

    void Wake()
    {
        const char byte = 1;
        if (::write(m_wake[1], &byte, 1) < 0) {
            // The pipe is full: the thread is awake anyway.
        }
    }

    void Run()
    {
        bool listening = m_listening;
        for (;;) {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_quit)
                return;
            const Clock::time_point now = Clock::now();
            int timeoutMs = 50;
            if (!listening && m_bound && m_listenAfterMs >= 0) {
                const auto listenAt = m_start + std::chrono::milliseconds(m_listenAfterMs);
                if (now >= listenAt)
                    listening = ::listen(m_server, 4) == 0;
                else
                    timeoutMs = std::min<int>(timeoutMs, int(std::chrono::duration_cast<std::chrono::milliseconds>(listenAt - now).count()) + 1);
            }
            // Bytes due now go out.
            for (auto it = m_sends.begin(); it != m_sends.end();) {
                if (it->when <= now && m_client >= 0) {
                    SendAll(it->bytes);
                    it = m_sends.erase(it);
                } else {
                    ++it;
                }
            }
            m_changed.notify_all();

            pollfd entries[3] = {{m_wake[0], POLLIN, 0}, {listening ? m_server : -1, POLLIN, 0},
                                 {m_client >= 0 && m_reading ? m_client : -1, POLLIN, 0}};
            lock.unlock();
            ::poll(entries, 3, timeoutMs);
            lock.lock();
            if (entries[0].revents) {
                char scrap[64];
                while (::read(m_wake[0], scrap, sizeof scrap) > 0) {
                }
            }
            if (entries[1].revents & POLLIN) {
                const int client = ::accept4(m_server, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    if (m_client >= 0) {
                        ::close(m_client);
                        ++m_disconnections;
                    }
                    m_client = client;
                    ++m_connections;
                }
            }
            if (m_client >= 0 && m_reading && (entries[2].revents & (POLLIN | POLLHUP | POLLERR))) {
                char bytes[4096];
                const ssize_t got = ::recv(m_client, bytes, sizeof bytes, MSG_DONTWAIT);
                if (got > 0) {
                    m_received.append(bytes, got);
                    const int dropped = std::min<int>(m_dropEchoes, int(got));
                    m_dropEchoes -= dropped;
                    if (got > dropped)
                        SendAll(QByteArray(bytes + dropped, int(got - dropped)));
                } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    ::close(m_client);
                    m_client = -1;
                    ++m_disconnections;
                }
            }
            m_changed.notify_all();
        }
    }

    void SendAll(const QByteArray &bytes)
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_client, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += n;
        }
    }

    const QString m_path;
    const Clock::time_point m_start;
    const int m_listenAfterMs;
    int m_server = -1;
    bool m_bound = false;
    bool m_listening = false;
    int m_wake[2] = {-1, -1};
    int m_client = -1;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_quit = false;
    bool m_reading = true;
    int m_dropEchoes = 0;
    int m_connections = 0;
    int m_disconnections = 0;
    QByteArray m_received;
    std::vector<PendingSend> m_sends;
    std::thread m_thread;
};
