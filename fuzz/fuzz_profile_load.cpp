// Random bytes as a profile file: decoded as the file reader decodes them,
// loaded (parsed, migrated, validated, rule script started) and, when that
// succeeds, made ready for saving. Nothing may crash, read or write out of
// bounds, or hang; refusals are CTarnCPSException.

#include "FuzzEnvironment.h"
#include "model/ProfileFile.h"
#include "model/RadioDataModel.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    SetUpFuzzEnvironment(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = DecodeText(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    try {
        CRadioDataModel model;
        if (model.LoadProfile(text, false))
            ProfileTextForSaving(model);
    } catch (const CTarnCPSException &) {
        // A refused profile is the expected outcome for most inputs.
    }
    return 0;
}
