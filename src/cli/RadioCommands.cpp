// cables: the programming cables and virtual cables this machine offers.

#include "cli/Commands.h"
#include "radio/Ftd2xx.h"
#include "radio/UsbCable.h"

#include <QCommandLineParser>
#include <cstdio>
#include <cstring>

namespace Cli {

int Cables(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parser.parse(QStringList{QStringLiteral("cables")} + arguments) || !parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("cables takes no arguments; see tarncps-cli --help"));

    std::uint32_t count = 0;
    if (FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
        std::fprintf(stderr, "The USB devices cannot be listed.\n");
        return Failed;
    }
    int programmingCables = 0;
    for (std::uint32_t index = 0; index < count; ++index) {
        char description[FT_DESCRIPTION_SIZE] = {};
        if (FT_ListDevices(reinterpret_cast<void *>(static_cast<std::uintptr_t>(index)), description,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK)
            continue;
        const bool cable = CUsbCable::IsCableDescription(description);
        programmingCables += cable ? 1 : 0;
        std::printf("%u\t%s%s\n", index, description, cable ? "\t(programming cable)" : "");
    }
    if (programmingCables == 0)
        std::fprintf(stderr, "No programming cable is attached.\n");
    return programmingCables > 0 ? Success : Failed;
}

} // namespace Cli
