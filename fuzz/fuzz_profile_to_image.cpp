// Random profile texts converted over a fixed codeplug image, as a write to a
// radio converts the profile over the image last read from it. Nothing may
// crash, read or write outside the image, or hang; a text that cannot be
// converted raises CTarnCPSException and leaves the image as it was.

#include "FuzzEnvironment.h"
#include "codeplug/DataAdaptor.h"
#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <cstddef>
#include <cstdint>

namespace {

// An image whose bytes all differ from their neighbours, with a valid serial.
VirtualCP BaseImage()
{
    QByteArray bytes(VirtualCP::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x5A ^ (i * 7));
    VirtualCP image;
    image.Load(bytes);
    image.Set(VirtualCP::kSerial, QByteArray("123ABC4567"));
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    SetUpFuzzEnvironment(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const VirtualCP base = BaseImage();
    const QString text = DecodeText(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    // The first byte picks the radio's codeplug version, so both sides of
    // the version-3 rule are reached.
    CRadioIdentity radio;
    radio.codeplugVersion = size > 0 ? data[0] % 5 : 3;
    VirtualCP image = base;
    try {
        CDataAdaptor::XML2VirtualCP(text, image, radio);
    } catch (const CTarnCPSException &) {
        if (!(image == base))
            __builtin_trap(); // a failed conversion must leave the image alone
    }
    return 0;
}
