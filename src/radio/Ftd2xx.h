#pragma once
// The cable driver calls, in the shape of the FTDI D2XX library: the same
// names, arguments, flag values and status codes, so everything above this
// seam reads like code written against that library. Behind it sit two kinds
// of device, listed together (USB devices first, then virtual cables):
//
//  - every FTDI USB device (vendor 0x0403), driven through libftdi1. Its
//    description is the USB product string. While a handle is held the
//    kernel's serial driver is detached from the device; closing the handle
//    gives the device back to it.
//  - virtual cables: each Unix-domain stream socket "<description>.sock" in
//    the folder named by the environment variable TARNCPS_VIRTUAL_CABLES, or
//    else by the user configuration value "VirtualCables". Opening connects
//    to the socket, closing disconnects; the far end plays the cable and the
//    radio behind it (it echoes every byte, as the half-duplex cable does).
//
// Device indexes are positions in that combined list. Descriptions asked for
// by index come from the list made by the last FT_LIST_NUMBER_ONLY call; an
// open looks at the devices present at the time of the call.
//
// Every call is safe from any thread. A handle must not be used after it was
// closed; an unknown or closed handle answers FT_INVALID_HANDLE.

#include <cstdint>

using FT_HANDLE = void *;
using FT_STATUS = unsigned long;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
};

// FT_ListDevices flags.
inline constexpr std::uint32_t FT_LIST_NUMBER_ONLY = 0x80000000;
inline constexpr std::uint32_t FT_LIST_BY_INDEX = 0x40000000;
inline constexpr std::uint32_t FT_LIST_ALL = 0x20000000;
inline constexpr std::uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr std::uint32_t FT_OPEN_BY_DESCRIPTION = 2;

// Size of the buffer a description is written into, terminating NUL included.
inline constexpr int FT_DESCRIPTION_SIZE = 64;

// FT_SetDataCharacteristics values.
inline constexpr unsigned char FT_BITS_8 = 8;
inline constexpr unsigned char FT_BITS_7 = 7;
inline constexpr unsigned char FT_STOP_BITS_1 = 0;
inline constexpr unsigned char FT_STOP_BITS_2 = 2;
inline constexpr unsigned char FT_PARITY_NONE = 0;
inline constexpr unsigned char FT_PARITY_ODD = 1;
inline constexpr unsigned char FT_PARITY_EVEN = 2;
inline constexpr unsigned char FT_PARITY_MARK = 3;
inline constexpr unsigned char FT_PARITY_SPACE = 4;

// FT_SetFlowControl values.
inline constexpr unsigned short FT_FLOW_NONE = 0x0000;
inline constexpr unsigned short FT_FLOW_RTS_CTS = 0x0100;
inline constexpr unsigned short FT_FLOW_DTR_DSR = 0x0200;
inline constexpr unsigned short FT_FLOW_XON_XOFF = 0x0400;

// FT_Purge mask bits.
inline constexpr unsigned long FT_PURGE_RX = 1;
inline constexpr unsigned long FT_PURGE_TX = 2;

// Read and write time-out of a handle until FT_SetTimeouts changes it, in ms.
inline constexpr unsigned long FT_DEFAULT_TIMEOUT = 1000;

// (&count, unused, FT_LIST_NUMBER_ONLY): count is a std::uint32_t.
// (index cast to a pointer, 64-byte buffer, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION):
//   the device's description, NUL-terminated, cut to 63 bytes.
// A machine without any USB access lists its virtual cables only.
FT_STATUS FT_ListDevices(void *pArg1, void *pArg2, std::uint32_t flags);
FT_STATUS FT_Open(int deviceNumber, FT_HANDLE *pHandle);
FT_STATUS FT_Close(FT_HANDLE handle);
// The rate is handed to the device as given; it is never rounded to a
// standard serial rate here.
FT_STATUS FT_SetBaudRate(FT_HANDLE handle, unsigned long baudRate);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, unsigned char wordLength, unsigned char stopBits,
                                    unsigned char parity);
FT_STATUS FT_SetFlowControl(FT_HANDLE handle, unsigned short flowControl, unsigned char xonChar,
                            unsigned char xoffChar);
// Milliseconds; FT_Read waits at most the read time-out for its bytes, FT_Write
// at most the write time-out for room to send them.
FT_STATUS FT_SetTimeouts(FT_HANDLE handle, unsigned long readTimeout, unsigned long writeTimeout);
FT_STATUS FT_Purge(FT_HANDLE handle, unsigned long mask);
// Waits until bytesToRead bytes arrived or the read time-out passed; a time-out
// is FT_OK with fewer bytes returned.
FT_STATUS FT_Read(FT_HANDLE handle, void *buffer, std::uint32_t bytesToRead, std::uint32_t *bytesReturned);
// A write time-out is FT_OK with fewer bytes written.
FT_STATUS FT_Write(FT_HANDLE handle, const void *buffer, std::uint32_t bytesToWrite, std::uint32_t *bytesWritten);
