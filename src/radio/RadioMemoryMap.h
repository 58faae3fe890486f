#pragma once
// The radio's memory as the sessions see it, and the packing of every radio
// record into the codeplug image and back. Pure functions on byte buffers and
// the image: no cable here.
//
// Addresses are the 24-bit addresses of the memory requests. Bits are
// numbered 7 = most significant. Multi-byte values in the radio go high byte
// first (the image keeps its own little-endian numbers).
//
//   address   length                 content
//   0x10000   410 read; 386, 398     settings record (bytes 0-32), 19 channel
//             or 410 written         records of 14 bytes (36-301), six PL code
//                                    words (302-313), six DPL code words
//                                    (314-325), further radio bytes (to 409)
//   0x10009   4                      radio password (settings bytes 9-12)
//   0x10800   6 per frequency        frequency records (written one by one
//                                    with the write-frequency-record request)
//   0x10A80   8                      start and end frequency
//   0x10A8C   20                     limit record
//   0x10A91   1                      limit record byte 5 (identify, older firmware)
//   0x10A92   8                      first byte: limit record byte 6, the valid frequencies
//   0x10A99   1                      R16 correction: bit 7 cleared
//   0x10A9E   1                      limit record byte 18 (identify, newer firmware)
//   0x10C01   1                      serial-clone compatibility
//   0x10C8E   1                      compander marker, "/" or "o"
//   0x10C9C   196                    R16 correction: fixed table
//   0x10D80   2                      synth_base_int_part
//   0x10E18   32                     header
//   0x10E22   10                     header bytes 10-19 (identify)
//   0x20466   2                      R16 correction: written as 00 00

#include "codeplug/VirtualCP.h"

#include <QtGlobal>

#include <array>
#include <span>

namespace RadioMemoryMap {

// ---- addresses and lengths ----
inline constexpr quint32 kSettingsBlock = 0x10000;
inline constexpr int kSettingsBlockReadSize = 410;
// What a write sends: the settings and channel records only, with the PL
// words too, or with the DPL words as well.
inline constexpr int kSettingsBlockBaseSize = 386;
inline constexpr int kSettingsBlockPLSize = 398;
inline constexpr int kSettingsBlockDPLSize = 410;
inline constexpr quint32 kPassword = 0x10009;
inline constexpr int kPasswordSize = 4;
inline constexpr quint32 kFrequencyRecords = 0x10800;
inline constexpr quint32 kStartEndFrequency = 0x10A80;
inline constexpr int kStartEndFrequencySize = 8;
inline constexpr quint32 kLimitRecord = 0x10A8C;
inline constexpr int kLimitRecordSize = 20;
inline constexpr quint32 kLimitMaxCodeOlder = 0x10A91; // limit record byte 5
inline constexpr quint32 kValidFrequencies = 0x10A92;  // limit record byte 6, read as 8 bytes
inline constexpr int kValidFrequenciesReadSize = 8;
inline constexpr quint32 kR16Flags = 0x10A99;         // limit record byte 13
inline constexpr quint8 kR16FlagsClearedBit = 0x80;
inline constexpr quint32 kLimitMaxCodeNewer = 0x10A9E; // limit record byte 18
inline constexpr quint32 kCloneCompatibility = 0x10C01;
inline constexpr quint32 kCompanderMarker = 0x10C8E;
inline constexpr quint8 kCompanderMarkerPlain = '/';
inline constexpr quint8 kCompanderMarkerSet = 'o';
inline constexpr quint32 kR16Table = 0x10C9C;
inline constexpr int kR16TableSize = 196;
inline constexpr quint32 kSynthBase = 0x10D80;
inline constexpr int kSynthBaseSize = 2;
inline constexpr quint32 kHeader = 0x10E18;
inline constexpr int kHeaderSize = 32;
inline constexpr quint32 kHeaderIdentity = 0x10E22; // header bytes 10-19
inline constexpr int kHeaderIdentitySize = 10;
inline constexpr quint32 kR16Clear = 0x20466;
inline constexpr int kR16ClearSize = 2;

// The control requests a write sends (their meaning is the radio's own).
struct ControlParameters
{
    quint8 p1, p2, p3;
};
inline constexpr ControlParameters kControlAfterSettings{0x1F, 0x03, 0x00};
inline constexpr ControlParameters kControlR16{0x1F, 0x04, 0x00};
inline constexpr ControlParameters kControlCommit{0x1F, 0x00, 0x00};

// ---- header (32 bytes at 0x10E18) ----
namespace Header {
inline constexpr int kSerial = 0;             // 10 bytes -> serial
inline constexpr int kModelCharacters = 10;   // 3 characters
inline constexpr int kModelDigits = 13;       // 5 numbers 0-9
inline constexpr int kCodeplugPhase = 18;
inline constexpr int kCodeplugVersion = 19;
inline constexpr int kCodeplugDevVersion = 20; // 21-31 not used
} // namespace Header

// ---- limit record (20 bytes at 0x10A8C) ----
namespace Limit {
inline constexpr int kMaxChannels = 4;     // bits 4-0
inline constexpr int kMaxCodesOlder = 5;   // bits 6-0, older firmware
inline constexpr int kMaxValidFreqs = 6;   // all
inline constexpr int kModeByte = 7;        // bit 5 programming mode, bits 4-3 preset buttons,
                                           // bits 2, 1, 0 voice chip, channel disabling, talk-around scan
inline constexpr int kCallTones = 8;       // bits 2-0
inline constexpr int kFeatureByte1 = 10;   // bits 7-0: 0x28-0x2F of the image
inline constexpr int kFeatureByte2 = 11;   // bits 7-4: 0x30-0x33; bit 3 backlight button; bit 2 power control
inline constexpr int kFeatureByte3 = 13;   // bits 7, 6, 5: repeater, call, monitor
inline constexpr int kKeypadLockByte = 16; // bit 3
inline constexpr int kMaxCodesNewer = 18;  // all, newer firmware
} // namespace Limit

// ---- settings record (bytes 0-32 of the block at 0x10000) ----
namespace Settings {
inline constexpr int kSize = 33;
inline constexpr int kGains = 0;          // 7-4 accessory microphone gain, 3-2 microphone gain, 1-0 vox level
inline constexpr int kAudioFlags = 1;     // 7-6 ivol level; 5 backlight; 4 reverse burst;
                                          // 3 keypad beep inverted; 2 keypad lock; 1 roger beep tone; 0 battery type
inline constexpr int kRestoreDefault = 2; // 7 disableRestoreFactoryDefault; 6-0 the radio's own
inline constexpr int kScrambleFlags = 3;  // 7 the radio's own; 6 disableBatterySave; 5 disableSelectableScramble;
                                          // 4 see PackSettingsRecord; 3-0 callTone
inline constexpr int kPresetChannels = 4; // 2 bytes
inline constexpr int kChannelCount = 6;   // 7 disableLED; 6-0 numberChannels
inline constexpr int kBacklightTimeout = 7;
inline constexpr int kTimeoutTimer = 8;
inline constexpr int kPassword = 9;       // 4 bytes
inline constexpr int kButtonTable = 13;   // 8 bytes, the image's button table
inline constexpr int kScanList = 21;      // 3 bytes
inline constexpr int kScanListSize = 3;
inline constexpr int kPowerupString = 24; // 8 bytes
inline constexpr int kVoiceLanguage = 32; // 7-5; 4-0 written as 0
inline constexpr quint8 kScrambleKeyBit = 0x10; // byte 3 bit 4
// The button value that makes the scramble key bit the radio's.
inline constexpr quint8 kScrambleButtonValue = 12;
} // namespace Settings

// ---- channel records (14 bytes; record i at 36 + 14 i of the block) ----
namespace ChannelRecord {
inline constexpr int kFirst = 36;
inline constexpr int kSize = 14;
inline constexpr int kRxFreqNdx = 0, kRxCode = 1, kTxFreqNdx = 2, kTxCode = 3;
inline constexpr int kFlags = 4;      // 7 tx_bw, 6 talkaround_power, 5 autoScan, 4-3 scramble_code,
                                      // 2 repeater, 1 rx_bw, 0 repeater_power
inline constexpr int kName = 5;       // 8 bytes, 7-bit characters in bits 6-0
inline constexpr int kNameWidth = 8;
inline constexpr int kDisableChannelByte = 5; // bit 7
inline constexpr int kTalkaroundScanByte = 6; // bit 7
inline constexpr int kCheckByte = 13;
inline constexpr quint8 kCheckBase = 0x5A;
} // namespace ChannelRecord

// ---- PL and DPL code words in the block (high byte first) ----
inline constexpr int kPLWords = 302;  // six words, 302-313
inline constexpr int kDPLWords = 314; // six words, 314-325
// maxCodes above these carries the PL words, and the DPL words too.
inline constexpr quint32 kLastStandardCode = 122;
inline constexpr quint32 kLastPLCode = 213;

// ---- frequency records (6 bytes) ----
namespace FrequencyRecord {
inline constexpr int kSize = 6;
// byte 0: bits 6-3 R, bits 2-0 divider offset bits 6-4;
// byte 1: bits 7-4 divider offset bits 3-0, 3-2 power_level, 1-0 compander_lle_mode;
// byte 2: bits 7-6 bandwidth, 5-3 byte 5 of the slot, 2-0 fraction high bits 10-8;
// byte 3: fraction high bits 7-0; bytes 4-5: fraction low, high byte first.
} // namespace FrequencyRecord
inline constexpr quint8 kCompanderModeMarked = 3;

// ---- firmware ----

// Which limit-record byte carries maxCodes for a read: newer firmware is "R"
// with a version above "1", or "R", "1" and a revision "7" or above; or "D"
// with a version "7" or above.
bool IsNewerFirmwareForLimits(quint8 phase, quint8 version, quint8 revision);
// The identify step's own rule, which differs: "R", "1" and a revision "7" or
// above, or "D" and the version exactly "7".
bool IdentifyReadsNewerMaxCode(quint8 phase, quint8 version, quint8 revision);

// ---- radio -> image (a read) ----

void UnpackHeader(std::span<const quint8, kHeaderSize> header, VirtualCP &image);
void UnpackSynthBase(std::span<const quint8, kSynthBaseSize> bytes, VirtualCP &image);
// The three firmware characters of the version answer.
void UnpackFirmware(quint8 phase, quint8 version, quint8 revision, VirtualCP &image);
// In the layout of the image's firmware (set it first).
void UnpackLimitRecord(std::span<const quint8, kLimitRecordSize> record, VirtualCP &image);
void UnpackSettingsRecord(std::span<const quint8, Settings::kSize> record, VirtualCP &image);
// The check byte goes to the slot's reserved byte, unverified.
void UnpackChannelRecord(std::span<const quint8, ChannelRecord::kSize> record, int slot, VirtualCP &image);
// The settings record, channel records 0 .. maxChannels - 1 and the code
// words as maxCodes allows (the limit record must be in the image).
void UnpackSettingsBlock(std::span<const quint8, kSettingsBlockReadSize> block, VirtualCP &image);
void UnpackFrequencyRecord(std::span<const quint8, FrequencyRecord::kSize> record, int slot, VirtualCP &image);
void UnpackStartEndFrequency(std::span<const quint8, kStartEndFrequencySize> bytes, VirtualCP &image);

// ---- image -> radio (a write) ----

// How many bytes of the block a write sends for this maxCodes: 386, 398 or 410.
int SettingsBlockWriteLength(quint32 maxCodes);
// Packs into the radio's own record, keeping the bits the image does not own.
void PackSettingsRecord(const VirtualCP &image, std::span<quint8, Settings::kSize> record);
void PackChannelRecord(const VirtualCP &image, int slot, std::span<quint8, ChannelRecord::kSize> record);
quint8 ChannelCheckByte(std::span<const quint8, ChannelRecord::kSize> record);
// Packs the settings record, channel records 0 .. maxChannels - 1 and the code
// words of the image's maxCodes into `block`, which holds the radio's bytes
// (at least the answer's length); answers the length to send.
int PackSettingsBlock(const VirtualCP &image, std::span<quint8> block);
// The slot values shifted into place without masking.
std::array<quint8, FrequencyRecord::kSize> PackFrequencyRecord(const VirtualCP &image, int slot);

// ---- the R16 correction ----

// Model digit 1 is 4 or 5, model character 3 not "D", and the firmware
// characters exactly "R", "1", "6".
bool NeedsR16Correction(const VirtualCP &image);
// Table A for model character 2 "V" with model digit 1 5; table B for another
// character 2 with model digit 1 4; nullptr otherwise.
const std::array<quint8, kR16TableSize> *R16Table(const VirtualCP &image);
const std::array<quint8, kR16TableSize> &R16TableA();
const std::array<quint8, kR16TableSize> &R16TableB();

} // namespace RadioMemoryMap
