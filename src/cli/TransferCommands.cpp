// identify, read, write, reset: the radio on the programming cable, through
// the same session workers, cable mutex and busy flags as the desktop
// program, with the transfer checks answered from the command line.
//
// Progress and messages go to standard error, the identity record of
// `identify` to standard output. A profile read from a radio is written only
// after the whole read (reset included) has succeeded, and then atomically.
//
// The cable: every session waits for the user's system-wide cable mutex, as
// every copy of the program does. While another copy holds it (it transfers,
// or its cable poller counts), the tool says so once and waits up to --wait
// seconds (default 30); when the cable is still held then, it gives up with
// "The cable is busy: another copy of the program is using it." and exit
// status 1, having sent nothing to the radio.

#include "cli/CliDialogs.h"
#include "cli/Commands.h"
#include "codeplug/RadioIdentity.h"
#include "codeplug/VirtualCP.h"
#include "model/DataItem.h"
#include "model/ProfileFile.h"
#include "model/RadioDataModel.h"
#include "radio/CableStatus.h"
#include "radio/RadioSession.h"
#include "radio/TransferChecks.h"
#include "radio/TransferDialogs.h"
#include "radio/TransferMessage.h"
#include "radio/UsbCable.h"
#include "settings/Installation.h"
#include "settings/ProfileQueries.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>

namespace Cli {

namespace {

// Message ids of the texts used here.
constexpr int kCountMessage = 2020;
constexpr int kFrequenciesOutOfLimits = 511;

constexpr int kDefaultWaitSeconds = 30;

// The options every radio command takes.
struct CommonOptions
{
    QCommandLineOption trace{QStringLiteral("trace"), QStringLiteral("Write every frame sent and received to FILE."),
                             QStringLiteral("FILE")};
    QCommandLineOption wait{QStringLiteral("wait"),
                            QStringLiteral("Wait at most SECONDS for a cable another copy is using (default 30)."),
                            QStringLiteral("SECONDS")};
};

// Parses a radio command's options, the common ones included; `files`
// positional arguments exactly.
bool ParseRadioArguments(QCommandLineParser &parser, const CommonOptions &common, const QString &command,
                         const QStringList &arguments, int files)
{
    parser.addOptions({common.trace, common.wait});
    if (!ParseArguments(parser, command, arguments, files))
        return false;
    if (parser.isSet(common.wait)) {
        bool ok = false;
        const int seconds = parser.value(common.wait).toInt(&ok);
        if (!ok || seconds < 0 || seconds > 3600) {
            UsageError(QStringLiteral("%1: --wait takes a number of seconds from 0 to 3600").arg(command));
            return false;
        }
    }
    return true;
}

// One command's conversation with the radio: the cable found, the session
// with its trace, the workers, and the transfer messages received on this
// thread.
class CRadioRun : public QObject
{
public:
    enum class Mode { Identify, Read, Write, Reset };

    // What one worker's run came to.
    struct Outcome
    {
        bool ok = false;          // every procedure completed, nothing failed
        bool cableBusy = false;   // the worker never got the cable
    };

    CRadioRun(int cableIndex, int waitSeconds)
        : m_session(cableIndex)
        , m_worker(m_session, m_cableStatus)
        , m_waitMs(waitSeconds * 1000)
    {
    }

    ~CRadioRun() override
    {
        m_worker.Wait(INT_MAX);
        m_session.Link().SetTrace({});
        if (m_cableStatus.IsBusy())
            m_cableStatus.SetBusy(false);
    }

    // Every frame to the file from now on; false (with the reason printed)
    // when it cannot be written.
    bool TraceTo(const QString &path)
    {
        m_traceFile.setFileName(path);
        if (!m_traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            PrintError(QStringLiteral("%1: %2").arg(path, m_traceFile.errorString()));
            return false;
        }
        m_session.Link().SetTrace(CRadioLink::TraceTo(&m_traceFile));
        return true;
    }

    // The busy flags are set by a read, write or reset command for its whole run.
    void SetBusy(bool busy) { m_cableStatus.SetBusy(busy); }

    Outcome Identify(CRadioIdentity &identity)
    {
        return Run(Mode::Identify, [&](CSessionWorker::Target target) {
            identity = CRadioIdentity{};
            return m_worker.StartIdentify(identity, target);
        });
    }
    Outcome Read(VirtualCP &image)
    {
        std::fprintf(stderr, "Reading from the radio ...\n");
        return Run(Mode::Read, [&](CSessionWorker::Target target) {
            image = VirtualCP();
            return m_worker.StartRead(image, target, &m_transferRunning);
        });
    }
    Outcome Write(const VirtualCP &image)
    {
        std::fprintf(stderr, "Writing to the radio ...\n");
        return Run(Mode::Write, [&](CSessionWorker::Target target) {
            return m_worker.StartWrite(image, target, &m_remembered, &m_transferRunning);
        });
    }
    Outcome Reset()
    {
        return Run(Mode::Reset, [&](CSessionWorker::Target target) { return m_worker.StartReset(target); });
    }

    CRememberedPassword &Remembered() { return m_remembered; }

private:
    // The procedures that report "completed" in a run that goes well:
    // session start, transfer and reset for a read or write.
    static int Completions(Mode mode) { return mode == Mode::Read || mode == Mode::Write ? 3 : 1; }

    void OnMessage(Mode mode, int kind, int value)
    {
        switch (TransferKind(kind)) {
        case TransferKind::Progress:
            if (mode != Mode::Identify)
                std::fprintf(stderr, "%d%%\n", value);
            break;
        case TransferKind::Completed:
            ++m_completed;
            break;
        case TransferKind::Failed:
            // As the progress dialog: the first failure is shown, and the
            // worker goes no further than it has come.
            m_transferRunning = false;
            if (!m_failed)
                PrintError(TransferFailureText(value));
            m_failed = true;
            break;
        case TransferKind::RadioWarning:
            m_transferRunning = false;
            PrintError(RadioWarningText(value));
            m_failed = true;
            break;
        }
    }

    template<typename Start>
    Outcome Run(Mode mode, Start start)
    {
        m_completed = 0;
        m_failed = false;
        m_transferRunning = true;
        m_cableStatus.StopEvent().Reset();

        CSystemMutex &cable = m_cableStatus.CableMutex();
        if (cable.TryLock()) {
            cable.Unlock();
        } else {
            const bool transferring = m_cableStatus.Words().busy != 0;
            std::fprintf(stderr, "The cable is in use by another copy of the program%s; waiting up to %d s ...\n",
                         transferring ? " (transferring)" : "", m_waitMs / 1000);
        }

        const CSessionWorker::Target target{this, [this, mode](int kind, int value) { OnMessage(mode, kind, value); }};
        if (!start(target))
            return {};
        // The worker waits for the cable on the stop event; it is set when
        // the wait is over and the worker still has not got the cable. Should
        // the worker take it just then, the event is reset at once, long
        // before a reset's wait could look at it.
        QDeadlineTimer cableDeadline(m_waitMs);
        bool gaveUp = false;
        while (!m_worker.Wait(20)) {
            QCoreApplication::processEvents();
            if (!gaveUp && cableDeadline.hasExpired() && !cable.IsLocked()) {
                m_cableStatus.StopEvent().Set();
                if (cable.IsLocked())
                    m_cableStatus.StopEvent().Reset();
                else
                    gaveUp = true;
            }
        }
        // The messages still queued.
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::processEvents();
        m_cableStatus.StopEvent().Reset();

        Outcome outcome;
        outcome.cableBusy = gaveUp && m_completed == 0 && !m_failed;
        outcome.ok = !m_failed && m_completed >= Completions(mode);
        if (outcome.cableBusy)
            PrintError(QStringLiteral("The cable is busy: another copy of the program is using it."));
        if (mode == Mode::Read || mode == Mode::Write) {
            const bool read = mode == Mode::Read;
            std::fprintf(stderr, "%s\n",
                         outcome.ok ? (read ? "Read Successfully!" : "Write Successfully!")
                                    : (read ? "Read Failed!" : "Write Failed!"));
        }
        return outcome;
    }

    CCableStatus m_cableStatus;
    CRadioSession m_session;
    CSessionWorker m_worker;
    CRememberedPassword m_remembered;
    QFile m_traceFile;
    int m_waitMs = 0;
    std::atomic<bool> m_transferRunning{true};
    int m_completed = 0;
    bool m_failed = false;
};

// The device index of the only programming cable; nothing (with the reason
// printed) when there is none or more than one.
std::optional<int> FindCable()
{
    CUsbCable cable;
    int index = -1;
    const int count = cable.CountCables(&index);
    if (count == 0) {
        PrintError(QStringLiteral("No programming cable is attached."));
        return std::nullopt;
    }
    if (count > 1) {
        PrintError(FormatText(LoadString(kCountMessage), {QString::number(count)}));
        return std::nullopt;
    }
    return index;
}

// The session object for a command: the cable found and the trace open.
std::unique_ptr<CRadioRun> MakeRun(const QCommandLineParser &parser, const CommonOptions &common)
{
    const std::optional<int> index = FindCable();
    if (!index)
        return nullptr;
    const int wait = parser.isSet(common.wait) ? parser.value(common.wait).toInt() : kDefaultWaitSeconds;
    auto run = std::make_unique<CRadioRun>(*index, wait);
    if (parser.isSet(common.trace) && !run->TraceTo(parser.value(common.trace)))
        return nullptr;
    return run;
}

std::optional<QString> PasswordOption(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    return parser.isSet(option) ? std::optional<QString>(parser.value(option)) : std::nullopt;
}

QString Characters(const quint8 *bytes, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(bytes[i] >= 0x20 && bytes[i] < 0x7F ? char16_t(bytes[i]) : u'?');
    return text;
}

void PrintIdentity(const CRadioIdentity &radio)
{
    QString digits;
    for (quint8 digit : radio.modelDigits)
        digits += digit <= 9 ? QChar(u'0' + digit) : QChar(u'?');
    const quint8 firmware[] = {radio.firmwarePhase, radio.firmwareVersion, radio.firmwareRevision};
    std::printf("model\t%s%s\n", qPrintable(Characters(radio.modelCharacters.data(), 3)), qPrintable(digits));
    std::printf("firmware\t%s\n", qPrintable(Characters(firmware, 3)));
    std::printf("codeplug phase\t%s\n", qPrintable(Characters(&radio.codeplugPhase, 1)));
    std::printf("codeplug version\t%u\n", unsigned(radio.codeplugVersion));
    std::printf("password\t%s\n", radio.PasswordText().isEmpty() ? "none" : "set");
    std::printf("valid frequencies\t%u\n", unsigned(radio.validFrequencies));
    std::printf("clone class\t%u\n", unsigned(radio.serialCloneCompatibility));
    std::printf("largest code\t%u\n", unsigned(radio.maxCode));
}

bool WriteImageFile(const QString &path, const VirtualCP &image)
{
    QSaveFile file(path);
    const QByteArray bytes = image.Save();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        PrintError(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int Identify(const QStringList &arguments)
{
    QCommandLineParser parser;
    const CommonOptions common;
    if (!ParseRadioArguments(parser, common, QStringLiteral("identify"), arguments, 0))
        return Usage;
    UseConfiguredLanguage();
    const std::unique_ptr<CRadioRun> run = MakeRun(parser, common);
    if (!run)
        return Failed;
    CRadioIdentity radio;
    if (!run->Identify(radio).ok)
        return Failed;
    PrintIdentity(radio);
    return Success;
}

int Read(const QStringList &arguments)
{
    QCommandLineParser parser;
    const CommonOptions common;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The profile file to write."), QStringLiteral("FILE"));
    const QCommandLineOption imageOption(QStringLiteral("image"), QStringLiteral("Also write the codeplug image read."),
                                        QStringLiteral("IMAGE"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("The radio's password."),
                                      QStringLiteral("PWD"));
    parser.addOptions({output, imageOption, password});
    if (!ParseRadioArguments(parser, common, QStringLiteral("read"), arguments, 0))
        return Usage;
    if (!parser.isSet(output))
        return UsageError(QStringLiteral("read: -o FILE is required"));

    if (!LoadLanguageAndInstallation())
        return Failed;
    const std::unique_ptr<CRadioRun> run = MakeRun(parser, common);
    if (!run)
        return Failed;
    CCliDialogs dialogs(PasswordOption(parser, password), false);

    run->SetBusy(true);
    CRadioIdentity radio;
    if (!run->Identify(radio).ok)
        return Failed;
    const CTransferVerdict verdict = CompleteIdentifyForRead(radio, run->Remembered(), dialogs);
    if (!verdict.proceed) {
        verdict.Show(dialogs);
        return Failed;
    }
    VirtualCP image;
    if (!run->Read(image).ok)
        return Failed;
    run->SetBusy(false);

    // The raw image is kept even when it does not make a profile: it is what
    // the radio holds.
    if (parser.isSet(imageOption) && !WriteImageFile(parser.value(imageOption), image))
        return Failed;
    if (DecideAfterRead(image, false, dialogs) != AfterReadAction::NewProfile)
        return Failed;
    QString trace;
    const std::unique_ptr<CRadioDataModel> model = NewProfileFromImage(image, dialogs, &trace);
    if (!model) {
        if (!trace.isEmpty())
            PrintError(trace.trimmed());
        return Failed;
    }
    QString text;
    try {
        text = ProfileTextForSaving(*model);
    } catch (const CTarnCPSException &e) {
        PrintError(LoadString(e.MessageId()));
        PrintError(e.Trace().trimmed());
        return Failed;
    }
    QString error;
    if (!WriteProfileFile(parser.value(output), text, &error)) {
        PrintError(QStringLiteral("%1: %2").arg(parser.value(output), error));
        return Failed;
    }
    return Success;
}

int Write(const QStringList &arguments)
{
    QCommandLineParser parser;
    const CommonOptions common;
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("The radio's password."),
                                      QStringLiteral("PWD"));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Answer Yes to the tier question."));
    parser.addOptions({password, yes});
    if (!ParseRadioArguments(parser, common, QStringLiteral("write"), arguments, 1))
        return Usage;

    // Opened as the program opens a document: the compatibility check, then
    // the profile loaded from the file.
    const QString path = parser.positionalArguments().front();
    if (!LoadLanguageAndInstallation() || !CheckBeforeOpening(path))
        return Failed;
    CRadioDataModel model;
    try {
        if (!model.LoadProfile(path, true))
            return Failed;
        if (!AreFrequenciesWithinLimits(model.RootItem())) {
            PrintError(LoadString(kFrequenciesOutOfLimits));
            return Failed;
        }
    } catch (const CTarnCPSException &e) {
        PrintError(LoadString(e.MessageId()));
        PrintError(e.Trace().trimmed());
        return Failed;
    }

    const std::unique_ptr<CRadioRun> run = MakeRun(parser, common);
    if (!run)
        return Failed;
    CCliDialogs dialogs(PasswordOption(parser, password), parser.isSet(yes));

    run->SetBusy(true);
    CRadioIdentity radio;
    if (!run->Identify(radio).ok)
        return Failed;
    VirtualCP image;
    const CTransferVerdict verdict = CompleteIdentifyForWrite(radio, &model, image, run->Remembered(), dialogs);
    if (!verdict.proceed) {
        verdict.Show(dialogs);
        if (!verdict.trace.isEmpty())
            PrintError(verdict.trace.trimmed());
        return Failed;
    }
    return run->Write(image).ok ? Success : Failed;
}

int Reset(const QStringList &arguments)
{
    QCommandLineParser parser;
    const CommonOptions common;
    if (!ParseRadioArguments(parser, common, QStringLiteral("reset"), arguments, 0))
        return Usage;
    UseConfiguredLanguage();
    const std::unique_ptr<CRadioRun> run = MakeRun(parser, common);
    if (!run)
        return Failed;
    run->SetBusy(true);
    return run->Reset().ok ? Success : Failed;
}

} // namespace Cli
