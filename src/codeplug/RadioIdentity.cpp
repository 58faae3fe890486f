#include "codeplug/RadioIdentity.h"

#include <algorithm>

namespace {

template <std::size_t N>
void Take(QByteArrayView bytes, int offset, std::array<quint8, N> &field)
{
    for (std::size_t i = 0; i < N; ++i)
        field[i] = static_cast<quint8>(bytes.at(offset + qsizetype(i)));
}

template <std::size_t N>
void Put(QByteArray &bytes, int offset, const std::array<quint8, N> &field)
{
    for (std::size_t i = 0; i < N; ++i)
        bytes[offset + qsizetype(i)] = static_cast<char>(field[i]);
}

QByteArray DigitText(quint8 first, quint8 second)
{
    return QByteArray::number(first) + QByteArray::number(second);
}

} // namespace

std::optional<CRadioIdentity> CRadioIdentity::FromBytes(QByteArrayView bytes)
{
    if (bytes.size() != kSize)
        return std::nullopt;
    const auto byte = [&bytes](int offset) { return static_cast<quint8>(bytes.at(offset)); };
    CRadioIdentity identity;
    Take(bytes, kModelCharactersOffset, identity.modelCharacters);
    Take(bytes, kModelDigitsOffset, identity.modelDigits);
    identity.firmwarePhase = byte(kFirmwarePhaseOffset);
    identity.firmwareVersion = byte(kFirmwareVersionOffset);
    identity.firmwareRevision = byte(kFirmwareRevisionOffset);
    identity.codeplugPhase = byte(kCodeplugPhaseOffset);
    identity.codeplugVersion = byte(kCodeplugVersionOffset);
    Take(bytes, kPasswordOffset, identity.password);
    identity.validFrequencies = byte(kValidFrequenciesOffset);
    identity.serialCloneCompatibility = byte(kSerialCloneCompatibilityOffset);
    identity.unused = byte(kUnusedOffset);
    identity.maxCode = byte(kMaxCodeOffset);
    return identity;
}

QByteArray CRadioIdentity::ToBytes() const
{
    QByteArray bytes(kSize, '\0');
    const auto put = [&bytes](int offset, quint8 value) { bytes[offset] = static_cast<char>(value); };
    Put(bytes, kModelCharactersOffset, modelCharacters);
    Put(bytes, kModelDigitsOffset, modelDigits);
    put(kFirmwarePhaseOffset, firmwarePhase);
    put(kFirmwareVersionOffset, firmwareVersion);
    put(kFirmwareRevisionOffset, firmwareRevision);
    put(kCodeplugPhaseOffset, codeplugPhase);
    put(kCodeplugVersionOffset, codeplugVersion);
    Put(bytes, kPasswordOffset, password);
    put(kValidFrequenciesOffset, validFrequencies);
    put(kSerialCloneCompatibilityOffset, serialCloneCompatibility);
    put(kUnusedOffset, unused);
    put(kMaxCodeOffset, maxCode);
    return bytes;
}

QByteArray CRadioIdentity::TierText() const
{
    return DigitText(modelDigits[1], modelDigits[2]);
}

QByteArray CRadioIdentity::RegionText() const
{
    return DigitText(modelDigits[3], modelDigits[4]);
}

QByteArray CRadioIdentity::PasswordText() const
{
    const auto end = std::find(password.begin(), password.end(), quint8(0));
    return QByteArray(reinterpret_cast<const char *>(password.data()), end - password.begin());
}
