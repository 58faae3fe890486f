#include "radio/Ftd2xx.h"
#include "radio/CableDevices.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// The list of the last count, which descriptions by index refer to.
std::mutex g_listMutex;
std::vector<CableDeviceEntry> g_lastList;

std::vector<CableDeviceEntry> ListDevices(bool withDescriptions)
{
    std::vector<CableDeviceEntry> devices = CableDevices::ListUsbDevices(withDescriptions);
    std::vector<CableDeviceEntry> cables = CableDevices::ListVirtualCables();
    devices.insert(devices.end(), cables.begin(), cables.end());
    return devices;
}

// Open devices by handle. Handles are small numbers, never pointers, so a
// stale handle is recognised instead of followed; a call in progress keeps
// its device alive while another thread closes the handle.
std::mutex g_handleMutex;
std::map<std::uintptr_t, std::shared_ptr<CCableDevice>> g_devices;
std::uintptr_t g_nextHandle = 1;

std::shared_ptr<CCableDevice> Device(FT_HANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_devices.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == g_devices.end() ? nullptr : it->second;
}

} // namespace

FT_STATUS FT_ListDevices(void *pArg1, void *pArg2, std::uint32_t flags)
{
    if (flags & FT_LIST_NUMBER_ONLY) {
        if (!pArg1)
            return FT_INVALID_PARAMETER;
        std::vector<CableDeviceEntry> devices = ListDevices(true);
        *static_cast<std::uint32_t *>(pArg1) = static_cast<std::uint32_t>(devices.size());
        std::lock_guard<std::mutex> lock(g_listMutex);
        g_lastList = std::move(devices);
        return FT_OK;
    }
    if (flags & FT_LIST_BY_INDEX) {
        if (!(flags & FT_OPEN_BY_DESCRIPTION))
            return FT_NOT_SUPPORTED;
        if (!pArg2)
            return FT_INVALID_PARAMETER;
        const std::size_t index = reinterpret_cast<std::uintptr_t>(pArg1);
        std::lock_guard<std::mutex> lock(g_listMutex);
        if (index >= g_lastList.size())
            g_lastList = ListDevices(true);
        if (index >= g_lastList.size())
            return FT_DEVICE_NOT_FOUND;
        const CableDeviceEntry &entry = g_lastList[index];
        if (!entry.described)
            return FT_DEVICE_NOT_OPENED;
        const std::size_t length = std::min<std::size_t>(entry.description.size(), FT_DESCRIPTION_SIZE - 1);
        std::memcpy(pArg2, entry.description.constData(), length);
        static_cast<char *>(pArg2)[length] = '\0';
        return FT_OK;
    }
    return FT_NOT_SUPPORTED;
}

FT_STATUS FT_Open(int deviceNumber, FT_HANDLE *pHandle)
{
    if (!pHandle)
        return FT_INVALID_PARAMETER;
    *pHandle = nullptr;
    if (deviceNumber < 0)
        return FT_DEVICE_NOT_FOUND;
    const std::vector<CableDeviceEntry> devices = ListDevices(false);
    if (static_cast<std::size_t>(deviceNumber) >= devices.size())
        return FT_DEVICE_NOT_FOUND;
    const CableDeviceEntry &entry = devices[deviceNumber];
    FT_STATUS status = FT_OK;
    std::unique_ptr<CCableDevice> device = entry.kind == CableDeviceEntry::Kind::Usb
                                               ? CableDevices::OpenUsbDevice(entry, &status)
                                               : CableDevices::OpenVirtualCable(entry, &status);
    if (!device)
        return status == FT_OK ? FT_DEVICE_NOT_OPENED : status;
    std::lock_guard<std::mutex> lock(g_handleMutex);
    const std::uintptr_t handle = g_nextHandle++;
    g_devices.emplace(handle, std::move(device));
    *pHandle = reinterpret_cast<FT_HANDLE>(handle);
    return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE handle)
{
    std::shared_ptr<CCableDevice> device;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto it = g_devices.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == g_devices.end())
            return FT_INVALID_HANDLE;
        device = std::move(it->second);
        g_devices.erase(it);
    }
    // The device closes here, or when a call still running on it returns.
    return FT_OK;
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, unsigned long baudRate)
{
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if (baudRate == 0)
        return FT_INVALID_BAUD_RATE;
    return device->SetBaudRate(baudRate);
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, unsigned char wordLength, unsigned char stopBits,
                                    unsigned char parity)
{
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > FT_PARITY_SPACE)
        return FT_INVALID_PARAMETER;
    return device->SetDataCharacteristics(wordLength, stopBits, parity);
}

FT_STATUS FT_SetFlowControl(FT_HANDLE handle, unsigned short flowControl, unsigned char xonChar,
                            unsigned char xoffChar)
{
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if (flowControl != FT_FLOW_NONE && flowControl != FT_FLOW_RTS_CTS && flowControl != FT_FLOW_DTR_DSR &&
        flowControl != FT_FLOW_XON_XOFF)
        return FT_INVALID_PARAMETER;
    return device->SetFlowControl(flowControl, xonChar, xoffChar);
}

FT_STATUS FT_SetTimeouts(FT_HANDLE handle, unsigned long readTimeout, unsigned long writeTimeout)
{
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    return device->SetTimeouts(readTimeout, writeTimeout);
}

FT_STATUS FT_Purge(FT_HANDLE handle, unsigned long mask)
{
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if (mask & ~(FT_PURGE_RX | FT_PURGE_TX))
        return FT_INVALID_PARAMETER;
    return device->Purge(mask);
}

FT_STATUS FT_Read(FT_HANDLE handle, void *buffer, std::uint32_t bytesToRead, std::uint32_t *bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if ((!buffer && bytesToRead > 0) || !bytesReturned)
        return FT_INVALID_PARAMETER;
    return device->Read(static_cast<unsigned char *>(buffer), bytesToRead, bytesReturned);
}

FT_STATUS FT_Write(FT_HANDLE handle, const void *buffer, std::uint32_t bytesToWrite, std::uint32_t *bytesWritten)
{
    if (bytesWritten)
        *bytesWritten = 0;
    std::shared_ptr<CCableDevice> device = Device(handle);
    if (!device)
        return FT_INVALID_HANDLE;
    if ((!buffer && bytesToWrite > 0) || !bytesWritten)
        return FT_INVALID_PARAMETER;
    return device->Write(static_cast<const unsigned char *>(buffer), bytesToWrite, bytesWritten);
}
