#pragma once
// The identity record of the radio on the cable: 21 bytes that the identify
// step reads from the radio before any read or write, and that the transfer
// checks and the conversion consult. A default-made record is all zero, as
// the record is before each identify step.
//
//   byte   field                      from the radio
//   0-2    modelCharacters            header bytes 10-12; byte 2 is "R" on a
//                                     rotary radio, anything else marks a
//                                     display radio
//   3-7    modelDigits, numbers 0-9   header bytes 13-17; digits 2-3 form
//                                     the tier, digits 4-5 the region
//   8      firmwarePhase, a letter    version request
//   9      firmwareVersion, a digit   version request
//   10     firmwareRevision, a digit  version request
//   11     codeplugPhase, a character header byte 18; "D" exempts the radio
//                                     from the codeplug-version check
//   12     codeplugVersion            header byte 19
//   13-16  password, 4 characters,    0x10009
//          zero bytes when none
//   17     validFrequencies           first byte at 0x10A92
//   18     serialCloneCompatibility   0x10C01
//   19     unused                     nothing; kept so the bytes round-trip
//   20     maxCode, the largest       0x10A9E, or 0x10A91 with bit 7
//          PL/DPL code number the     cleared, by firmware
//          radio takes

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <optional>

struct CRadioIdentity
{
    static constexpr int kSize = 21;
    static constexpr int kModelCharactersOffset = 0, kModelCharacterCount = 3;
    static constexpr int kModelDigitsOffset = 3, kModelDigitCount = 5;
    static constexpr int kFirmwarePhaseOffset = 8;
    static constexpr int kFirmwareVersionOffset = 9;
    static constexpr int kFirmwareRevisionOffset = 10;
    static constexpr int kCodeplugPhaseOffset = 11;
    static constexpr int kCodeplugVersionOffset = 12;
    static constexpr int kPasswordOffset = 13, kPasswordSize = 4;
    static constexpr int kValidFrequenciesOffset = 17;
    static constexpr int kSerialCloneCompatibilityOffset = 18;
    static constexpr int kUnusedOffset = 19;
    static constexpr int kMaxCodeOffset = 20;

    std::array<quint8, kModelCharacterCount> modelCharacters{};
    std::array<quint8, kModelDigitCount> modelDigits{};
    quint8 firmwarePhase = 0;
    quint8 firmwareVersion = 0;
    quint8 firmwareRevision = 0;
    quint8 codeplugPhase = 0;
    quint8 codeplugVersion = 0;
    std::array<quint8, kPasswordSize> password{};
    quint8 validFrequencies = 0;
    quint8 serialCloneCompatibility = 0;
    quint8 unused = 0;
    quint8 maxCode = 0;

    // Exactly kSize bytes in the layout above; nothing for any other size.
    static std::optional<CRadioIdentity> FromBytes(QByteArrayView bytes);
    QByteArray ToBytes() const;

    bool operator==(const CRadioIdentity &) const = default;

    bool IsDisplayRadio() const { return modelCharacters[2] != 'R'; }
    // Two digit bytes written one after the other in decimal: digits 1 and 2
    // give "12". The tier is model digits 2-3, the region model digits 4-5.
    QByteArray TierText() const;
    QByteArray RegionText() const;
    // The password up to its first zero byte; empty when the radio has none.
    QByteArray PasswordText() const;
};
