#include "app/TarnCPSApp.h"
#include "app/GuiMessageSink.h"
#include "app/MainFrame.h"
#include "app/SplashWindow.h"
#include "model/ScriptHost.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/Installation.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"

#include <QApplication>

CTarnCPSApp::CTarnCPSApp()
    : CTarnCPSApp(Options())
{
}

CTarnCPSApp::CTarnCPSApp(const Options &options)
    : m_options(options)
    , m_sink(std::make_unique<CGuiMessageSink>())
{
    // The pictures are compiled into the program's library.
    Q_INIT_RESOURCE(resources);
    QApplication::setApplicationName(kAppName);
    SetMessageSink(m_sink.get());
}

CTarnCPSApp::~CTarnCPSApp()
{
    m_mainFrame.reset();
    SetMessageSink(nullptr);
}

bool CTarnCPSApp::InitInstance(const QStringList &arguments)
{
    CAppContext &app = CAppContext::Instance();

    // There is no COM or OLE layer to start here; those steps always succeed.

    if (!CScriptHost::CheckScriptEngine()) {
        // "CPS needs vbscript engine to start. Please install vbscript engine before re-starting the %s."
        ShowMessageText(FormatText(LoadString(381), {kAppName}));
        return false;
    }

    if (!CheckConfiguration())
        return false;

    if (!LoadInstallation())
        return false;

    if (!LoadLanguage())
        return false;

    app.SetCurrentLanguage(GetCurrentLanguage());
    app.SetDecimalSeparator(DecimalSeparatorForLanguage(app.CurrentLanguage()));

    m_mainFrame = std::make_unique<CMainFrame>();

    if (!ProcessCommandLine(arguments))
        return false;

    LocalizeAndTrimMenus();

    if (m_options.splashMilliseconds > 0)
        CSplashWindow::ShowAndWait(QStringLiteral(":/bitmaps/splash.png"), m_options.splashMilliseconds);
    if (m_options.showMainWindow)
        m_mainFrame->ShowMaximized();
    return true;
}

bool CTarnCPSApp::LoadLanguage()
{
    const QString language = GetCurrentLanguage();
    if (language == QLatin1String("English"))
        return true;
    if (LoadLanguageResource(GetGUIResourcePath()))
        return true;
    SetCurrentLanguage(QStringLiteral("English"));
    // "The language resource file is missing. The CPS will start with English language version."
    ShowMessageText(EnglishString(325));
    return true;
}

bool CTarnCPSApp::ProcessCommandLine(const QStringList &arguments)
{
    // A plain start opens no document. Profiles are not handled by this
    // version yet, so a file named on the command line cannot be opened.
    const QStringList files = arguments.mid(1);
    if (files.isEmpty())
        return true;
    ShowMessageText(QStringLiteral("%1\n\n%2").arg(files.front(), QStringLiteral("This version of the program cannot open profiles yet.")));
    return false;
}

void CTarnCPSApp::LocalizeAndTrimMenus()
{
    CSettingDocuments &settings = CAppContext::Instance().Settings();
    m_menus.Localize(*m_mainFrame, settings);
    m_menus.Trim(*m_mainFrame, settings);
}

int CTarnCPSApp::ExitInstance()
{
    // Destroying the main window writes the help-pane flag back.
    m_mainFrame.reset();
    UnloadLanguageResource();
    return 0;
}
