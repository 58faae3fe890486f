// tarncps-cli: the dealer's programming tool without windows, for scripts and
// for checking profiles and images on a build machine.

#include "cli/Commands.h"
#include "settings/StringTable.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: tarncps-cli COMMAND [OPTIONS] [FILE]\n"
    "\n"
    "Commands:\n"
    "  decode FILE [-o OUT]      print a profile file's XML text as UTF-8\n"
    "  encode XML -o FILE        write XML text as a profile file (.ra9)\n"
    "  validate FILE             open a profile as the program would and check it\n"
    "  to-image FILE -o IMAGE [--base IMAGE] [--radio-codeplug-version N]\n"
    "                            write a profile's codeplug image (2148 bytes) as a\n"
    "                            write to a radio builds it: over a cleared image or\n"
    "                            over --base, for a radio of codeplug version N\n"
    "                            (default: the profile's codeplug_version)\n"
    "  from-image IMAGE -o FILE  make a profile file from a codeplug image as a\n"
    "                            read from a radio does\n"
    "  cables                    list the USB and virtual cables; the programming\n"
    "                            cables are marked (exit 1 when there is none)\n"
    "  identify                  print the identity record of the radio on the cable\n"
    "  read -o FILE [--image IMAGE] [--password PWD]\n"
    "                            read the radio into a new profile file (written\n"
    "                            only when the whole read succeeded); --image also\n"
    "                            writes the codeplug image read\n"
    "  write FILE [--password PWD] [--yes]\n"
    "                            write a profile into the radio after the transfer\n"
    "                            checks; --yes answers Yes to the question before a\n"
    "                            higher-tier profile goes into a lower-tier radio\n"
    "                            (without it the answer is No and nothing is written)\n"
    "  reset                     reset the radio (it restarts for 2 s)\n"
    "\n"
    "Options:\n"
    "  -h, --help                show this help\n"
    "  -v, --version             show the version\n"
    "\n"
    "Options of identify, read, write and reset:\n"
    "  --trace FILE              write every frame sent and received (hex, times)\n"
    "  --wait SECONDS            while another copy of the program uses the cable,\n"
    "                            wait at most this long for it (default 30), then\n"
    "                            give up with exit status 1\n"
    "Progress and messages go to standard error. --password is tried once.\n"
    "\n"
    "Exit status: 0 success, 1 refused or failed, 2 wrong usage.\n"
    "The installation is found through the machine configuration\n"
    "(XDG_CONFIG_DIRS/Velmora/Tarn QX Dealer Asia CPS.conf, InstallPath).\n";

} // namespace

int main(int argc, char *argv[])
{
    // The rule-script engine needs an application object, so there is one
    // even for commands that never run a script.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarncps-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARN_VERSION));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return Cli::UsageError(QString::fromLatin1(kHelp).trimmed());
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        std::fputs(kHelp, stdout);
        return Cli::Success;
    }
    if (command == QLatin1String("-v") || command == QLatin1String("--version")) {
        std::printf("tarncps-cli %s (%s)\n", TARN_VERSION, qPrintable(kAppName));
        return Cli::Success;
    }
    if (command == QLatin1String("decode"))
        return Cli::Decode(arguments);
    if (command == QLatin1String("encode"))
        return Cli::Encode(arguments);
    if (command == QLatin1String("validate"))
        return Cli::Validate(arguments);
    if (command == QLatin1String("cables"))
        return Cli::Cables(arguments);
    if (command == QLatin1String("to-image"))
        return Cli::ToImage(arguments);
    if (command == QLatin1String("from-image"))
        return Cli::FromImage(arguments);
    if (command == QLatin1String("identify"))
        return Cli::Identify(arguments);
    if (command == QLatin1String("read"))
        return Cli::Read(arguments);
    if (command == QLatin1String("write"))
        return Cli::Write(arguments);
    if (command == QLatin1String("reset"))
        return Cli::Reset(arguments);
    return Cli::UsageError(QStringLiteral("unknown command '%1'; see tarncps-cli --help").arg(command));
}
