#pragma once
// What happens between identifying the radio and transferring, and after a
// read: whether the radio and the open profile go together, the radio's
// password, the changes a write image needs to fit the radio, and the
// profile made from a read image. No windows: questions, the password
// prompt and messages go through CTransferDialogs, and every step answers
// what the caller has to do next.
//
// A stop means: clear the busy flags, then show the verdict's message when
// it has one, and do nothing more. Every check only looks at the identity
// record, the image and the profile; the radio itself is left untouched.
//
// Numbers formed from digit bytes: two bytes holding 0-9 each are written in
// decimal one after the other and read back as one decimal number, so model
// digits 1 and 6 give the tier 16. The radio's tier is identity bytes 4-5,
// its region bytes 6-7; the profile's tier is image bytes 0x0A-0x0B. A radio
// or profile is a display one unless its third model character is "R".

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "radio/TransferDialogs.h"

#include <QString>

#include <memory>

class CDataItem;
class CRadioDataModel;

// The operation kind of the command that started the transfer.
enum class TransferOperation { Read = 2, Write = 3 };

// Go on, or stop with an optional message (and, for an error of the data
// model, the error's trace, for whoever keeps a log).
struct CTransferVerdict
{
    bool proceed = true;
    QString message;
    QString trace;

    static CTransferVerdict Go() { return {}; }
    static CTransferVerdict Stop(const QString &message = QString(), const QString &trace = QString())
    {
        return {false, message, trace};
    }
    // Shows the message, if there is one.
    void Show(CTransferDialogs &dialogs) const
    {
        if (!message.isEmpty())
            dialogs.ShowText(message, MB_OK | MB_ICONWARNING);
    }
};

// ---- the checks common to read and write ----

// The radio's region must be one the installation serves (Support of
// Region.stv). A read is refused with "The CPS does not support this radio's
// region.", followed by a blank and "Please use the "%s"." when the
// region-code map names a product for the region; a write with "The CPS does
// not support this radio model."
CTransferVerdict CheckRadioRegion(const CRadioIdentity &radio, TransferOperation operation);
// The radio's codeplug phase is "D", or its codeplug version is at most the
// installation's (CPVersion); otherwise "Codeplug version of CPS and radio
// are incompatible! Please update your CPS."
CTransferVerdict CheckRadioCodeplugVersion(const CRadioIdentity &radio);
// Both, in that order.
CTransferVerdict CheckRadioCommon(const CRadioIdentity &radio, TransferOperation operation);

// ---- the write checks ----

// The profile against the radio, in this order, each with its message:
//  1. model characters 7-8 equal the radio's region: "The radio being
//     programmed does not match the model in the current profile."
//  2. the radio's codeplug version, as CheckRadioCodeplugVersion;
//  3. serial_clone_compatibility, as an unsigned 16-bit number, equals the
//     radio's: "The current profile is not compatible with the radio."
//  4. model character 2 equals the radio's: "Invalid frequency: This
//     frequency is not supported by this radio."
//  5. with maxCodes above 122 and a radio that takes codes up to exactly 122,
//     no code of the first numberChannels channels above 122; then the same
//     with 213: "Some profile information is not supported by the host radio
//     and therefore will not be transferred(PL/DPL Code). "
// Errors of the data items (a missing element or attribute) are passed on.
CTransferVerdict CheckProfileForRadio(const CDataItem &root, const CRadioIdentity &radio);

// ---- the conversions of a write image ----

// Fits the image to the radio:
//  1. every rx_code and tx_code of the 19 channel slots above the radio's
//     largest code becomes 1, without a question;
//  2. profile tier above the radio's tier: asks "When converting from
//     high-tier radio to low-tier radio, some data may be lost. Do you want
//     to continue?"; on Yes numberChannels is cut to the radio's tier, the
//     channel slots from the radio's tier up to the profile's (at most slot
//     18) are zeroed, a first preset channel not below the radio's tier
//     becomes 0 and such a second preset channel 1;
//  3. a display profile for a rotary radio: the same question unless it was
//     just answered Yes; then button entries 5, 8 and 9 become 0.
// False when a question was answered No (stop, no message): the image may
// then already carry the code changes of step 1.
bool ConvertTier(VirtualCP &image, const CRadioIdentity &radio, CTransferDialogs &dialogs);

// The password gate: passed at once when the radio has no password or its
// password equals the remembered one (letter case counts). Otherwise the
// prompt is shown: the right entry becomes the remembered password and the
// gate passes; a wrong one shows "The password is not correct. Please check
// it!" and the prompt comes again; Cancel answers false.
bool PassPasswordGate(const CRadioIdentity &radio, CRememberedPassword &remembered, CTransferDialogs &dialogs);

// Shows "The radio you are programing has a lower version codeplug, some new
// features can not be used after writing." when the radio's codeplug version
// is below the profile's codeplug_version; true when it did. The write goes
// on either way.
bool WarnLowerCodeplug(const CDataItem &root, const CRadioIdentity &radio, CTransferDialogs &dialogs);

// Stamps the image with the radio's identity: firmware characters (0x00-0x02)
// = identity bytes 8-10, model (0x06-0x0D) = identity bytes 0-7, and maxCodes
// = the smaller of the radio's largest code and its current value.
void StampRadioIdentity(VirtualCP &image, const CRadioIdentity &radio);

// ---- after the identify step ----

// A read: the common checks, then the password gate. Go on means: open the
// progress dialog in read mode. A cancelled gate stops without a message.
CTransferVerdict CompleteIdentifyForRead(const CRadioIdentity &radio, CRememberedPassword &remembered,
                                         CTransferDialogs &dialogs);

// A write of the active profile (nullptr, or a model without a loaded
// profile, when no document window is active): the common checks; `image`
// replaced by a cleared one; no profile: stop without a message; the write
// checks; the image built from the profile for this radio; the tier and
// display conversion; the password gate; the lower-codeplug warning; the
// identity stamp. Go on means: open the progress dialog in write mode with
// `image`. An error of the data model while the profile is read or converted
// stops with the text of its message id and its trace.
CTransferVerdict CompleteIdentifyForWrite(const CRadioIdentity &radio, CRadioDataModel *profile, VirtualCP &image,
                                          CRememberedPassword &remembered, CTransferDialogs &dialogs);

// ---- after a read ----

enum class AfterReadAction {
    Nothing,        // cancelled, or the image does not convert (its message shown)
    NewProfile,     // make a new document from the image (NewProfileFromImage)
    ReplaceProfile, // mark the active document modified, then ReplaceProfileFromImage,
                    // and on success rebuild the views of its window
};

// What to do with an image the progress dialog closed with OK. With a
// document window open the user is asked "Do you want to create a new
// profile (Yes), overwrite the currently selected profile (No) or cancel
// it?"; a new profile is only offered when the image converts into profile
// text (the conversion shows its own message, 376 or 391, through the
// message sink when it does not).
AfterReadAction DecideAfterRead(const VirtualCP &image, bool documentOpen, CTransferDialogs &dialogs);

// The new document from a radio image: its profile text, channels with empty
// names named, loaded with the path flag clear. Nothing when the image or
// the profile is refused (their messages shown) or an error is raised (its
// message shown through `dialogs`, its trace in *trace). The caller marks the
// new document modified.
std::unique_ptr<CRadioDataModel> NewProfileFromImage(const VirtualCP &image, CTransferDialogs &dialogs,
                                                     QString *trace = nullptr);

// The same into the active document's model, replacing its profile. False as
// above.
bool ReplaceProfileFromImage(CRadioDataModel &model, const VirtualCP &image, CTransferDialogs &dialogs,
                             QString *trace = nullptr);
