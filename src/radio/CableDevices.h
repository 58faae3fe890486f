#pragma once
// The two kinds of device behind the driver calls of Ftd2xx.h: FTDI USB
// devices through libftdi1 and virtual cables on Unix-domain sockets. Only
// Ftd2xx.cpp uses this header.

#include "radio/Ftd2xx.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>
#include <vector>

// One device found by a listing.
struct CableDeviceEntry
{
    enum class Kind { Usb, Virtual };
    Kind kind = Kind::Virtual;
    // The description; described is false when it could not be read.
    QByteArray description;
    bool described = false;
    // USB: where the device sits; virtual: the socket's path.
    int busNumber = 0;
    int deviceAddress = 0;
    QString socketPath;
};

// An opened device. Calls on one device are made one at a time by the cable
// layer; the time-outs are kept here for both kinds.
class CCableDevice
{
public:
    virtual ~CCableDevice() = default;

    virtual FT_STATUS SetBaudRate(unsigned long baudRate) = 0;
    virtual FT_STATUS SetDataCharacteristics(unsigned char wordLength, unsigned char stopBits,
                                             unsigned char parity) = 0;
    virtual FT_STATUS SetFlowControl(unsigned short flowControl, unsigned char xonChar, unsigned char xoffChar) = 0;
    virtual FT_STATUS SetTimeouts(unsigned long readTimeout, unsigned long writeTimeout)
    {
        m_readTimeout = std::chrono::milliseconds(readTimeout);
        m_writeTimeout = std::chrono::milliseconds(writeTimeout);
        return FT_OK;
    }
    virtual FT_STATUS Purge(unsigned long mask) = 0;
    virtual FT_STATUS Read(unsigned char *buffer, std::uint32_t count, std::uint32_t *received) = 0;
    virtual FT_STATUS Write(const unsigned char *buffer, std::uint32_t count, std::uint32_t *written) = 0;

protected:
    std::chrono::milliseconds m_readTimeout{FT_DEFAULT_TIMEOUT};
    std::chrono::milliseconds m_writeTimeout{FT_DEFAULT_TIMEOUT};
};

namespace CableDevices {

// Every FTDI device on the USB, in bus order. Reading the descriptions opens
// each device briefly; a device that cannot be opened (no permission) is
// listed undescribed. No USB access at all lists nothing.
std::vector<CableDeviceEntry> ListUsbDevices(bool withDescriptions);
std::unique_ptr<CCableDevice> OpenUsbDevice(const CableDeviceEntry &entry, FT_STATUS *status);

// The folder of the virtual cables: TARNCPS_VIRTUAL_CABLES, else the user
// configuration value VirtualCables; empty when neither is set.
QString VirtualCableFolder();
// Every socket "<description>.sock" in that folder, sorted by file name.
std::vector<CableDeviceEntry> ListVirtualCables();
std::unique_ptr<CCableDevice> OpenVirtualCable(const CableDeviceEntry &entry, FT_STATUS *status);

} // namespace CableDevices
