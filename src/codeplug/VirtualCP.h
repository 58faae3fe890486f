#pragma once
// The codeplug image: the fixed 2148-byte picture of one radio's
// configuration. The radio link fills it from a radio and writes it back; the
// conversion turns it into a profile and a profile into it. Every field is
// named here once, with its place, next to the profile attribute it feeds;
// everything else reads and writes through the accessors below.
//
// Multi-byte numbers are little-endian and unsigned. Text fields hold
// characters of the system code page, zero-padded, with no terminator when
// the text fills the field; the accessors hand them over as bytes and leave
// the code page to the caller. A boolean byte holds 0 or 1.
//
//   offset  size  region
//   0x000     28  factory block
//   0x01C     44  limit block
//   0x048     44  setting block
//   0x074    418  channel table: 19 records of 22 bytes
//   0x216     24  customised code table: 12 words; 2 reserved bytes at 0x22E
//   0x230   1584  frequency table: 99 records of 16 bytes
//   0x860      1  clone-compatibility byte; 3 reserved bytes at 0x861
//
// An index outside its table (channel or frequency slot, preset, customised
// code number, model position) is the caller's fault: debug builds stop on an
// assertion, release builds ignore the write and read 0 or an empty text.
// The button table and the scan-list bit set are different: an entry or bit
// beyond them is ignored by design, and callers rely on that.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>

class VirtualCP
{
public:
    static constexpr int kSize = 2148;

    // Kinds of field in the three fixed blocks and the clone byte.
    struct Flag { int offset; };            // boolean byte
    struct Byte { int offset; };            // one-byte number, or one character
    struct Dword { int offset; };           // 32-bit number
    struct Text { int offset; int width; }; // zero-padded text of width bytes
    struct HexDigit { int offset; };        // one hexadecimal digit character
    // Kinds of field inside a channel record, by offset within the record.
    struct ChannelFlag { int offset; };
    struct ChannelByte { int offset; };
    struct ChannelText { int offset; int width; };
    // Kinds of field inside a frequency record, by offset within the record.
    struct FrequencyByte { int offset; };
    struct FrequencyDword { int offset; };

    // Regions.
    static constexpr int kFactoryBlockOffset = 0x000, kFactoryBlockSize = 28;
    static constexpr int kLimitBlockOffset = 0x01C, kLimitBlockSize = 44;
    static constexpr int kSettingBlockOffset = 0x048, kSettingBlockSize = 44;
    static constexpr int kChannelTableOffset = 0x074, kChannelCount = 19, kChannelRecordSize = 22;
    static constexpr int kCustomisedCodeTableOffset = 0x216, kCustomisedCodeCount = 12; // 16-bit words
    static constexpr int kFrequencyTableOffset = 0x230, kFrequencyCount = 99, kFrequencyRecordSize = 16;

    // Factory block, 0x00-0x1B.
    static constexpr Byte kFirmwarePhase{0x00};           // firmware_phase, a character
    static constexpr HexDigit kFirmwareVersion{0x01};     // firmware_version (0-15)
    static constexpr HexDigit kFirmwareRevision{0x02};    // firmware_revision (0-15)
    static constexpr Byte kCodeplugPhase{0x03};           // codeplug_phase, a character
    static constexpr Byte kCodeplugVersion{0x04};         // codeplug_version
    static constexpr Byte kCodeplugDevVersion{0x05};      // codeplug_dev_version
    static constexpr int kModelCharactersOffset = 0x06;   // model characters 1-3, one character each
    static constexpr int kModelCharacterCount = 3;
    static constexpr int kModelDigitsOffset = 0x09;       // model characters 4-8, as numbers 0-9
    static constexpr int kModelDigitCount = 5;
    static constexpr Text kSerial{0x0E, 10};              // serial
    static constexpr Dword kSynthBaseIntPart{0x18};       // synth_base_int_part

    // Limit block, 0x1C-0x47 (0x1E-0x1F, 0x39-0x3B and 0x47 reserved).
    static constexpr Byte kMaxChannels{0x1C};                  // maxChannels
    static constexpr Byte kMaxValidFreqs{0x1D};                // max_valid_freqs
    static constexpr Dword kStartFreq{0x20};                   // start_freq, Hz
    static constexpr Dword kEndFreq{0x24};                     // end_freq, Hz
    static constexpr Flag kDisableTimeOutTimer{0x28};          // disable_time_out_timer
    // A model flag without a profile attribute: the radio link fills it from
    // the radio and the conversion leaves it as it is.
    static constexpr Flag kModelFlag{0x29};
    static constexpr Flag kDisableKeypadBeepFeature{0x2A};     // disable_keypad_beep_feature
    static constexpr Flag kDisableRogerBeepFeature{0x2B};      // disable_roger_beep_feature
    static constexpr Flag kDisableBusyLedMode{0x2C};           // disable_busy_led_mode
    static constexpr Flag kEnableReverseBurst{0x2D};           // enable_reverse_burst
    static constexpr Flag kDisableVoxFeature{0x2E};            // disable_vox_feature
    static constexpr Flag kDisableIvoxFeature{0x2F};           // disable_ivox_feature
    static constexpr Flag kDisableScrambleFeature{0x30};       // disable_scramble_feature
    static constexpr Flag kDisableBatterySaveFeature{0x31};    // disable_battery_save_feature
    static constexpr Flag kFactoryResetDisable{0x32};          // factory_reset_disable
    static constexpr Flag kDisableScanMode{0x33};              // disable_scan_mode
    static constexpr Flag kVoiceChipEnable{0x34};              // voice_chip_enable
    static constexpr Flag kDisableChannelEnable{0x35};         // disable_channel_enable
    static constexpr Flag kTalkaroundScanEnable{0x36};         // talkaround_scan_enable
    static constexpr Byte kMaxCallTones{0x37};                 // max_call_tones
    static constexpr Byte kMaxPresetButtons{0x38};             // maxPresetButtons
    static constexpr Dword kMaxCodes{0x3C};                    // maxCodes
    static constexpr Flag kPowerCntrlEnabled{0x40};            // power_cntrl_enabled
    static constexpr Flag kBacklightButtonEnabled{0x41};       // backlight_button_enabled
    static constexpr Flag kProgrammingModeEnabled{0x42};       // programming_mode_enabled
    static constexpr Flag kCallFeatureDisable{0x43};           // call_feature_disable
    static constexpr Flag kMonitorFeatureDisable{0x44};        // monitor_feature_disable
    static constexpr Flag kDisableKeypadLockFeature{0x45};     // disable_keypad_lock_feature
    static constexpr Flag kDisableRepeaterFeature{0x46};       // disable_repeater_feature

    // Setting block, 0x48-0x73.
    static constexpr Text kPassword{0x48, 4};                  // password
    static constexpr Flag kDisableLED{0x4C};                   // disableLED
    static constexpr Flag kDisableRestoreFactoryDefault{0x4D}; // disableRestoreFactoryDefault
    static constexpr Flag kBacklightEnabled{0x4E};             // backlight_enabled
    static constexpr Byte kTimeoutTimer{0x4F};                 // timeoutTimer
    static constexpr Flag kReverseBurst{0x50};                 // reverseBurst
    static constexpr Byte kVoxLevel{0x51};                     // vox_level
    static constexpr Byte kIvolLevel{0x52};                    // ivol_level
    static constexpr Byte kMicrophoneGain{0x53};               // microphoneGain
    static constexpr Byte kAccessoryMicrophoneGain{0x54};      // accessoryMicrophoneGain
    static constexpr Flag kBatteryType{0x55};                  // batteryType
    static constexpr Flag kDisableBatterySave{0x56};           // disableBatterySave
    // Button table, 8 bytes: 16 four-bit entries; entry k lies in byte
    // 0x57 + k div 2, an even k in the low four bits, an odd k in the high
    // four bits. Entries without a profile attribute are carried through.
    static constexpr int kButtonTableOffset = 0x57, kButtonEntryCount = 16;
    static constexpr int kUpperRightButEntry = 5;  // upper_right_but
    static constexpr int kSide1ButEntry = 6;       // side1_but
    static constexpr int kLowerLeftButEntry = 8;   // lower_left_but
    static constexpr int kLowerRightButEntry = 9;  // lower_right_but
    static constexpr int kSide2ButEntry = 11;      // side2_but
    // Scan-list bit set, 3 bytes: bit i (0-18) is bit i mod 8 of byte
    // 0x5F + i div 8, set when channel slot i is in the scan list
    // (in_scanlist of each channel). The five top bits are carried through.
    static constexpr int kScanListOffset = 0x5F, kScanBitCount = 19;
    static constexpr Byte kNumberChannels{0x62};               // numberChannels
    static constexpr Byte kVoiceLanguage{0x63};                // voice_language
    static constexpr Text kPowerupString{0x64, 8};             // powerupString
    static constexpr Flag kDisableSelectableScramble{0x6C};    // disableSelectableScramble
    static constexpr Flag kRogerBeepTone{0x6D};                // rogerBeepTone
    static constexpr Flag kKeypadLock{0x6E};                   // keypadLock
    static constexpr Flag kKeypadBeep{0x6F};                   // keypadBeep
    static constexpr Byte kCallTone{0x70};                     // callTone
    // channel of the first and of the second preset, one byte each
    static constexpr int kPresetChannelsOffset = 0x71, kPresetCount = 2;
    static constexpr Byte kBacklightTimeout{0x73};             // backlight_timeout

    // Channel record, 22 bytes; slot i starts at 0x74 + 22 * i. The names are
    // the attributes of the profile's channel element.
    struct Channel
    {
        static constexpr ChannelByte kRxFreqNdx{0};       // rx_freq_ndx
        static constexpr ChannelByte kRxCode{1};          // rx_code
        static constexpr ChannelByte kTxFreqNdx{2};       // tx_freq_ndx
        static constexpr ChannelByte kTxCode{3};          // tx_code
        static constexpr ChannelFlag kRxBw{4};            // rx_bw
        static constexpr ChannelFlag kTxBw{5};            // tx_bw
        static constexpr ChannelFlag kTalkaroundPower{6}; // talkaround_power
        static constexpr ChannelFlag kRepeaterPower{7};   // repeater_power
        static constexpr ChannelFlag kRepeater{8};        // repeater
        static constexpr ChannelFlag kAutoScan{9};        // autoScan
        static constexpr ChannelFlag kDisableChannel{10}; // disable_channel
        static constexpr ChannelFlag kTalkaroundScan{11}; // talkaround_scan
        static constexpr ChannelByte kScrambleCode{12};   // scramble_code
        // name. Two names are equal only when all 8 bytes are, the zero
        // bytes after the text included.
        static constexpr ChannelText kName{13, 8};
        // Reserved in the image; a read from the radio leaves the radio
        // record's check byte here, unverified.
        static constexpr ChannelByte kCheckByte{21};
    };

    // Customised code table: twelve 16-bit words from 0x216, addressed by
    // code number: PLcode124 ... PLcode129 in the words at 0x216-0x220,
    // PLcode214 ... PLcode219 in the words at 0x222-0x22C.
    static constexpr int kFirstCustomisedPL = 124, kFirstCustomisedDPL = 214, kCustomisedGroupSize = 6;

    // Frequency record, 16 bytes; slot j starts at 0x230 + 16 * j. The
    // frequency in hertz is (S * N + 2 * F) >> 1 with S = 16 800 000 div
    // (R + 1), N = divider offset + synth_base_int_part and F = (fraction high
    // << 16) | fraction low; with R = 7 that is 1 050 000 * N + F.
    struct Frequency
    {
        static constexpr FrequencyByte kReferenceDivider{0}; // R, written as 7
        // integer divider N minus the low byte of synth_base_int_part, mod 256
        static constexpr FrequencyByte kDividerOffset{1};
        static constexpr FrequencyByte kPowerLevel{2};       // power_level, low two bits used
        static constexpr FrequencyByte kCompanderLleMode{3}; // compander_lle_mode
        static constexpr FrequencyByte kBandwidth{4};        // bandwidth, low two bits used
        static constexpr FrequencyByte kByte5{5};            // written as 4; the radio's own business
        // 6-7 reserved
        static constexpr FrequencyDword kFractionHigh{8};    // fraction F, bits 16 and up
        static constexpr FrequencyDword kFractionLow{12};    // fraction F, low 16 bits
    };

    static constexpr Byte kSerialCloneCompatibility{0x860}; // serial_clone_compatibility

    // A cleared image.
    VirtualCP();

    // Every field 0, except the twelve customised code words, which are
    // 0xFFFF. Reserved bytes are zeroed too.
    void Clear();

    // Takes exactly kSize bytes; any other size is refused with false and
    // leaves the image as it was.
    bool Load(QByteArrayView bytes);
    QByteArray Save() const;
    const std::array<quint8, kSize> &Bytes() const { return m_bytes; }

    bool operator==(const VirtualCP &) const = default;

    // Fixed fields.
    bool Get(Flag field) const { return ReadU8(field.offset) != 0; }
    // The boolean byte as stored, for writers that show it as a number.
    quint8 FlagByte(Flag field) const { return ReadU8(field.offset); }
    void Set(Flag field, bool value) { WriteU8(field.offset, value ? 1 : 0); }
    quint8 Get(Byte field) const { return ReadU8(field.offset); }
    void Set(Byte field, quint8 value) { WriteU8(field.offset, value); }
    quint32 Get(Dword field) const { return ReadU32(field.offset); }
    void Set(Dword field, quint32 value) { WriteU32(field.offset, value); }
    // All width bytes, the padding included.
    QByteArray Get(Text field) const { return ReadBytes(field.offset, field.width); }
    // The bytes before the first zero byte.
    QByteArray GetString(Text field) const { return UpToZero(Get(field)); }
    // Zeroes the field, then stores the first at most width bytes of text.
    void Set(Text field, QByteArrayView text) { WriteText(field.offset, field.width, text); }

    // The digit's value: "0"-"9" give 0-9, "A"-"F" and "a"-"f" give 10-15,
    // any other byte 4294967295.
    quint32 Get(HexDigit field) const;
    // Stores the first character of value in upper-case hexadecimal without
    // leading zeros: 12 gives "C", and a value above 15 keeps only its
    // leading digit (16 gives "1").
    void Set(HexDigit field, quint32 value);
    // The character itself, as the radio reports it.
    quint8 Character(HexDigit field) const { return ReadU8(field.offset); }
    void SetCharacter(HexDigit field, quint8 character) { WriteU8(field.offset, character); }

    // model: characters 1-3 (index 0-2) and digits 1-5 (index 0-4).
    quint8 ModelCharacter(int index) const;
    void SetModelCharacter(int index, quint8 character);
    quint8 ModelDigit(int index) const;
    void SetModelDigit(int index, quint8 digit);
    // The model text: characters 1-3 up to the first zero byte, then each
    // digit byte in decimal with nothing between them ("ZRD" 4 1 6 1 0 gives
    // "ZRD41610").
    QByteArray Model() const;
    // Zeroes the eight bytes, stores characters 1-3 as they are and
    // characters 4-8 as numbers, a non-digit giving 0. A shorter text leaves
    // the missing places 0; characters after the eighth are not used.
    void SetModel(QByteArrayView model);

    // The serial pattern (positions from 1; a letter is A-Z): 1-3 digit;
    // 4 letter other than O; 5-6 letter other than O and I; 7 digit or
    // letter; 8 digit; 9-10 digit or letter other than O and I. Anything
    // that is not exactly ten such bytes is invalid.
    static bool IsValidSerial(QByteArrayView serial);
    bool HasValidSerial() const { return IsValidSerial(Get(kSerial)); }

    // Button entry k (0-15): its four-bit value; 0 for any other k.
    quint8 ButtonEntry(int entry) const;
    // Stores the low four bits of value; an entry outside 0-15 is ignored.
    void SetButtonEntry(int entry, quint8 value);

    // Scan-list bit i (0-18); false for any other i.
    bool ScanBit(int bit) const;
    // A bit outside 0-18 is ignored.
    void SetScanBit(int bit, bool inScanList);

    // channel of preset 0 or 1.
    quint8 PresetChannel(int preset) const;
    void SetPresetChannel(int preset, quint8 channel);

    // Code numbers 124-129 and 214-219.
    static bool IsCustomisedCode(int code);
    quint16 CustomisedCode(int code) const;
    void SetCustomisedCode(int code, quint16 value);

    // Channel slot fields (slot 0-18).
    bool Get(int slot, ChannelFlag field) const { return FlagByte(slot, field) != 0; }
    quint8 FlagByte(int slot, ChannelFlag field) const;
    void Set(int slot, ChannelFlag field, bool value);
    quint8 Get(int slot, ChannelByte field) const;
    void Set(int slot, ChannelByte field, quint8 value);
    QByteArray Get(int slot, ChannelText field) const;
    QByteArray GetString(int slot, ChannelText field) const { return UpToZero(Get(slot, field)); }
    void Set(int slot, ChannelText field, QByteArrayView text);
    // All 22 bytes of the slot zero.
    void ClearChannel(int slot);

    // Frequency slot fields (slot 0-98).
    quint8 Get(int slot, FrequencyByte field) const;
    void Set(int slot, FrequencyByte field, quint8 value);
    quint32 Get(int slot, FrequencyDword field) const;
    void Set(int slot, FrequencyDword field, quint32 value);

    // Fills R (7), the divider offset, byte 5 (4) and the two fraction words
    // of the slot for hz; the other bytes of the record keep their values.
    // Without a base the image's own synth_base_int_part is used.
    void EncodeFrequency(int slot, quint32 hz, quint32 synthBaseIntPart);
    void EncodeFrequency(int slot, quint32 hz) { EncodeFrequency(slot, hz, Get(kSynthBaseIntPart)); }
    quint32 DecodeFrequency(int slot, quint32 synthBaseIntPart) const;
    quint32 DecodeFrequency(int slot) const { return DecodeFrequency(slot, Get(kSynthBaseIntPart)); }

private:
    static QByteArray UpToZero(const QByteArray &bytes);
    static bool ChannelSlotValid(int slot);
    static bool FrequencySlotValid(int slot);

    quint8 ReadU8(int offset) const
    {
        Q_ASSERT(offset >= 0 && offset < kSize);
        return m_bytes[offset];
    }
    void WriteU8(int offset, quint8 value)
    {
        Q_ASSERT(offset >= 0 && offset < kSize);
        m_bytes[offset] = value;
    }
    quint16 ReadU16(int offset) const;
    void WriteU16(int offset, quint16 value);
    quint32 ReadU32(int offset) const;
    void WriteU32(int offset, quint32 value);
    QByteArray ReadBytes(int offset, int width) const;
    void WriteText(int offset, int width, QByteArrayView text);

    std::array<quint8, kSize> m_bytes{};
};
