// The cable status shared by running copies: two CCableStatus objects with
// the same scope stand for two copies (a child process for one that is
// killed), virtual cables for the cables.

#include "radio/CableStatus.h"
#include "radio/Ftd2xx.h"
#include "support/TestEnvironment.h"
#include "support/VirtualCablePeer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Keeps the events flowing (the reports are queued) until done() or the time is up.
bool WaitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

struct Report
{
    bool available = false;
    int count = -1;
};

// The reports a copy's main window would get, and on which thread they came.
class ReportRecorder
{
public:
    explicit ReportRecorder(CCableStatus &status)
    {
        QObject::connect(&status, &CCableStatus::CableReport, &status,
                         [this](bool available, int count) {
                             reports.push_back({available, count});
                             if (QThread::currentThread() != QCoreApplication::instance()->thread())
                                 offThread = true;
                         },
                         Qt::DirectConnection);
    }
    bool WaitFor(bool available, int count, int timeoutMs)
    {
        return WaitUntil(
            [&] { return !reports.empty() && reports.back().available == available && reports.back().count == count; },
            timeoutMs);
    }

    std::vector<Report> reports;
    bool offThread = false;
};

// A scope of its own for every test (the copies of the test meet there and
// nowhere else), and a folder of virtual cables. A death-test child finds
// its parent's scope in the environment.
class CableStatusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_scope = qEnvironmentVariable("TARN_TEST_CABLE_SCOPE");
        if (m_scope.isEmpty()) {
            static int serial = 0;
            m_scope = QStringLiteral("tarncps-test-%1-%2").arg(::getpid()).arg(++serial);
            m_ownsScope = true;
        }
        m_oldFolder = qgetenv("TARNCPS_VIRTUAL_CABLES");
        qputenv("TARNCPS_VIRTUAL_CABLES", m_folder.path().toUtf8());
        std::uint32_t devices = 0;
        ASSERT_EQ(FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        if (devices != 0)
            GTEST_SKIP() << "FTDI USB devices are attached; these tests count virtual cables only";
    }

    void TearDown() override
    {
        qputenv("TARNCPS_VIRTUAL_CABLES", m_oldFolder);
        if (!m_ownsScope)
            return;
        qunsetenv("TARN_TEST_CABLE_SCOPE");
        const QDir folder(SystemObjectFolder());
        for (const QString &name : folder.entryList({m_scope + QStringLiteral("-*")}, QDir::Files))
            QFile::remove(folder.filePath(name));
        ::shm_unlink(QStringLiteral("/%1-TarnCPSFileMap").arg(m_scope).toUtf8().constData());
    }

    QString Folder() const { return m_folder.path(); }
    const QString &Scope() const { return m_scope; }

    // A copy that runs the poller, is busy and holds the cable mutex is killed.
    void KillACopyThatHoldsEverything()
    {
        qputenv("TARN_TEST_CABLE_SCOPE", m_scope.toUtf8());
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                CCableStatus copy(m_scope);
                copy.Start();
                if (!WaitUntil([&] { return copy.HasPollerThread() && copy.Words().pollerPresent == 1; }, 10000))
                    std::_Exit(1);
                copy.SetBusy(true);
                if (!copy.CableMutex().TryLock())
                    std::_Exit(2);
                std::raise(SIGKILL);
            },
            ::testing::KilledBySignal(SIGKILL), "");
    }

private:
    ScopedConfig m_config;
    QTemporaryDir m_folder;
    QByteArray m_oldFolder;
    QString m_scope;
    bool m_ownsScope = false;
};

TEST_F(CableStatusTest, TwoCopiesSeeTheSameStatus)
{
    VirtualCablePeer cable(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CCableStatus first(Scope());
    CCableStatus second(Scope());
    ReportRecorder firstReports(first);
    ReportRecorder secondReports(second);
    first.Start();
    second.Start();

    ASSERT_TRUE(firstReports.WaitFor(true, 1, 8000));
    ASSERT_TRUE(secondReports.WaitFor(true, 1, 8000));
    EXPECT_EQ(int(first.HasPollerThread()) + int(second.HasPollerThread()), 1);
    EXPECT_FALSE(firstReports.offThread);
    EXPECT_EQ(first.LastCount(), 1);

    // While one copy transfers, the other sees the cable as not available.
    first.SetBusy(true);
    EXPECT_EQ(second.Words().busy, 1u);
    EXPECT_TRUE(secondReports.WaitFor(false, 1, 5000));
    first.SetBusy(false);
    EXPECT_EQ(second.Words().busy, 0u);
    EXPECT_TRUE(secondReports.WaitFor(true, 1, 5000));
}

TEST_F(CableStatusTest, CablesPluggedAndPulledChangeTheReport)
{
    CCableStatus status(Scope());
    ReportRecorder reports(status);
    status.Start();
    ASSERT_TRUE(reports.WaitFor(false, 0, 8000));
    {
        VirtualCablePeer qlm(Folder(), QStringLiteral("QLM Series CPS Cable"));
        EXPECT_TRUE(reports.WaitFor(true, 1, 5000));
        // Two cables: not available, and the count message with 2.
        VirtualCablePeer qx(Folder(), QStringLiteral("QX CPS Cable"));
        EXPECT_TRUE(reports.WaitFor(false, 2, 5000));
    }
    EXPECT_TRUE(reports.WaitFor(false, 0, 5000));
}

TEST_F(CableStatusTest, PollerRolePassesWhenThePollingCopyShutsDown)
{
    CCableStatus first(Scope());
    first.Start();
    ASSERT_TRUE(WaitUntil([&] { return first.HasPollerThread(); }, 8000));
    CCableStatus second(Scope());
    ReportRecorder secondReports(second);
    second.Start();
    ASSERT_TRUE(secondReports.WaitFor(false, 0, 8000));
    EXPECT_FALSE(second.HasPollerThread());

    first.Shutdown();
    EXPECT_FALSE(first.HasPollerThread());
    // The word is cleared at once, unless the second copy took the role
    // already (it sets the word before its poller exists, so read it first).
    const bool cleared = second.Words().pollerPresent == 0;
    EXPECT_TRUE(cleared || second.HasPollerThread());
    EXPECT_TRUE(WaitUntil([&] { return second.HasPollerThread(); }, 8000));
    // The new poller counts: the second copy's status keeps up with the cable.
    VirtualCablePeer cable(Folder(), QStringLiteral("QX CPS Cable"));
    EXPECT_TRUE(secondReports.WaitFor(true, 1, 5000));
}

TEST_F(CableStatusTest, LiveCopyRecoversFromACopyThatWasKilled)
{
    VirtualCablePeer cable(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CCableStatus survivor(Scope());
    KillACopyThatHoldsEverything();
    // What the killed copy left: poller present and busy, with nobody behind them.
    ASSERT_EQ(survivor.Words().pollerPresent, 1u);
    ASSERT_EQ(survivor.Words().busy, 1u);

    ReportRecorder reports(survivor);
    survivor.Start();
    EXPECT_TRUE(WaitUntil([&] { return survivor.HasPollerThread(); }, 8000));
    EXPECT_TRUE(reports.WaitFor(true, 1, 8000));
    EXPECT_EQ(survivor.Words().busy, 0u);
    EXPECT_TRUE(survivor.CableMutex().LockFor(2000));
    survivor.CableMutex().Unlock();
}

TEST_F(CableStatusTest, AreaLeftByTheLastCopyStartsAfresh)
{
    KillACopyThatHoldsEverything();
    CCableStatus next(Scope());
    const CableStatusWords words = next.Words();
    EXPECT_EQ(words.pollerPresent, 0u);
    EXPECT_EQ(words.busy, 0u);
    EXPECT_TRUE(next.CableMutex().TryLock());
    next.CableMutex().Unlock();
}

// Shutdown is prompt while another copy's worker holds one of the mutexes
// that the threads are waiting for.
class HeldMutexTest : public CableStatusTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(HeldMutexTest, ShutdownReturnsPromptly)
{
    VirtualCablePeer cable(Folder(), QStringLiteral("QLM Series CPS Cable"));
    CSystemMutex heldElsewhere(Scope(), QLatin1String(GetParam()));
    ASSERT_TRUE(heldElsewhere.TryLock());

    CCableStatus status(Scope());
    status.Start();
    QThread::msleep(1500);
    // Nothing was counted while the other holder had its mutex.
    EXPECT_EQ(status.Words().count, 0u);
    EXPECT_EQ(status.Words().connected, 0u);

    QElapsedTimer timer;
    timer.start();
    status.Shutdown();
    EXPECT_LT(timer.elapsed(), 2000);
    heldElsewhere.Unlock();
}

INSTANTIATE_TEST_SUITE_P(Mutexes, HeldMutexTest,
                         ::testing::Values(CCableStatus::kCableMutexName, CCableStatus::kStatusMutexName));

// ---------------------------------------------------------------------------
// The main window's rule for a report

struct RuleCase
{
    bool available;
    int count;
    bool busy;
    bool messageOpen;
    const char *message; // "" when none is shown
    bool commandsEnabled;
    const char *statusText; // nullptr when the pane is left as it is
};

class CableReportRuleTest : public ::testing::TestWithParam<RuleCase>
{
};

TEST_P(CableReportRuleTest, GivesCommandsStatusTextAndCountMessage)
{
    const RuleCase &c = GetParam();
    const CableReportEffect effect = ApplyCableReport(c.available, c.count, c.busy, c.messageOpen);
    EXPECT_EQ(effect.showCountMessage, *c.message != '\0');
    EXPECT_EQ(effect.countMessage, QString::fromUtf8(c.message));
    EXPECT_EQ(effect.deviceCommandsEnabled, c.commandsEnabled);
    EXPECT_EQ(effect.setStatusText, c.statusText != nullptr);
    if (c.statusText) {
        EXPECT_EQ(effect.statusText, QString::fromUtf8(c.statusText));
    }
}

const char kTwo[] = "There are 2 USB connections. Please remove the unused one and keep one connection only.";
const char kThree[] = "There are 3 USB connections. Please remove the unused one and keep one connection only.";

INSTANTIATE_TEST_SUITE_P(
    Reports, CableReportRuleTest,
    ::testing::Values(RuleCase{true, 1, false, false, "", true, "USB Cable Connected"},
                      RuleCase{false, 0, false, false, "", false, "USB Cable Not Connected"},
                      RuleCase{false, 1, true, false, "", false, nullptr},
                      RuleCase{true, 1, true, false, "", false, nullptr},
                      RuleCase{false, 2, false, false, kTwo, false, "USB Cable Not Connected"},
                      RuleCase{false, 2, false, true, "", false, "USB Cable Not Connected"},
                      RuleCase{false, 3, true, false, kThree, false, nullptr}));

} // namespace
