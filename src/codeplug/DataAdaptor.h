#pragma once
// The conversion between the two forms of a radio configuration: the profile
// text and the codeplug image. Neither direction keeps state between calls;
// each builds its own XML document and discards it.
//
// XML2VirtualCP writes a profile's values into an image before it goes into a
// radio. It does not clear the image: it overwrites the fields the profile
// carries and leaves every other byte (the model flag at 0x29, the button
// entries without attribute, reserved bytes, channel and frequency slots
// beyond those in the profile) as it was, so that a write over the image last
// read from a radio keeps the radio's own values there.
//
// VirtualCP2XML turns an image read from a radio into profile text, from
// which a new profile is made after ProcessChannelName has named the
// channels whose name is empty.
//
// Text fields of the image hold Latin-1: a character outside it becomes "?"
// on the way into the image.
//
// Where the tables end:
//  - An image whose maxChannels is above 19 or whose max_valid_freqs is above
//    99 gives a profile with only the 19 channel and 99 frequency slots the
//    image holds; the two counts are written as the image has them, so the
//    schema refuses such a profile when it is loaded.
//  - A profile with more than 19 channel or 99 frequency elements fills only
//    the first 19 or 99 slots; a channel name longer than 8 bytes keeps its
//    first 8; a model shorter than 8 characters leaves the missing places 0,
//    and characters after the eighth are not used.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"

#include <QString>

class CDataAdaptor
{
public:
    // Overwrites in `image` every field the profile text carries. Answers 1.
    // The image is only changed when the whole conversion succeeds. Failures
    // are raised as CTarnCPSException: 131 "Unknown Error" with the detail
    // "ErrorMsg: %s\nDesc: %s\nSource: %s" when the text does not parse, an
    // element is missing or an attribute is missing; an error raised inside
    // gets the trace entry "Exception Catched" and is passed on. The radio's codeplug version decides whether the
    // per-channel switches disable_channel and talkaround_scan are kept: a
    // radio below version 3 gets 0 in both.
    static int XML2VirtualCP(const QString &profileText, VirtualCP &image, const CRadioIdentity &radio);

    // Fills `text` with the profile of `image` and answers 1. Answers 0 after
    // message 376 "Invalid serial number" (text left as it was) or after
    // message 391 "Codeplug is corrupted" when the text made does not parse
    // (text already filled).
    //
    // Channel names are made distinct first: a slot whose 8-byte name equals
    // that of an earlier slot is renamed "CHAN 01", "CHAN 02", ... This works
    // on a copy of the image, so the caller's image keeps the names the radio
    // holds; the renamed names reach the radio again only through the
    // profile, which is where a write takes every channel name from.
    static int VirtualCP2XML(const VirtualCP &image, QString &text);

    // The name step above, on an image: renames in place every slot among
    // the first `maxChannels` (at most 19) whose name field equals that of
    // an earlier slot.
    static void MakeChannelNamesDistinct(VirtualCP &image);
};
