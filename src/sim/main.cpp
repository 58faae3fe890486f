// tarncps-radiosim: a radio on a virtual programming cable, for trying the
// program and its command-line tool without a radio, and for the tests.

#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileImage.h"
#include "model/RadioDataModel.h"
#include "settings/Installation.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"
#include "sim/RadioSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <climits>
#include <csignal>
#include <cstdio>
#include <optional>
#include <pthread.h>

namespace {

enum ExitStatus { kSuccess = 0, kFailed = 1, kUsage = 2 };

const char kHelp[] =
    "Usage: tarncps-radiosim [OPTIONS]\n"
    "\n"
    "Plays a radio behind a virtual programming cable: listens on the socket\n"
    "FOLDER/DESCRIPTION.sock, which the program lists as a cable of that\n"
    "description, echoes every byte it receives as the cable does, and answers\n"
    "every request as the radio does. Prints the socket's path when it is ready\n"
    "and runs until it is interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "Cable:\n"
    "  --folder DIR             the folder of the socket (default: the environment\n"
    "                           variable TARNCPS_VIRTUAL_CABLES)\n"
    "  --description TEXT       the cable's description (default \"QX CPS Cable\")\n"
    "  --pace                   send every byte at 16406 bit/s, 10 bits a byte\n"
    "\n"
    "Radio (the built-in 16-channel radio ZRD41610, or one of --memory, --image\n"
    "and --profile; the options after them change that radio):\n"
    "  --memory FILE            the radio's memory from a memory file\n"
    "  --image FILE             a radio holding this codeplug image (2148 bytes),\n"
    "                           its firmware characters included\n"
    "  --profile FILE           a radio holding this profile (.ra9), converted\n"
    "                           with the installation the configuration names\n"
    "  --save-memory FILE       write the radio's memory to FILE at the end\n"
    "  --model MODEL            three characters and five digits, e.g. ZRD41610\n"
    "                           (radio header 0x10E22-0x10E29)\n"
    "  --firmware CCC           the three firmware characters of the version\n"
    "                           answer (default R17)\n"
    "  --codeplug-phase C       one character (header 0x10E2A; default P)\n"
    "  --codeplug-version N     0-255 (header 0x10E2B; default 3)\n"
    "  --password TEXT          up to four characters at 0x10009; \"\" for none\n"
    "  --status N               the status answer's data byte 2 (default 0)\n"
    "\n"
    "Faults. WHICH names requests by number, counted from 1 since the start:\n"
    "all, none, 3, 2,5, 4-6 or 7- (7 and later).\n"
    "  --no-ack WHICH           answer without the acknowledge byte 0x50\n"
    "  --wrong-ack WHICH        0x06 in place of the acknowledge byte\n"
    "  --bad-checksum WHICH     a response frame's checksum one too high\n"
    "  --stray HEX              bytes (e.g. 01,7F) between the acknowledge byte\n"
    "                           and the response frame\n"
    "  --stray-on WHICH         the answers that get them (default all)\n"
    "  --refuse-writes WHICH    memory writes answered 0x85, nothing stored\n"
    "  --no-echo WHICH          the request's bytes are not echoed\n"
    "  --silent-after K         after K requests nothing comes back any more\n"
    "  --hang-up-after K        close the connection after answering request K\n"
    "  --answer K:HEX           the whole answer to request K (acknowledge byte\n"
    "                           included) replaced by these bytes; repeatable\n"
    "\n"
    "Log of the requests served:\n"
    "  --log FILE               to FILE (default: standard error)\n"
    "  --quiet                  no log\n"
    "  -h, --help               show this help\n"
    "\n"
    "Memory files list the written bytes: lines \"010000: 00 01 02 ...\"\n"
    "(a 24-bit address in hexadecimal, a colon, hexadecimal bytes); lines\n"
    "starting with # are comments. Unwritten bytes read as FF.\n"
    "\n"
    "Exit status: 0 after an interrupt, 1 when the simulator cannot start or\n"
    "the memory cannot be saved, 2 on wrong usage.\n";

int Usage(const QString &message)
{
    std::fprintf(stderr, "tarncps-radiosim: %s\n", qPrintable(message));
    return kUsage;
}

std::optional<QByteArray> ParseHex(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("[\\s,:]")));
    if (text.isEmpty() || text.size() % 2 != 0 || text.contains(QRegularExpression(QStringLiteral("[^0-9A-Fa-f]"))))
        return std::nullopt;
    return QByteArray::fromHex(text.toLatin1());
}

// The image of a file of exactly VirtualCP::kSize bytes.
std::optional<VirtualCP> ReadImageFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    VirtualCP image;
    if (!image.Load(file.read(VirtualCP::kSize + 1))) {
        *error = QStringLiteral("not a codeplug image of %1 bytes").arg(VirtualCP::kSize);
        return std::nullopt;
    }
    return image;
}

// The image a write of the profile would send to a radio of the profile's
// own codeplug version.
std::optional<VirtualCP> ImageFromProfile(const QString &path, QString *error)
{
    UseConfiguredLanguage();
    if (!LoadInstallation()) {
        *error = QStringLiteral("the installation cannot be loaded");
        return std::nullopt;
    }
    QString text;
    if (!LoadTextFile(path, text)) {
        *error = QStringLiteral("cannot be opened");
        return std::nullopt;
    }
    try {
        CRadioDataModel model;
        if (!model.LoadProfile(text, false)) {
            *error = QStringLiteral("not a profile this installation loads");
            return std::nullopt;
        }
        CDataItem factory;
        model.RootItem().GetChildByName(QStringLiteral("factory_setting"), factory);
        CRadioIdentity radio;
        radio.codeplugVersion = quint8(factory.GetAttributeValue(QStringLiteral("codeplug_version")).toUInt());
        VirtualCP image;
        GetVirtualCPData(model, image, radio);
        return image;
    } catch (const CTarnCPSException &e) {
        *error = e.Trace().trimmed();
        return std::nullopt;
    }
}

std::optional<int> ParseNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    // SIGINT and SIGTERM are taken by sigwait below; every thread started
    // from here on inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarncps-radiosim"));

    QCommandLineParser parser;
    const auto value = [&parser](const char *name, const char *valueName) {
        const QCommandLineOption option(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName));
        parser.addOption(option);
        return option;
    };
    const auto flag = [&parser](const QStringList &names) {
        const QCommandLineOption option(names);
        parser.addOption(option);
        return option;
    };
    const QCommandLineOption help = flag({QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption folderOption = value("folder", "DIR");
    const QCommandLineOption descriptionOption = value("description", "TEXT");
    const QCommandLineOption pace = flag({QStringLiteral("pace")});
    const QCommandLineOption memoryOption = value("memory", "FILE");
    const QCommandLineOption imageOption = value("image", "FILE");
    const QCommandLineOption profileOption = value("profile", "FILE");
    const QCommandLineOption saveMemory = value("save-memory", "FILE");
    const QCommandLineOption model = value("model", "MODEL");
    const QCommandLineOption firmware = value("firmware", "CCC");
    const QCommandLineOption codeplugPhase = value("codeplug-phase", "C");
    const QCommandLineOption codeplugVersion = value("codeplug-version", "N");
    const QCommandLineOption password = value("password", "TEXT");
    const QCommandLineOption status = value("status", "N");
    const QCommandLineOption noAck = value("no-ack", "WHICH");
    const QCommandLineOption wrongAck = value("wrong-ack", "WHICH");
    const QCommandLineOption badChecksum = value("bad-checksum", "WHICH");
    const QCommandLineOption stray = value("stray", "HEX");
    const QCommandLineOption strayOn = value("stray-on", "WHICH");
    const QCommandLineOption refuseWrites = value("refuse-writes", "WHICH");
    const QCommandLineOption noEcho = value("no-echo", "WHICH");
    const QCommandLineOption silentAfter = value("silent-after", "K");
    const QCommandLineOption hangUpAfter = value("hang-up-after", "K");
    const QCommandLineOption answer = value("answer", "K:HEX");
    const QCommandLineOption logOption = value("log", "FILE");
    const QCommandLineOption quiet = flag({QStringLiteral("quiet")});

    if (!parser.parse(QCoreApplication::arguments()))
        return Usage(parser.errorText() + QStringLiteral("; see tarncps-radiosim --help"));
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return kSuccess;
    }
    if (!parser.positionalArguments().isEmpty())
        return Usage(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    CRadioSimulator simulator;
    QString failure;

    // The radio.
    if (int(parser.isSet(memoryOption)) + int(parser.isSet(imageOption)) + int(parser.isSet(profileOption)) > 1)
        return Usage(QStringLiteral("give at most one of --memory, --image and --profile"));
    if (parser.isSet(imageOption) || parser.isSet(profileOption)) {
        const bool fromImage = parser.isSet(imageOption);
        const QString path = parser.value(fromImage ? imageOption : profileOption);
        const std::optional<VirtualCP> image = fromImage ? ReadImageFile(path, &failure) : ImageFromProfile(path, &failure);
        if (!image)
            return Usage(QStringLiteral("cannot load '%1': %2").arg(path, failure));
        simulator.WithRadio([&image](CSimRadio &radio) { radio.LoadImage(*image); });
    }
    if (parser.isSet(memoryOption)) {
        CSimMemory memory;
        if (!memory.LoadFile(parser.value(memoryOption), &failure))
            return Usage(QStringLiteral("cannot load the memory: %1").arg(failure));
        simulator.WithRadio([&memory](CSimRadio &radio) { radio.Memory() = memory; });
    }
    if (parser.isSet(model) &&
        !simulator.WithRadio([&](CSimRadio &radio) { return radio.SetModel(parser.value(model).toLatin1()); }))
        return Usage(QStringLiteral("--model takes three characters and five digits, e.g. ZRD41610"));
    if (parser.isSet(firmware) &&
        !simulator.WithRadio([&](CSimRadio &radio) { return radio.SetFirmware(parser.value(firmware).toLatin1()); }))
        return Usage(QStringLiteral("--firmware takes three characters, e.g. R17"));
    if (parser.isSet(codeplugPhase) || parser.isSet(codeplugVersion)) {
        const QByteArray phase = parser.isSet(codeplugPhase) ? parser.value(codeplugPhase).toLatin1()
                                                             : QByteArray(1, char(CSimRadio::kDefaultCodeplugPhase));
        const auto version = parser.isSet(codeplugVersion) ? ParseNumber(parser.value(codeplugVersion), 0, 255)
                                                           : std::optional<int>(CSimRadio::kDefaultCodeplugVersion);
        if (phase.size() != 1)
            return Usage(QStringLiteral("--codeplug-phase takes one character"));
        if (!version)
            return Usage(QStringLiteral("--codeplug-version takes a number from 0 to 255"));
        simulator.WithRadio([&](CSimRadio &radio) { radio.SetCodeplug(quint8(phase[0]), quint8(*version)); });
    }
    if (parser.isSet(password) &&
        !simulator.WithRadio([&](CSimRadio &radio) { return radio.SetPassword(parser.value(password).toLatin1()); }))
        return Usage(QStringLiteral("--password takes at most four characters"));
    if (parser.isSet(status)) {
        const auto code = ParseNumber(parser.value(status), 0, 255);
        if (!code)
            return Usage(QStringLiteral("--status takes a number from 0 to 255"));
        simulator.WithRadio([&](CSimRadio &radio) { radio.SetStatus(quint8(*code)); });
    }

    // The faults.
    SimFaults faults;
    const std::pair<const QCommandLineOption *, CSimTrigger *> triggers[] = {
        {&noAck, &faults.noAcknowledge},   {&wrongAck, &faults.wrongAcknowledge},
        {&badChecksum, &faults.badChecksum}, {&strayOn, &faults.strayOn},
        {&refuseWrites, &faults.refuseWrites}, {&noEcho, &faults.noEcho},
    };
    for (const auto &[option, trigger] : triggers) {
        if (!parser.isSet(*option))
            continue;
        const auto parsed = CSimTrigger::Parse(parser.value(*option));
        if (!parsed)
            return Usage(QStringLiteral("--%1 takes all, none or request numbers such as 3, 2,5, 4-6 or 7-")
                             .arg(option->names().first()));
        *trigger = *parsed;
    }
    if (parser.isSet(stray)) {
        const auto bytes = ParseHex(parser.value(stray));
        if (!bytes)
            return Usage(QStringLiteral("--stray takes bytes in hexadecimal, e.g. 01,7F"));
        faults.strayBytes = *bytes;
    }
    const std::pair<const QCommandLineOption *, int *> counts[] = {{&silentAfter, &faults.silentAfter},
                                                                   {&hangUpAfter, &faults.hangUpAfter}};
    for (const auto &[option, count] : counts) {
        if (!parser.isSet(*option))
            continue;
        const auto parsed = ParseNumber(parser.value(*option), 0, INT_MAX);
        if (!parsed)
            return Usage(QStringLiteral("--%1 takes a number of requests").arg(option->names().first()));
        *count = *parsed;
    }
    for (const QString &item : parser.values(answer)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const auto number = colon > 0 ? ParseNumber(item.left(colon), 1, INT_MAX) : std::nullopt;
        const auto bytes = colon > 0 ? ParseHex(item.mid(colon + 1)) : std::nullopt;
        if (!number || !bytes)
            return Usage(QStringLiteral("--answer takes a request number, a colon and bytes, e.g. 3:50F20001"));
        faults.answers[*number] = *bytes;
    }
    simulator.SetFaults(faults);
    simulator.SetPacing(parser.isSet(pace));

    // The log.
    QFile logFile;
    if (parser.isSet(logOption) && !parser.isSet(quiet)) {
        logFile.setFileName(parser.value(logOption));
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return Usage(QStringLiteral("cannot write the log '%1': %2").arg(logFile.fileName(), logFile.errorString()));
        simulator.SetLogWriter([&logFile](const QString &line) {
            logFile.write(line.toUtf8() + '\n');
            logFile.flush();
        });
    } else if (!parser.isSet(quiet)) {
        simulator.SetLogWriter([](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    }

    const QString folder = parser.isSet(folderOption) ? parser.value(folderOption)
                                                      : qEnvironmentVariable("TARNCPS_VIRTUAL_CABLES");
    if (folder.isEmpty())
        return Usage(QStringLiteral("no folder: give --folder or set TARNCPS_VIRTUAL_CABLES"));
    const QString description = parser.isSet(descriptionOption)
                                    ? parser.value(descriptionOption)
                                    : QString::fromLatin1(CRadioSimulator::kDefaultDescription);
    if (!simulator.Start(folder, description, &failure)) {
        std::fprintf(stderr, "tarncps-radiosim: %s\n", qPrintable(failure));
        return kFailed;
    }
    std::printf("%s\n", qPrintable(simulator.SocketPath()));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.Stop();
    simulator.SetLogWriter({});

    if (parser.isSet(saveMemory) && !simulator.Memory().SaveFile(parser.value(saveMemory), &failure)) {
        std::fprintf(stderr, "tarncps-radiosim: cannot save the memory: %s\n", qPrintable(failure));
        return kFailed;
    }
    return kSuccess;
}
