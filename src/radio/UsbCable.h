#pragma once
// The USB programming cable: finding it among the FTDI devices, opening and
// configuring it, and moving raw bytes with bounded retries.
//
// The cable is half-duplex: every byte sent comes back on the receive line.
// So each complete write is followed by reading the same number of bytes
// back (echo read-back), and a write whose echo does not come back is sent
// once more.
//
// Once the driver has answered a byte transfer with an error, the object
// keeps that status and every later transfer on it fails at once; each
// radio operation makes a new object, which starts clean.

#include "radio/Ftd2xx.h"

#include <functional>

class CUsbCable
{
public:
    // Tries of one read or write.
    static constexpr int kAttempts = 2;
    // Byte-read tries while the start of a radio's response is awaited.
    static constexpr int kResponseAttempts = 20;
    // The cable's line rate. It is not a standard serial rate and goes to the
    // driver as it is.
    static constexpr unsigned long kBaudRate = 16406;
    static constexpr unsigned long kTimeoutMs = 120;

    // Accepted descriptions, compared with their terminating NUL, so a
    // description that merely begins with one of them does not match.
    static constexpr char kQlmDescription[] = "QLM Series CPS Cable"; // 21 bytes with the NUL
    static constexpr char kQxDescription[] = "QX CPS Cable";          // 13 bytes with the NUL

    CUsbCable() = default;
    ~CUsbCable();
    CUsbCable(const CUsbCable &) = delete;
    CUsbCable &operator=(const CUsbCable &) = delete;

    // Whether a 64-byte description buffer holds an accepted description.
    static bool IsCableDescription(const char (&description)[FT_DESCRIPTION_SIZE]);

    // Number of programming cables among the FTDI devices. The device index of
    // the first one goes to *firstIndex (untouched when none is found). A
    // failed device count records the status and answers 0.
    int CountCables(int *firstIndex);

    // Opens and configures the device at that index: three tries, 500 ms and
    // 1000 ms apart, then rate, data characteristics, flow control and
    // time-outs. A configuration step that fails closes the handle again.
    bool Open(int deviceIndex);
    // True when a held handle was closed; false when none was held or the
    // driver refused (the status is recorded then).
    bool Close();
    bool IsOpen() const { return m_handle != nullptr; }
    FT_HANDLE Handle() const { return m_handle; }

    // Clears the driver's receive and transmit queues.
    void Purge();

    // Reads exactly n bytes in as many tries as ReadAttempts(): n, or -1.
    int ReadExactly(unsigned char *buffer, int n);
    // Writes n bytes and reads their echo back, in up to kAttempts tries: n, or -1.
    int WriteWithEcho(const unsigned char *buffer, int n);

    // The read tries in force: kAttempts, or kResponseAttempts while the frame
    // protocol awaits a response.
    void SetReadAttempts(int attempts) { m_readAttempts = attempts; }
    int ReadAttempts() const { return m_readAttempts; }
    void SetEchoReadBack(bool on) { m_echoReadBack = on; }
    bool EchoReadBack() const { return m_echoReadBack; }
    // Called when a write try sent fewer bytes than asked while the driver
    // said OK; the link that owns the cable clears its error code there.
    void SetShortWriteHandler(std::function<void()> handler) { m_onShortWrite = std::move(handler); }

    // The last non-OK status of a byte transfer, 0 while none.
    FT_STATUS LastStatus() const { return m_lastStatus; }

    // Set by the cable poller from its count (count > 0) and read back by it.
    bool IsConnected() const { return m_connected; }
    void SetConnected(bool connected) { m_connected = connected; }

private:
    bool OpenOnce(int deviceIndex);
    bool CanTransfer() const { return m_handle != nullptr && m_lastStatus == FT_OK; }

    FT_HANDLE m_handle = nullptr;
    FT_STATUS m_lastStatus = FT_OK;
    bool m_connected = false;
    int m_readAttempts = kAttempts;
    bool m_echoReadBack = true;
    std::function<void()> m_onShortWrite;
};
