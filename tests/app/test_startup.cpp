// Start-up of the application object: what a good installation gives, the
// failures that end the start, the language resource, the menu passes, the
// splash, the About box, help, the language commands and exit.

#include "app/AboutDialog.h"
#include "app/CommandIds.h"
#include "app/HelpViewer.h"
#include "app/MainFrame.h"
#include "app/SplashWindow.h"
#include "app/TarnCPSApp.h"
#include "settings/AppContext.h"
#include "settings/StringTable.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const CTarnCPSApp::Options kQuiet{0, false};
const QStringList kPlainStart{QStringLiteral("tarncps")};

std::string Joined(const QStringList &texts)
{
    return texts.join(QStringLiteral(" | ")).toStdString();
}

QStringList TopLevelTexts(const CMainFrame &frame)
{
    QStringList texts;
    for (const QAction *action : frame.menuBar()->actions())
        texts << action->text();
    return texts;
}

// Command ids and texts of the items left in the Language sub-menu.
QList<int> LanguageCommands(const CMainFrame &frame)
{
    QList<int> commands;
    for (const QAction *action : frame.LanguageMenu()->actions())
        commands << action->data().toInt();
    return commands;
}

QStringList LanguageTexts(const CMainFrame &frame)
{
    QStringList texts;
    for (const QAction *action : frame.LanguageMenu()->actions())
        texts << action->text();
    return texts;
}

void RemoveMachineValue(const ScopedConfig &config, const QString &key)
{
    QSettings settings(config.MachineFile(), QSettings::IniFormat);
    settings.remove(key);
}

// Rewrites a file of an installation copy.
void EditInstallationFile(const QString &path, const std::function<void(QString &)> &edit)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    edit(text);
    WriteFile(path, text.toUtf8());
}

void SetSupportLanguages(const QString &install, const QString &languages)
{
    EditInstallationFile(install + QStringLiteral("/lib/Region.stv"), [&](QString &text) {
        static const QRegularExpression block(QStringLiteral("<SupportLanguages>.*</SupportLanguages>"),
                                              QRegularExpression::DotMatchesEverythingOption);
        ASSERT_TRUE(text.contains(block));
        text.replace(block, QStringLiteral("<SupportLanguages>%1</SupportLanguages>").arg(languages));
    });
}

template <class T>
T *VisibleTopLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    return nullptr;
}

// Runs inspect on the next dialog that opens modally, then closes it; gives
// up after about five seconds.
void InspectNextModalDialog(const std::function<void(QDialog *)> &inspect)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, inspect] {
        QDialog *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog && ++*ticks < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog) {
            inspect(dialog);
            dialog->reject();
        }
    });
    timer->start(10);
}

// Counts the key and mouse presses that reach it.
class PressCounter : public QWidget
{
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++presses; }
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

} // namespace

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CAppContext::Instance().Reset();
        UnloadLanguageResource();
    }
    void TearDown() override
    {
        UnloadLanguageResource();
        CAppContext::Instance().Reset();
    }

    // A private copy of the installation with the machine level pointing at it.
    QString UseCopy()
    {
        const QString install = CopyInstallation(m_dir.path());
        config.InstallMachineLevel(install);
        return install;
    }

    ScopedConfig config;

private:
    QTemporaryDir m_dir;
};

TEST_F(Startup, GoodInstallationStartsInEnglish)
{
    config.InstallMachineLevel(StagedInstallation());
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);

    CMainFrame *frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty()) << "a plain start opens no document";

    const CAppContext &context = CAppContext::Instance();
    EXPECT_EQ(context.RegionName(), QStringLiteral("Asia"));
    const QHash<int, QString> expectedCodes{
        {10, QStringLiteral("Tarn QX Dealer Asia CPS")},   {20, QStringLiteral("Tarn QX Dealer Asia CPS")},
        {30, QStringLiteral("Tarn QX Dealer Europe CPS")}, {40, QStringLiteral("Tarn QX Dealer Americas CPS")},
        {70, QStringLiteral("Tarn QX Dealer Asia CPS")},   {73, QStringLiteral("Tarn QX Dealer Europe CPS")},
    };
    EXPECT_EQ(CAppContext::Instance().RegionCodes(), expectedCodes);
    EXPECT_EQ(context.CurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(context.DecimalSeparator(), QStringLiteral("."));

    // A first start copies the machine language and help-pane setting to the user level.
    EXPECT_EQ(config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("English"));
    EXPECT_EQ(config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), 1);
    EXPECT_TRUE(frame->HelpPaneFlag());

    EXPECT_EQ(TopLevelTexts(*frame), (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"),
                                                  QStringLiteral("&View"), QStringLiteral("&Device"),
                                                  QStringLiteral("&Help")}));
    EXPECT_EQ(frame->EditMenu()->actions().last(), frame->LanguageMenu()->menuAction());
    EXPECT_EQ(frame->LanguageMenu()->title(), QStringLiteral("&Language"));
    EXPECT_EQ(LanguageCommands(*frame), (QList<int>{32789, 32788}));
    EXPECT_EQ(LanguageTexts(*frame), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")}));
    EXPECT_TRUE(frame->Action(32789)->isChecked());
    EXPECT_FALSE(frame->Action(32788)->isChecked());
    EXPECT_EQ(frame->Action(Cmd::AppAbout)->text(), QStringLiteral("&About ZR4400 && ZR4480 Distributor CPS..."));
    EXPECT_EQ(app.Menus().LocalizeCalls(), 1);
    EXPECT_EQ(app.Menus().TrimPasses(), 1);
}

TEST_F(Startup, GermanWithItsResourceStartsInGerman)
{
    config.InstallMachineLevel(StagedInstallation());
    config.WriteUser(QStringLiteral("CurrentLanguage"), QStringLiteral("German"));
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);

    CMainFrame *frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CAppContext::Instance().CurrentLanguage(), QStringLiteral("German"));
    EXPECT_EQ(CAppContext::Instance().DecimalSeparator(), QStringLiteral(","));
    EXPECT_EQ(config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("German"));
    EXPECT_EQ(TopLevelTexts(*frame), (QStringList{QStringLiteral("&Datei"), QStringLiteral("&Bearbeiten"),
                                                  QStringLiteral("&Ansicht"), QStringLiteral("&Ger\u00e4t"),
                                                  QStringLiteral("&Hilfe")}));
    EXPECT_EQ(frame->LanguageMenu()->title(), QStringLiteral("&Sprache"));
    EXPECT_EQ(LanguageTexts(*frame), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")}));
    EXPECT_TRUE(frame->Action(32788)->isChecked());
}

TEST_F(Startup, UnloadableLanguageResourceFallsBackToEnglishWithMessage325)
{
    const struct
    {
        const char *name;
        const char *language;
        std::function<void(ScopedConfig &)> prepare;
    } cases[] = {
        {"German without GUIResource", "German",
         [](ScopedConfig &c) { RemoveMachineValue(c, QStringLiteral("Language/German/GUIResource")); }},
        {"German resource file missing", "German",
         [](ScopedConfig &c) {
             c.WriteMachine(QStringLiteral("Language/German/GUIResource"), QStringLiteral("languages/missing.qm"));
         }},
        // Only the exact name "English" is the built-in language.
        {"english in lower case", "english", [](ScopedConfig &) {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CAppContext::Instance().Reset();
        ScopedConfig config;
        config.InstallMachineLevel(StagedInstallation());
        c.prepare(config);
        config.WriteUser(QStringLiteral("CurrentLanguage"), QString::fromLatin1(c.language));

        CTarnCPSApp app(kQuiet);
        CapturingSink sink;
        const bool started = app.InitInstance(kPlainStart);
        EXPECT_TRUE(started);
        EXPECT_EQ(sink.texts, QStringList{EnglishString(325)});
        EXPECT_FALSE(IsLanguageResourceLoaded());
        EXPECT_EQ(config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("English"));
        EXPECT_EQ(CAppContext::Instance().CurrentLanguage(), QStringLiteral("English"));
        EXPECT_EQ(CAppContext::Instance().DecimalSeparator(), QStringLiteral("."));
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_EQ(TopLevelTexts(*app.MainFrame()).first(), QStringLiteral("&File"));
        EXPECT_TRUE(app.MainFrame()->Action(32789)->isChecked());
    }
}

TEST_F(Startup, FailuresEndTheStartWithTheirMessage)
{
    struct Case
    {
        const char *name;
        std::function<void(ScopedConfig &, const QString &install)> prepare;
        int message;
        int documentsLoaded; // of the five, in loading order
    };
    const Case cases[] = {
        {"no language at either level",
         [](ScopedConfig &c, const QString &) { RemoveMachineValue(c, QStringLiteral("DefaultLanguage")); }, 130, 0},
        {"no ShowContextHelp at either level",
         [](ScopedConfig &c, const QString &) { RemoveMachineValue(c, QStringLiteral("ShowContextHelp")); }, 130, 0},
        {"DataProfile.xsd missing",
         [](ScopedConfig &, const QString &install) {
             ASSERT_TRUE(QFile::remove(install + QStringLiteral("/profiletemplate/DataProfile.xsd")));
         },
         315, 5},
        {"DataProfile.js missing",
         [](ScopedConfig &, const QString &install) {
             ASSERT_TRUE(QFile::remove(install + QStringLiteral("/profiletemplate/DataProfile.js")));
         },
         315, 5},
        {"HelpPanMap.stv not well-formed",
         [](ScopedConfig &, const QString &install) {
             WriteFile(install + QStringLiteral("/lib/HelpPanMap.stv"),
                       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<HelpPanMap><Form></HelpPanMap>\n");
         },
         315, 3},
        {"ButtonList.stv missing",
         [](ScopedConfig &, const QString &install) {
             ASSERT_TRUE(QFile::remove(install + QStringLiteral("/lib/ButtonList.stv")));
         },
         315, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CAppContext::Instance().Reset();
        QTemporaryDir dir;
        const QString install = CopyInstallation(dir.path());
        ScopedConfig config;
        config.InstallMachineLevel(install);
        c.prepare(config, install);

        CTarnCPSApp app(CTarnCPSApp::Options{0, true});
        CapturingSink sink;
        EXPECT_FALSE(app.InitInstance(kPlainStart));
        EXPECT_EQ(sink.texts, QStringList{LoadString(c.message)});
        EXPECT_EQ(app.MainFrame(), nullptr);

        const CSettingDocuments &settings = CAppContext::Instance().Settings();
        const xmlDoc *documents[] = {settings.VisibleSetting(), settings.ButtonList(), settings.Region(),
                                     settings.HelpPanMap(), settings.UpDownGradeSetting()};
        int loaded = 0;
        for (const xmlDoc *doc : documents)
            loaded += doc != nullptr;
        EXPECT_EQ(loaded, c.documentsLoaded);
    }
}

TEST_F(Startup, FileOnTheCommandLineEndsTheStartWithAMessage)
{
    config.InstallMachineLevel(StagedInstallation());
    QTemporaryDir dir;
    CTarnCPSApp app(CTarnCPSApp::Options{0, true});
    CapturingSink sink;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("tarncps"), dir.filePath(QStringLiteral("ZRD41610.ra9"))}));
    EXPECT_EQ(sink.texts.size(), 1) << Joined(sink.texts);
    EXPECT_TRUE(app.MainFrame() == nullptr || !app.MainFrame()->isVisible());
}

// The texts are set at start-up and for the first profile window; the
// language commands the installation does not offer are removed both times;
// later calls change nothing.
TEST_F(Startup, MenuPassesAreEffectiveExactlyTwice)
{
    config.InstallMachineLevel(StagedInstallation());
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    CMainFrame *frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);

    auto overwriteTexts = [frame] {
        for (QAction *action : frame->menuBar()->actions())
            action->setText(QStringLiteral("stale"));
        frame->Action(Cmd::HelpPane)->setText(QStringLiteral("stale"));
        frame->Action(32788)->setText(QStringLiteral("stale"));
    };

    overwriteTexts();
    frame->BuildMenus(true);
    app.LocalizeAndTrimMenus();
    EXPECT_EQ(app.Menus().LocalizeCalls(), 2);
    EXPECT_EQ(app.Menus().TrimPasses(), 2);
    EXPECT_EQ(TopLevelTexts(*frame),
              (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                           QStringLiteral("&Device"), QStringLiteral("&Report"), QStringLiteral("&Window"),
                           QStringLiteral("&Help")}));
    EXPECT_EQ(frame->Action(Cmd::HelpPane)->text(), LoadString(399));
    EXPECT_EQ(LanguageTexts(*frame), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch")}));

    // A third call neither sets texts nor trims.
    overwriteTexts();
    frame->LanguageMenu()->addAction(frame->Action(32799)); // French, not offered here
    app.LocalizeAndTrimMenus();
    EXPECT_EQ(TopLevelTexts(*frame), QStringList(7, QStringLiteral("stale")));
    EXPECT_EQ(frame->Action(Cmd::HelpPane)->text(), QStringLiteral("stale"));
    EXPECT_EQ(LanguageCommands(*frame), (QList<int>{32789, 32788, 32799}));
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);
}

TEST_F(Startup, TrimmingKeepsOnlyTheOfferedLanguages)
{
    const struct
    {
        const char *name;
        const char *languages;
        QList<int> commands; // empty: no Language sub-menu at all
        QStringList texts;
    } cases[] = {
        {"English alone", R"(<language name="English" displayName="English"/>)", {}, {}},
        {"English and German",
         R"(<language name="English" displayName="English"/><language name="German" displayName="Deutsch"/>)",
         {32789, 32788},
         {QStringLiteral("English"), QStringLiteral("Deutsch")}},
        // English is never removed; without a display name its item shows a blank.
        {"German and Spanish",
         R"(<language name="German" displayName="Deutsch"/><language name="Spanish" displayName="Espa&#241;ol"/>)",
         {32789, 32788, 32802},
         {QStringLiteral(" "), QStringLiteral("Deutsch"), QStringLiteral("Espa\u00f1ol")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CAppContext::Instance().Reset();
        QTemporaryDir dir;
        const QString install = CopyInstallation(dir.path());
        SetSupportLanguages(install, QString::fromLatin1(c.languages));
        ScopedConfig config;
        config.InstallMachineLevel(install);

        CTarnCPSApp app(kQuiet);
        CapturingSink sink;
        ASSERT_TRUE(app.InitInstance(kPlainStart));
        CMainFrame *frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);

        // Start-up pass, document-menu pass, and a third call that does nothing.
        for (int pass = 1; pass <= 3; ++pass) {
            SCOPED_TRACE(pass);
            if (pass == 2)
                frame->BuildMenus(true);
            if (pass > 1)
                app.LocalizeAndTrimMenus();
            const QList<QAction *> edit = frame->EditMenu()->actions();
            if (c.commands.isEmpty()) {
                EXPECT_FALSE(edit.contains(frame->LanguageMenu()->menuAction()));
                // Only the sub-menu goes: the Edit menu still ends with Dealer Info.
                EXPECT_EQ(edit.last(), frame->Action(Cmd::DealerInfo));
                EXPECT_EQ(edit.size(), 8);
            } else {
                EXPECT_EQ(edit.last(), frame->LanguageMenu()->menuAction());
                EXPECT_EQ(frame->LanguageMenu()->title(), QStringLiteral("&Language"));
                EXPECT_EQ(LanguageCommands(*frame), c.commands);
                EXPECT_EQ(LanguageTexts(*frame), c.texts);
            }
        }
        EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);
    }
}

TEST_F(Startup, HelpPaneFlagIsWrittenBackWhenTheMainFrameIsDestroyed)
{
    for (const bool startsOn : {true, false}) {
        SCOPED_TRACE(startsOn);
        CAppContext::Instance().Reset();
        ScopedConfig config;
        config.InstallMachineLevel(StagedInstallation());
        if (!startsOn)
            config.WriteUser(QStringLiteral("ShowContextHelp"), 0);

        CTarnCPSApp app(kQuiet);
        CapturingSink sink;
        ASSERT_TRUE(app.InitInstance(kPlainStart));
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_EQ(app.MainFrame()->HelpPaneFlag(), startsOn);
        EXPECT_EQ(config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), startsOn ? 1 : 0);

        app.MainFrame()->SetHelpPaneFlag(!startsOn);
        EXPECT_EQ(config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), startsOn ? 1 : 0)
            << "written when the frame goes, not before";
        app.ExitInstance();
        EXPECT_EQ(app.MainFrame(), nullptr);
        EXPECT_EQ(config.ReadUser(QStringLiteral("ShowContextHelp")).toInt(), startsOn ? 0 : 1);
    }
}

TEST_F(Startup, SplashClosesEarlyOnAKeyPressAndTheMainWindowIsShownMaximised)
{
    config.InstallMachineLevel(StagedInstallation());
    CTarnCPSApp app(CTarnCPSApp::Options{4000, true});
    CapturingSink sink;

    PressCounter elsewhere;
    bool splashSeen = false;
    bool mainShownDuringSplash = true;
    QTimer::singleShot(100, [&] {
        if (!VisibleTopLevel<CSplashWindow>())
            return;
        splashSeen = true;
        mainShownDuringSplash = VisibleTopLevel<CMainFrame>() != nullptr;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QApplication::sendEvent(&elsewhere, &press);
    });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    const qint64 elapsed = clock.elapsed();

    EXPECT_TRUE(splashSeen);
    EXPECT_FALSE(mainShownDuringSplash);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(elsewhere.presses, 0) << "the key press that closes the splash is consumed";
    EXPECT_EQ(VisibleTopLevel<CSplashWindow>(), nullptr);
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_TRUE(app.MainFrame()->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);

    // Once the splash has gone, key presses reach their widgets again.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&elsewhere, &press);
    EXPECT_EQ(elsewhere.presses, 1);
}

TEST(SplashWindow, AnyMouseButtonClosesItAndIsConsumedAndTheTimerClosesItOtherwise)
{
    QPixmap picture(40, 30);
    picture.fill(Qt::darkBlue);
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(int(button));
        QPointer<CSplashWindow> splash = new CSplashWindow(picture, 60000);
        bool closed = false;
        QObject::connect(splash.data(), &CSplashWindow::closed, [&closed] { closed = true; });
        splash->show();
        PressCounter elsewhere;
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&elsewhere, &move);
        EXPECT_FALSE(closed) << "moving the mouse does not close it";
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), button, button, Qt::NoModifier);
        QApplication::sendEvent(&elsewhere, &press);
        EXPECT_TRUE(closed);
        EXPECT_EQ(elsewhere.presses, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(splash.isNull()) << "it deletes itself when closed";
    }

    QElapsedTimer clock;
    clock.start();
    CSplashWindow::ShowAndWait(QStringLiteral(":/no/such/picture.png"), 60000);
    EXPECT_LT(clock.elapsed(), 1000) << "without its picture no splash is shown";

    auto *timed = new CSplashWindow(picture, 50);
    bool closed = false;
    QObject::connect(timed, &CSplashWindow::closed, [&closed] { closed = true; });
    timed->show();
    clock.restart();
    while (!closed && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(closed);
}

TEST_F(Startup, AboutBoxShowsTitleProductLineAndVersionOfTheInstallation)
{
    const QString install = UseCopy();
    EditInstallationFile(install + QStringLiteral("/lib/Region.stv"), [](QString &text) {
        ASSERT_TRUE(text.contains(QLatin1String("<ProductVersion value=\"1.0.0\"/>")));
        text.replace(QLatin1String("<ProductVersion value=\"1.0.0\"/>"),
                     QLatin1String("<ProductVersion value=\"4.17.2\"/>"));
    });
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));

    bool inspected = false;
    InspectNextModalDialog([&](QDialog *dialog) {
        inspected = true;
        EXPECT_NE(qobject_cast<CAboutDialog *>(dialog), nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About ZR4400 & ZR4480 Distributor CPS"));
        const QLabel *product = dialog->findChild<QLabel *>(QStringLiteral("productLine"));
        const QLabel *version = dialog->findChild<QLabel *>(QStringLiteral("versionLine"));
        ASSERT_NE(product, nullptr);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(product->text(), QStringLiteral("ZR4400 & ZR4480 Distributor Customer Programming Software"));
        EXPECT_EQ(version->text(), QStringLiteral("Version 4.17.2"));
        const QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_EQ(buttons->buttons().size(), 1);
        EXPECT_EQ(buttons->buttons().first()->text(), LoadString(140));
    });
    app.MainFrame()->Action(Cmd::AppAbout)->trigger();
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);
}

TEST_F(Startup, ContentAndIndexReportsAMissingHelpOrOpensItsIndexPage)
{
    const QString install = UseCopy();
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    QAction *content = app.MainFrame()->Action(Cmd::HelpContent);
    const QString key = QStringLiteral("Language/English/HelpFileName");

    const struct
    {
        const char *name;
        std::function<void()> prepare;
        int message;
    } failures[] = {
        {"no HelpFileName", [&] { RemoveMachineValue(config, key); }, 2014},
        {"folder missing", [&] { config.WriteMachine(key, QStringLiteral("help/Nowhere")); }, 2015},
        {"folder without index page", [&] { config.WriteMachine(key, QStringLiteral("lib")); }, 2016},
    };
    for (const auto &c : failures) {
        SCOPED_TRACE(c.name);
        sink.texts.clear();
        c.prepare();
        content->trigger();
        EXPECT_EQ(sink.texts, QStringList{LoadString(c.message)});
        EXPECT_EQ(VisibleTopLevel<CHelpViewer>(), nullptr);
    }

    sink.texts.clear();
    config.WriteMachine(key, QStringLiteral("help/English"));
    content->trigger();
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);
    CHelpViewer *viewer = VisibleTopLevel<CHelpViewer>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(QFileInfo(viewer->Browser()->source().toLocalFile()).canonicalFilePath(),
              QFileInfo(install + QStringLiteral("/help/English/index.html")).canonicalFilePath());
    EXPECT_EQ(viewer->Browser()->documentTitle(), QStringLiteral("Contents and Index"));
}

TEST_F(Startup, LanguageCommandAsksForARestartOnlyWhenTheLanguageChanges)
{
    config.InstallMachineLevel(StagedInstallation());
    CTarnCPSApp app(kQuiet);
    CapturingSink sink;
    ASSERT_TRUE(app.InitInstance(kPlainStart));
    CMainFrame *frame = app.MainFrame();
    QAction *english = frame->Action(32789);
    QAction *german = frame->Action(32788);

    english->trigger();
    EXPECT_TRUE(sink.texts.isEmpty()) << Joined(sink.texts);
    EXPECT_TRUE(english->isChecked());
    EXPECT_EQ(config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("English"));

    german->trigger();
    EXPECT_EQ(sink.texts, QStringList{LoadString(2017)});
    EXPECT_EQ(config.ReadUser(QStringLiteral("CurrentLanguage")).toString(), QStringLiteral("German"));
    EXPECT_TRUE(german->isChecked());
    EXPECT_FALSE(english->isChecked());
    // The interface stays in the language it started with.
    EXPECT_EQ(TopLevelTexts(*frame).first(), QStringLiteral("&File"));
    EXPECT_EQ(CAppContext::Instance().CurrentLanguage(), QStringLiteral("English"));

    german->trigger();
    EXPECT_EQ(sink.texts.size(), 1) << "German is already the current language";
}
