#pragma once
// The profile document's exchange with the codeplug image, without windows:
// what the desktop document does before a write and after a read, and what
// the command-line tool does with image files.

class CRadioDataModel;
class VirtualCP;
struct CRadioIdentity;

// Fills `image` from the loaded profile before it goes into a radio: when the
// model cannot use repeaters every channel's transmit settings are first set
// equal to its receive settings (in the profile itself, as saving does);
// then the profile document's text, with the fields the migration added in
// place, is converted over `image`. Answers the conversion's result (1);
// errors are passed on with the trace entry "Exception Caught".
int GetVirtualCPData(CRadioDataModel &model, VirtualCP &image, const CRadioIdentity &radio);

// Makes `model` the profile of an image, the way a new document is made from
// a radio just read: the image's profile text, channels with empty names
// named, loaded with the path flag clear (migrated and validated). False when
// the image is refused (message 376 or 391 shown) or the profile does not
// load; errors are passed on with the trace entry "Exception Catched".
bool SetVirtualCPData(CRadioDataModel &model, const VirtualCP &image);
