#include "radio/TransferChecks.h"
#include "codeplug/DataAdaptor.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/AppContext.h"
#include "settings/ProfileQueries.h"
#include "settings/TarnCPSException.h"

#include <algorithm>

namespace {

// String-table ids of the texts used here.
enum : int {
    kWrongPassword = 279,         // "The password is not correct. Please check it!"
    kPleaseUse = 503,             // "Please use the "%s"."
    kRadioRegionForRead = 2034,   // "The CPS does not support this radio's region."
    kRadioRegionForWrite = 2035,  // "The CPS does not support this radio model."
    kRadioCodeplugNewer = 2036,   // "Codeplug version of CPS and radio are incompatible! ..."
    kNewOrOverwrite = 2037,       // "Do you want to create a new profile (Yes), overwrite ..."
    kModelRegionDiffers = 2038,   // "The radio being programmed does not match the model ..."
    kCloneIncompatible = 2039,    // "The current profile is not compatible with the radio."
    kCodesBeyondRadio = 2040,     // "Some profile information is not supported by the host radio ..."
    kRadioCodeplugOlder = 2041,   // "The radio you are programing has a lower version codeplug, ..."
    kHighToLowTier = 2042,        // "When converting from high-tier radio to low-tier radio, ..."
    kBandDiffers = 269,           // "Invalid frequency: This frequency is not supported by this radio."
};

// Channel slots the tier conversion may clear: the whole table.
constexpr int kLastChannelSlot = VirtualCP::kChannelCount - 1;

// Two digit bytes as one decimal number.
int DigitNumber(quint8 first, quint8 second)
{
    return (QByteArray::number(first) + QByteArray::number(second)).toInt();
}

int RadioTier(const CRadioIdentity &radio)
{
    return radio.TierText().toInt();
}

int ProfileTier(const VirtualCP &image)
{
    return DigitNumber(image.ModelDigit(1), image.ModelDigit(2));
}

bool IsDisplayImage(const VirtualCP &image)
{
    return image.ModelCharacter(2) != 'R';
}

// A profile attribute read as an unsigned number (leading digits).
quint32 Number(const CDataItem &element, const QString &attribute)
{
    const QString text = element.GetAttributeValue(attribute).toString().trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text.at(digits).isDigit())
        ++digits;
    return static_cast<quint32>(text.left(digits).toULongLong());
}

CDataItem Child(const CDataItem &root, const char *name)
{
    CDataItem child;
    root.GetChildByName(QLatin1String(name), child);
    return child;
}

CTransferVerdict StopWith(int messageId)
{
    return CTransferVerdict::Stop(LoadString(messageId));
}

} // namespace

CTransferVerdict CheckRadioRegion(const CRadioIdentity &radio, TransferOperation operation)
{
    CAppContext &app = CAppContext::Instance();
    const QString region = QString::fromLatin1(radio.RegionText());
    if (app.Settings().IsSupportedRegionCode(region))
        return CTransferVerdict::Go();
    if (operation == TransferOperation::Write)
        return StopWith(kRadioRegionForWrite);
    QString text = LoadString(kRadioRegionForRead);
    const auto product = app.RegionCodes().constFind(region.toInt());
    if (product != app.RegionCodes().constEnd())
        text += QLatin1Char(' ') + FormatText(LoadString(kPleaseUse), {*product});
    return CTransferVerdict::Stop(text);
}

CTransferVerdict CheckRadioCodeplugVersion(const CRadioIdentity &radio)
{
    if (IsCodeplugVersionSupported(QChar::fromLatin1(char(radio.codeplugPhase)), radio.codeplugVersion))
        return CTransferVerdict::Go();
    return StopWith(kRadioCodeplugNewer);
}

CTransferVerdict CheckRadioCommon(const CRadioIdentity &radio, TransferOperation operation)
{
    const CTransferVerdict region = CheckRadioRegion(radio, operation);
    if (!region.proceed)
        return region;
    return CheckRadioCodeplugVersion(radio);
}

CTransferVerdict CheckProfileForRadio(const CDataItem &root, const CRadioIdentity &radio)
{
    const CDataItem factory = Child(root, "factory_setting");
    const QString model = factory.GetAttributeValue(QStringLiteral("model")).toString();

    if (model.mid(6, 2) != QString::fromLatin1(radio.RegionText()))
        return StopWith(kModelRegionDiffers);

    const CTransferVerdict version = CheckRadioCodeplugVersion(radio);
    if (!version.proceed)
        return version;

    const quint16 clone = static_cast<quint16>(Number(factory, QStringLiteral("serial_clone_compatibility")));
    if (clone != radio.serialCloneCompatibility)
        return StopWith(kCloneIncompatible);

    // Both as one-character texts; a zero byte is an empty text.
    const quint8 band = radio.modelCharacters[1];
    const QString radioBand = band ? QString(QChar::fromLatin1(char(band))) : QString();
    if (model.mid(1, 1) != radioBand)
        return StopWith(kBandDiffers);

    const quint32 maxCodes = Number(Child(root, "limit"), QStringLiteral("maxCodes"));
    for (const quint32 highest : {122u, 213u}) {
        if (maxCodes > highest && radio.maxCode == highest && !AreCodesWithin(root, highest))
            return StopWith(kCodesBeyondRadio);
    }
    return CTransferVerdict::Go();
}

bool ConvertTier(VirtualCP &image, const CRadioIdentity &radio, CTransferDialogs &dialogs)
{
    using Channel = VirtualCP::Channel;
    for (int slot = 0; slot < VirtualCP::kChannelCount; ++slot) {
        for (const VirtualCP::ChannelByte code : {Channel::kRxCode, Channel::kTxCode}) {
            if (image.Get(slot, code) > radio.maxCode)
                image.Set(slot, code, 1);
        }
    }

    const int radioTier = RadioTier(radio);
    const int profileTier = ProfileTier(image);
    bool convertAnswered = false;
    if (profileTier > radioTier) {
        if (dialogs.Ask(LoadString(kHighToLowTier), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        convertAnswered = true;
        if (image.Get(VirtualCP::kNumberChannels) > radioTier)
            image.Set(VirtualCP::kNumberChannels, static_cast<quint8>(radioTier));
        for (int slot = radioTier; slot < profileTier && slot <= kLastChannelSlot; ++slot)
            image.ClearChannel(slot);
        if (image.PresetChannel(0) >= radioTier)
            image.SetPresetChannel(0, 0);
        if (image.PresetChannel(1) >= radioTier)
            image.SetPresetChannel(1, 1);
    }

    if (IsDisplayImage(image) && !radio.IsDisplayRadio()) {
        if (!convertAnswered && dialogs.Ask(LoadString(kHighToLowTier), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        // The buttons a rotary radio does not have.
        for (const int entry : {VirtualCP::kLowerLeftButEntry, VirtualCP::kUpperRightButEntry,
                                VirtualCP::kLowerRightButEntry})
            image.SetButtonEntry(entry, 0);
    }
    return true;
}

bool PassPasswordGate(const CRadioIdentity &radio, CRememberedPassword &remembered, CTransferDialogs &dialogs)
{
    const QString password = QString::fromLatin1(radio.PasswordText());
    while (!password.isEmpty() && password != remembered.Text()) {
        const std::optional<QString> entry = dialogs.AskPassword();
        if (!entry)
            return false;
        if (*entry == password)
            remembered.Set(*entry);
        else
            dialogs.ShowId(kWrongPassword, MB_OK | MB_ICONWARNING);
    }
    return true;
}

bool WarnLowerCodeplug(const CDataItem &root, const CRadioIdentity &radio, CTransferDialogs &dialogs)
{
    if (radio.codeplugVersion >= Number(Child(root, "factory_setting"), QStringLiteral("codeplug_version")))
        return false;
    dialogs.ShowId(kRadioCodeplugOlder, MB_OK | MB_ICONINFORMATION);
    return true;
}

void StampRadioIdentity(VirtualCP &image, const CRadioIdentity &radio)
{
    image.Set(VirtualCP::kFirmwarePhase, radio.firmwarePhase);
    image.SetCharacter(VirtualCP::kFirmwareVersion, radio.firmwareVersion);
    image.SetCharacter(VirtualCP::kFirmwareRevision, radio.firmwareRevision);
    for (int i = 0; i < VirtualCP::kModelCharacterCount; ++i)
        image.SetModelCharacter(i, radio.modelCharacters[size_t(i)]);
    for (int i = 0; i < VirtualCP::kModelDigitCount; ++i)
        image.SetModelDigit(i, radio.modelDigits[size_t(i)]);
    image.Set(VirtualCP::kMaxCodes, std::min<quint32>(radio.maxCode, image.Get(VirtualCP::kMaxCodes)));
}

CTransferVerdict CompleteIdentifyForRead(const CRadioIdentity &radio, CRememberedPassword &remembered,
                                         CTransferDialogs &dialogs)
{
    const CTransferVerdict common = CheckRadioCommon(radio, TransferOperation::Read);
    if (!common.proceed)
        return common;
    if (!PassPasswordGate(radio, remembered, dialogs))
        return CTransferVerdict::Stop();
    return CTransferVerdict::Go();
}

CTransferVerdict CompleteIdentifyForWrite(const CRadioIdentity &radio, CRadioDataModel *profile, VirtualCP &image,
                                          CRememberedPassword &remembered, CTransferDialogs &dialogs)
{
    const CTransferVerdict common = CheckRadioCommon(radio, TransferOperation::Write);
    if (!common.proceed)
        return common;

    image = VirtualCP();
    if (!profile || profile->RootItem().IsEmpty())
        return CTransferVerdict::Stop();

    try {
        const CDataItem &root = profile->RootItem();
        const CTransferVerdict fits = CheckProfileForRadio(root, radio);
        if (!fits.proceed)
            return fits;
        GetVirtualCPData(*profile, image, radio);
        if (!ConvertTier(image, radio, dialogs))
            return CTransferVerdict::Stop();
        if (!PassPasswordGate(radio, remembered, dialogs))
            return CTransferVerdict::Stop();
        WarnLowerCodeplug(root, radio, dialogs);
        StampRadioIdentity(image, radio);
        return CTransferVerdict::Go();
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CompleteIdentifyForWrite", __LINE__);
        return CTransferVerdict::Stop(LoadString(e.MessageId()), e.Trace());
    }
}

AfterReadAction DecideAfterRead(const VirtualCP &image, bool documentOpen, CTransferDialogs &dialogs)
{
    if (documentOpen) {
        switch (dialogs.Ask(LoadString(kNewOrOverwrite), MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            break;
        case IDNO:
            return AfterReadAction::ReplaceProfile;
        default:
            return AfterReadAction::Nothing;
        }
    }
    try {
        QString text;
        if (!CDataAdaptor::VirtualCP2XML(image, text))
            return AfterReadAction::Nothing;
    } catch (const CTarnCPSException &e) {
        dialogs.ShowId(e.MessageId());
        return AfterReadAction::Nothing;
    }
    return AfterReadAction::NewProfile;
}

std::unique_ptr<CRadioDataModel> NewProfileFromImage(const VirtualCP &image, CTransferDialogs &dialogs, QString *trace)
{
    auto model = std::make_unique<CRadioDataModel>();
    if (!ReplaceProfileFromImage(*model, image, dialogs, trace))
        return nullptr;
    return model;
}

bool ReplaceProfileFromImage(CRadioDataModel &model, const VirtualCP &image, CTransferDialogs &dialogs, QString *trace)
{
    try {
        return SetVirtualCPData(model, image);
    } catch (const CTarnCPSException &e) {
        if (trace)
            *trace = e.Trace();
        dialogs.ShowId(e.MessageId());
        return false;
    }
}
