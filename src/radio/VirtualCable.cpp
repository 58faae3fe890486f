// Virtual cables: a Unix-domain stream socket stands for the cable, and
// whatever listens on it (the radio simulator, a test) for the cable's
// far end. The line settings mean nothing to a socket and are accepted as
// they come. Reads and writes keep the time-outs of FT_SetTimeouts.

#include "radio/CableDevices.h"
#include "settings/ConfigStore.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const QString kSocketSuffix = QStringLiteral(".sock");

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class CVirtualCable : public CCableDevice
{
public:
    explicit CVirtualCable(int socket)
        : m_socket(socket)
    {
    }
    ~CVirtualCable() override { ::close(m_socket); }

    FT_STATUS SetBaudRate(unsigned long) override { return FT_OK; }
    FT_STATUS SetDataCharacteristics(unsigned char, unsigned char, unsigned char) override { return FT_OK; }
    FT_STATUS SetFlowControl(unsigned short, unsigned char, unsigned char) override { return FT_OK; }

    FT_STATUS Purge(unsigned long mask) override
    {
        // Bytes already sent cannot be called back from the far end, so only
        // the receive side has something to clear.
        if (!(mask & FT_PURGE_RX))
            return FT_OK;
        unsigned char scrap[256];
        for (;;) {
            const ssize_t got = ::recv(m_socket, scrap, sizeof scrap, MSG_DONTWAIT);
            if (got > 0)
                continue;
            if (got == 0)
                return FT_IO_ERROR;
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? FT_OK : FT_IO_ERROR;
        }
    }

    FT_STATUS Read(unsigned char *buffer, std::uint32_t count, std::uint32_t *received) override
    {
        const Clock::time_point deadline = Clock::now() + m_readTimeout;
        std::uint32_t got = 0;
        while (got < count) {
            const ssize_t n = ::recv(m_socket, buffer + got, count - got, MSG_DONTWAIT);
            if (n > 0) {
                got += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n == 0) { // the far end went away: the cable was pulled
                *received = got;
                return FT_IO_ERROR;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                *received = got;
                return FT_IO_ERROR;
            }
            const int wait = RemainingMs(deadline);
            if (wait == 0)
                break;
            pollfd entry{m_socket, POLLIN, 0};
            ::poll(&entry, 1, wait);
        }
        *received = got;
        return FT_OK;
    }

    FT_STATUS Write(const unsigned char *buffer, std::uint32_t count, std::uint32_t *written) override
    {
        const Clock::time_point deadline = Clock::now() + m_writeTimeout;
        std::uint32_t sent = 0;
        while (sent < count) {
            const ssize_t n = ::send(m_socket, buffer + sent, count - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                *written = sent;
                return FT_IO_ERROR;
            }
            const int wait = RemainingMs(deadline);
            if (wait == 0)
                break;
            pollfd entry{m_socket, POLLOUT, 0};
            ::poll(&entry, 1, wait);
        }
        *written = sent;
        return FT_OK;
    }

private:
    int m_socket;
};

bool IsSocket(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

namespace CableDevices {

QString VirtualCableFolder()
{
    const QString folder = qEnvironmentVariable("TARNCPS_VIRTUAL_CABLES");
    if (!folder.isEmpty())
        return folder;
    return ConfigStore::ReadString(ConfigStore::Level::User, QStringLiteral("VirtualCables"));
}

std::vector<CableDeviceEntry> ListVirtualCables()
{
    std::vector<CableDeviceEntry> cables;
    const QString folder = VirtualCableFolder();
    if (folder.isEmpty())
        return cables;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*") + kSocketSuffix}, QDir::System | QDir::Files);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (!IsSocket(path))
            continue;
        CableDeviceEntry entry;
        entry.kind = CableDeviceEntry::Kind::Virtual;
        entry.description = name.chopped(kSocketSuffix.size()).toUtf8();
        entry.described = true;
        entry.socketPath = path;
        cables.push_back(std::move(entry));
    }
    // Byte order of the names, so every copy numbers the cables alike.
    std::sort(cables.begin(), cables.end(), [](const CableDeviceEntry &a, const CableDeviceEntry &b) {
        return a.description < b.description;
    });
    return cables;
}

std::unique_ptr<CCableDevice> OpenVirtualCable(const CableDeviceEntry &entry, FT_STATUS *status)
{
    const QByteArray path = QFile::encodeName(entry.socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        *status = FT_DEVICE_NOT_FOUND;
        return nullptr;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) {
        *status = FT_INSUFFICIENT_RESOURCES;
        return nullptr;
    }
    int result;
    do {
        result = ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        // Nobody listening, or the far end's queue of connections is full.
        ::close(socket);
        *status = FT_DEVICE_NOT_OPENED;
        return nullptr;
    }
    *status = FT_OK;
    return std::make_unique<CVirtualCable>(socket);
}

} // namespace CableDevices
