// Random codeplug images into profile text, and the text, when the image is
// accepted, into a profile as a new document is made from a radio just read:
// channels named, loaded (migrated, validated, rule script started). Inputs
// shorter than an image are padded with zero bytes, longer ones cut, so every
// input is a whole image. Nothing may crash, read or write outside the image,
// or hang; refusals are a 0 result or CTarnCPSException.

#include "FuzzEnvironment.h"
#include "codeplug/DataAdaptor.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/RadioDataModel.h"
#include "settings/TarnCPSException.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    SetUpFuzzEnvironment(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(qMin<size_t>(size, VirtualCP::kSize)));
    bytes.append(VirtualCP::kSize - bytes.size(), '\0');
    VirtualCP image;
    if (!image.Load(bytes))
        __builtin_trap();
    const VirtualCP before = image;
    try {
        QString text;
        if (CDataAdaptor::VirtualCP2XML(image, text) == 1) {
            CRadioDataModel model;
            model.LoadProfile(CDataItem::ProcessChannelName(text), false);
        }
    } catch (const CTarnCPSException &) {
        // A profile the schema refuses is the expected outcome for most images.
    }
    // The conversion reads the image and never changes it.
    if (!(image == before))
        __builtin_trap();
    return 0;
}
