#include "radio/UsbCable.h"

#include <QThread>

#include <cstring>
#include <vector>

CUsbCable::~CUsbCable()
{
    // The session that opened the cable normally closes it; this only keeps
    // a handle from outliving its object after a failure on the way.
    if (m_handle)
        FT_Close(m_handle);
}

bool CUsbCable::IsCableDescription(const char (&description)[FT_DESCRIPTION_SIZE])
{
    return std::memcmp(description, kQlmDescription, sizeof kQlmDescription) == 0 ||
           std::memcmp(description, kQxDescription, sizeof kQxDescription) == 0;
}

int CUsbCable::CountCables(int *firstIndex)
{
    std::uint32_t devices = 0;
    const FT_STATUS status = FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY);
    if (status != FT_OK) {
        m_lastStatus = status;
        return 0;
    }
    int cables = 0;
    for (std::uint32_t index = 0; index < devices; ++index) {
        char description[FT_DESCRIPTION_SIZE] = {};
        if (FT_ListDevices(reinterpret_cast<void *>(static_cast<std::uintptr_t>(index)), description,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK)
            continue;
        if (!IsCableDescription(description))
            continue;
        if (cables == 0 && firstIndex)
            *firstIndex = static_cast<int>(index);
        ++cables;
    }
    return cables;
}

bool CUsbCable::OpenOnce(int deviceIndex)
{
    if (m_handle) {
        const FT_STATUS status = FT_Close(m_handle);
        if (status != FT_OK)
            m_lastStatus = status;
        m_handle = nullptr;
    }
    return FT_Open(deviceIndex, &m_handle) == FT_OK;
}

bool CUsbCable::Open(int deviceIndex)
{
    // A cable just plugged in, or just let go by another program, may refuse
    // the first open; two more tries come after 500 and 1000 ms.
    static constexpr unsigned long kPauses[] = {500, 1000};
    bool opened = OpenOnce(deviceIndex);
    for (unsigned long pause : kPauses) {
        if (opened)
            break;
        QThread::msleep(pause);
        opened = OpenOnce(deviceIndex);
    }
    if (!opened) {
        m_handle = nullptr;
        return false;
    }

    // Each step stops the open at its first failure.
    const bool configured = FT_SetBaudRate(m_handle, kBaudRate) == FT_OK &&
                            FT_SetDataCharacteristics(m_handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE) == FT_OK &&
                            FT_SetFlowControl(m_handle, FT_FLOW_NONE, 0, 0) == FT_OK &&
                            FT_SetTimeouts(m_handle, kTimeoutMs, kTimeoutMs) == FT_OK;
    if (!configured) {
        // Not left half set up: the device would stay taken from its driver.
        FT_Close(m_handle);
        m_handle = nullptr;
        return false;
    }
    return true;
}

bool CUsbCable::Close()
{
    if (!m_handle)
        return false;
    const FT_STATUS status = FT_Close(m_handle);
    if (status != FT_OK) {
        m_lastStatus = status;
        return false;
    }
    m_handle = nullptr;
    return true;
}

void CUsbCable::Purge()
{
    if (!m_handle)
        return;
    const FT_STATUS status = FT_Purge(m_handle, FT_PURGE_RX | FT_PURGE_TX);
    if (status != FT_OK)
        m_lastStatus = status;
}

int CUsbCable::ReadExactly(unsigned char *buffer, int n)
{
    for (int attempt = 0; attempt < m_readAttempts; ++attempt) {
        if (!CanTransfer())
            return -1;
        std::uint32_t received = 0;
        const FT_STATUS status = FT_Read(m_handle, buffer, static_cast<std::uint32_t>(n), &received);
        if (status == FT_OK && received == static_cast<std::uint32_t>(n))
            return n;
        // A short read with an OK status records 0, which keeps the next try open.
        m_lastStatus = status;
    }
    return -1;
}

int CUsbCable::WriteWithEcho(const unsigned char *buffer, int n)
{
    std::vector<unsigned char> echo(n > 0 ? n : 1);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!CanTransfer())
            return -1;
        std::uint32_t written = 0;
        const FT_STATUS status = FT_Write(m_handle, buffer, static_cast<std::uint32_t>(n), &written);
        if (status != FT_OK) {
            m_lastStatus = status;
            continue;
        }
        if (written < static_cast<std::uint32_t>(n)) {
            if (m_onShortWrite)
                m_onShortWrite();
            continue;
        }
        // The echo is read and dropped, not compared: a garbled echo shows up
        // as a bad response from the radio anyway.
        if (m_echoReadBack && ReadExactly(echo.data(), n) != n)
            continue;
        return n;
    }
    return -1;
}
