#pragma once
// The application object: the start-up sequence that decides whether the
// program may run, the menu passes, and exit.

#include "app/MenuLocalizer.h"

#include <QString>
#include <QStringList>
#include <memory>

class CMainFrame;
class CGuiMessageSink;

class CTarnCPSApp
{
public:
    struct Options
    {
        int splashMilliseconds = 2500;
        bool showMainWindow = true;
    };

    CTarnCPSApp();
    explicit CTarnCPSApp(const Options &options);
    ~CTarnCPSApp();

    // Runs the start-up steps in order; false when one of them stopped the
    // start (it has shown its message, if it has one).
    bool InitInstance(const QStringList &arguments);
    int ExitInstance();

    CMainFrame *MainFrame() const { return m_mainFrame.get(); }
    CMenuLocalizer &Menus() { return m_menus; }

    // The menu passes of start-up and of the first profile window.
    void LocalizeAndTrimMenus();

private:
    bool LoadLanguage();
    bool ProcessCommandLine(const QStringList &arguments);

    Options m_options;
    std::unique_ptr<CGuiMessageSink> m_sink;
    std::unique_ptr<CMainFrame> m_mainFrame;
    CMenuLocalizer m_menus;
};
