// Real cables: every FTDI USB device (vendor 0x0403), found through libusb
// and driven through libftdi1. The kernel's serial driver (ftdi_sio) is
// detached while a handle is held and attached again when it is closed, so
// the cable stays usable as a serial port for other programs.
//
// A user needs read-write access to the USB device node; the installation's
// udev rule gives it to the group plugdev.

#include "radio/CableDevices.h"

#include <ftdi.h>
#include <libusb.h>

#include <QLoggingCategory>

#include <algorithm>
#include <mutex>

namespace {

Q_LOGGING_CATEGORY(lcUsb, "tarncps.cable.usb")

using Clock = std::chrono::steady_clock;

constexpr int kFtdiVendor = 0x0403;

// One libusb context for listing, made on first use and kept: setting one up
// every second (the cable poller counts that often) would restart libusb's
// device monitor each time.
std::mutex g_usbMutex;
libusb_context *g_usb = nullptr;
bool g_usbTried = false;

libusb_context *ListingContext()
{
    if (!g_usbTried) {
        g_usbTried = true;
        const int result = libusb_init(&g_usb);
        if (result != 0) {
            qCInfo(lcUsb) << "no USB access:" << libusb_error_name(result);
            g_usb = nullptr;
        }
    }
    return g_usb;
}

QByteArray ProductString(libusb_device *device, const libusb_device_descriptor &descriptor, bool *ok)
{
    *ok = false;
    libusb_device_handle *handle = nullptr;
    if (libusb_open(device, &handle) != 0)
        return {};
    unsigned char text[FT_DESCRIPTION_SIZE] = {};
    int length = 0;
    if (descriptor.iProduct != 0)
        length = libusb_get_string_descriptor_ascii(handle, descriptor.iProduct, text, sizeof text - 1);
    libusb_close(handle);
    if (length < 0)
        return {};
    *ok = true;
    return QByteArray(reinterpret_cast<const char *>(text), length);
}

class CFtdiCable : public CCableDevice
{
public:
    explicit CFtdiCable(ftdi_context *ftdi)
        : m_ftdi(ftdi)
    {
    }
    ~CFtdiCable() override
    {
        ftdi_usb_close(m_ftdi);
        ftdi_free(m_ftdi);
    }

    FT_STATUS SetBaudRate(unsigned long baudRate) override
    {
        return ftdi_set_baudrate(m_ftdi, static_cast<int>(baudRate)) == 0 ? FT_OK : FT_INVALID_BAUD_RATE;
    }

    FT_STATUS SetDataCharacteristics(unsigned char wordLength, unsigned char stopBits, unsigned char parity) override
    {
        const ftdi_bits_type bits = wordLength == FT_BITS_7 ? BITS_7 : BITS_8;
        const ftdi_stopbits_type stop = stopBits == FT_STOP_BITS_2 ? STOP_BIT_2 : STOP_BIT_1;
        const ftdi_parity_type parityType = static_cast<ftdi_parity_type>(parity); // same numbering
        return ftdi_set_line_property(m_ftdi, bits, stop, parityType) == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS SetFlowControl(unsigned short flowControl, unsigned char xonChar, unsigned char xoffChar) override
    {
        int result;
        switch (flowControl) {
        case FT_FLOW_RTS_CTS: result = ftdi_setflowctrl(m_ftdi, SIO_RTS_CTS_HS); break;
        case FT_FLOW_DTR_DSR: result = ftdi_setflowctrl(m_ftdi, SIO_DTR_DSR_HS); break;
        case FT_FLOW_XON_XOFF: result = ftdi_setflowctrl_xonxoff(m_ftdi, xonChar, xoffChar); break;
        default: result = ftdi_setflowctrl(m_ftdi, SIO_DISABLE_FLOW_CTRL); break;
        }
        return result == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS SetTimeouts(unsigned long readTimeout, unsigned long writeTimeout) override
    {
        CCableDevice::SetTimeouts(readTimeout, writeTimeout);
        m_ftdi->usb_read_timeout = static_cast<int>(std::max(1ul, readTimeout));
        m_ftdi->usb_write_timeout = static_cast<int>(std::max(1ul, writeTimeout));
        return FT_OK;
    }

    FT_STATUS Purge(unsigned long mask) override
    {
        if ((mask & FT_PURGE_RX) && ftdi_tciflush(m_ftdi) != 0)
            return FT_IO_ERROR;
        if ((mask & FT_PURGE_TX) && ftdi_tcoflush(m_ftdi) != 0)
            return FT_IO_ERROR;
        return FT_OK;
    }

    FT_STATUS Read(unsigned char *buffer, std::uint32_t count, std::uint32_t *received) override
    {
        // ftdi_read_data returns what one USB transfer brought (often nothing:
        // the chip reports every latency period), so keep asking until the
        // bytes are there or the read time-out has passed.
        const Clock::time_point deadline = Clock::now() + m_readTimeout;
        std::uint32_t got = 0;
        while (got < count) {
            const int n = ftdi_read_data(m_ftdi, buffer + got, static_cast<int>(count - got));
            if (n < 0) {
                *received = got;
                return FT_IO_ERROR;
            }
            got += static_cast<std::uint32_t>(n);
            if (got < count && Clock::now() >= deadline)
                break;
        }
        *received = got;
        return FT_OK;
    }

    FT_STATUS Write(const unsigned char *buffer, std::uint32_t count, std::uint32_t *written) override
    {
        const int n = ftdi_write_data(m_ftdi, buffer, static_cast<int>(count));
        if (n < 0) {
            *written = 0;
            return FT_IO_ERROR;
        }
        *written = static_cast<std::uint32_t>(n);
        return FT_OK;
    }

private:
    ftdi_context *m_ftdi;
};

} // namespace

namespace CableDevices {

std::vector<CableDeviceEntry> ListUsbDevices(bool withDescriptions)
{
    std::vector<CableDeviceEntry> devices;
    std::lock_guard<std::mutex> lock(g_usbMutex);
    libusb_context *usb = ListingContext();
    if (!usb)
        return devices;
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(usb, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0 || descriptor.idVendor != kFtdiVendor)
            continue;
        CableDeviceEntry entry;
        entry.kind = CableDeviceEntry::Kind::Usb;
        entry.busNumber = libusb_get_bus_number(list[i]);
        entry.deviceAddress = libusb_get_device_address(list[i]);
        if (withDescriptions)
            entry.description = ProductString(list[i], descriptor, &entry.described);
        devices.push_back(std::move(entry));
    }
    if (count >= 0)
        libusb_free_device_list(list, 1);
    return devices;
}

std::unique_ptr<CCableDevice> OpenUsbDevice(const CableDeviceEntry &entry, FT_STATUS *status)
{
    *status = FT_DEVICE_NOT_OPENED;
    ftdi_context *ftdi = ftdi_new();
    if (!ftdi) {
        *status = FT_INSUFFICIENT_RESOURCES;
        return nullptr;
    }
    ftdi->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;

    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(ftdi->usb_ctx, &list);
    libusb_device *device = nullptr;
    for (ssize_t i = 0; i < count && !device; ++i) {
        if (libusb_get_bus_number(list[i]) == entry.busNumber &&
            libusb_get_device_address(list[i]) == entry.deviceAddress)
            device = list[i];
    }
    const bool opened = device && ftdi_usb_open_dev(ftdi, device) == 0;
    if (!opened && device)
        qCInfo(lcUsb) << "cannot open the USB device:" << ftdi_get_error_string(ftdi);
    if (count >= 0)
        libusb_free_device_list(list, 1);
    if (!opened) {
        if (!device)
            *status = FT_DEVICE_NOT_FOUND;
        ftdi_free(ftdi);
        return nullptr;
    }
    // The chip holds received bytes back for its latency period (16 ms by
    // default) before it sends a short packet; the radio's answers come a
    // byte at a time after every request, so keep that period short.
    ftdi_set_latency_timer(ftdi, 1);
    *status = FT_OK;
    return std::make_unique<CFtdiCable>(ftdi);
}

} // namespace CableDevices
