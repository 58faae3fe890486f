#include "app/MainFrame.h"
#include "app/AboutDialog.h"
#include "app/CommandIds.h"
#include "app/HelpViewer.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// Texts the main window shows besides its menus.
enum : int {
    kToolbarTextNew = 2002, // "New"; the other eleven button texts follow in toolbar order
    kTextNoHelpPath = 2014,
    kTextNoHelpFile = 2015,
    kTextHelpInvalid = 2016,
    kTextRestartForLanguage = 2017,
    kTextCableNotConnected = 2019,
};

} // namespace

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(kAppName);
    setObjectName(QStringLiteral("MainFrame"));
    m_selectedLanguage = CAppContext::Instance().CurrentLanguage();
    m_helpPane = GetShowContextHelp() == 1;

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setViewMode(QMdiArea::SubWindowView);
    setCentralWidget(m_mdiArea);

    // Every command exists once; the menus and the toolbar share the actions.
    MakeAction(Cmd::FileNew, 350, QKeySequence(Qt::CTRL | Qt::Key_N));
    MakeAction(Cmd::FileOpen, 351, QKeySequence(Qt::CTRL | Qt::Key_O));
    MakeAction(Cmd::FileClose, 352);
    MakeAction(Cmd::FileSave, 353, QKeySequence(Qt::CTRL | Qt::Key_S));
    MakeAction(Cmd::FileSaveAs, 354);
    MakeAction(Cmd::FileRecent, 180);
    MakeAction(Cmd::AppExit, 355);
    MakeAction(Cmd::EditAdd, 356, QKeySequence(Qt::CTRL | Qt::Key_A));
    MakeAction(Cmd::EditCut, 357, QKeySequence(Qt::CTRL | Qt::Key_X));
    MakeAction(Cmd::EditCopy, 358, QKeySequence(Qt::CTRL | Qt::Key_C));
    MakeAction(Cmd::EditPaste, 359, QKeySequence(Qt::CTRL | Qt::Key_V));
    MakeAction(Cmd::EditDelete, 360);
    MakeAction(Cmd::EditRename, 361, QKeySequence(Qt::Key_F2));
    MakeAction(Cmd::DealerInfo, 362);
    MakeAction(Cmd::ViewToolbar, 363);
    MakeAction(Cmd::ViewStatusBar, 364);
    MakeAction(Cmd::HelpPane, 399);
    MakeAction(Cmd::DeviceRead, 365, QKeySequence(Qt::CTRL | Qt::Key_R));
    MakeAction(Cmd::DeviceWrite, 366, QKeySequence(Qt::CTRL | Qt::Key_W));
    MakeAction(Cmd::DeviceReset, 367, QKeySequence(Qt::CTRL | Qt::Key_E));
    MakeAction(Cmd::Report, 347);
    MakeAction(Cmd::WindowCascade, 370);
    MakeAction(Cmd::WindowTile, 371);
    MakeAction(Cmd::HelpContent, 369, QKeySequence(Qt::Key_F1));
    MakeAction(Cmd::AppAbout, 368);

    auto *languages = new QActionGroup(this);
    languages->setExclusive(true);
    for (const LanguageCommand &language : kLanguageCommands) {
        QAction *action = MakeAction(language.command, 0);
        action->setText(QString::fromLatin1(language.name));
        action->setCheckable(true);
        languages->addAction(action);
        const QString name = QString::fromLatin1(language.name);
        connect(action, &QAction::triggered, this, [this, name] { OnSelectLanguage(name); });
    }
    UpdateLanguageChecks();

    Action(Cmd::ViewToolbar)->setCheckable(true);
    Action(Cmd::ViewStatusBar)->setCheckable(true);
    Action(Cmd::HelpPane)->setCheckable(true);
    connect(Action(Cmd::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(Cmd::AppAbout), &QAction::triggered, this, &CMainFrame::OnAbout);
    connect(Action(Cmd::HelpContent), &QAction::triggered, this, &CMainFrame::OnHelpContent);
    connect(Action(Cmd::WindowCascade), &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    connect(Action(Cmd::WindowTile), &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);

    // Commands whose work arrives with profile documents, the cable and the
    // editors stay unavailable until then.
    for (int command : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileClose, Cmd::FileSave, Cmd::FileSaveAs, Cmd::FileRecent,
                        Cmd::EditAdd, Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste, Cmd::EditDelete, Cmd::EditRename,
                        Cmd::DealerInfo, Cmd::DeviceRead, Cmd::DeviceWrite, Cmd::DeviceReset, Cmd::Report,
                        Cmd::HelpPane})
        Action(command)->setEnabled(false);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(Action(Cmd::ViewToolbar), &QAction::toggled, m_toolBar, &QWidget::setVisible);
    connect(Action(Cmd::ViewStatusBar), &QAction::toggled, statusBar(), &QWidget::setVisible);
    Action(Cmd::ViewToolbar)->setChecked(true);
    Action(Cmd::ViewStatusBar)->setChecked(true);

    BuildMenus(false);
}

CMainFrame::~CMainFrame()
{
    SetShowContextHelp(m_helpPane ? 1 : 0);
}

QAction *CMainFrame::MakeAction(int command, int textId, const QKeySequence &keys)
{
    auto *action = new QAction(textId ? EnglishString(textId) : QString(), this);
    action->setData(command);
    action->setObjectName(QStringLiteral("command%1").arg(command));
    if (!keys.isEmpty())
        action->setShortcut(keys);
    m_actions.insert(command, action);
    return action;
}

void CMainFrame::CreateMenus()
{
    // The menus are made once and keep their texts; switching between the
    // layouts with and without documents only changes what the bar holds.
    auto menu = [this](int titleId) {
        auto *m = new QMenu(EnglishString(titleId), this);
        m->setObjectName(QStringLiteral("menu%1").arg(titleId));
        return m;
    };
    m_fileMenu = menu(343);
    for (int command : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileClose, Cmd::FileSave, Cmd::FileSaveAs})
        m_fileMenu->addAction(Action(command));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(Cmd::FileRecent));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(Cmd::AppExit));

    m_editMenu = menu(344);
    for (int command : {Cmd::EditAdd, Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste, Cmd::EditDelete, Cmd::EditRename})
        m_editMenu->addAction(Action(command));
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(Cmd::DealerInfo));
    m_languageMenu = menu(321);
    for (const LanguageCommand &language : kLanguageCommands)
        m_languageMenu->addAction(Action(language.command));
    m_editMenu->addMenu(m_languageMenu);

    m_viewMenu = menu(345);
    for (int command : {Cmd::ViewToolbar, Cmd::ViewStatusBar, Cmd::HelpPane})
        m_viewMenu->addAction(Action(command));

    m_deviceMenu = menu(346);
    for (int command : {Cmd::DeviceRead, Cmd::DeviceWrite, Cmd::DeviceReset})
        m_deviceMenu->addAction(Action(command));

    m_windowMenu = menu(348);
    m_windowMenu->addAction(Action(Cmd::WindowCascade));
    m_windowMenu->addAction(Action(Cmd::WindowTile));

    m_helpMenu = menu(349);
    m_helpMenu->addAction(Action(Cmd::HelpContent));
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(Action(Cmd::AppAbout));
}

void CMainFrame::BuildMenus(bool withDocument)
{
    m_documentMenus = withDocument;
    for (int command : {Cmd::FileClose, Cmd::FileSave, Cmd::FileSaveAs, Cmd::HelpPane})
        Action(command)->setVisible(withDocument);

    QMenuBar *bar = menuBar();
    bar->clear();
    bar->addMenu(m_fileMenu);
    bar->addMenu(m_editMenu);
    bar->addMenu(m_viewMenu);
    bar->addMenu(m_deviceMenu);
    if (withDocument) {
        bar->addAction(Action(Cmd::Report));
        bar->addMenu(m_windowMenu);
    }
    bar->addMenu(m_helpMenu);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("StandardToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(17, 17));
    m_toolBar->setMovable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);

    struct Button
    {
        int command;
        QStyle::StandardPixmap icon;
    };
    // New, Open, Save | Add, Delete | Cut, Copy, Paste | Read, Write | Report, About
    const Button buttons[] = {
        {Cmd::FileNew, QStyle::SP_FileIcon},           {Cmd::FileOpen, QStyle::SP_DialogOpenButton},
        {Cmd::FileSave, QStyle::SP_DialogSaveButton},  {0, {}},
        {Cmd::EditAdd, QStyle::SP_FileDialogNewFolder}, {Cmd::EditDelete, QStyle::SP_TrashIcon},
        {0, {}},                                       {Cmd::EditCut, QStyle::SP_DialogDiscardButton},
        {Cmd::EditCopy, QStyle::SP_FileDialogDetailedView}, {Cmd::EditPaste, QStyle::SP_FileDialogContentsView},
        {0, {}},                                       {Cmd::DeviceRead, QStyle::SP_ArrowDown},
        {Cmd::DeviceWrite, QStyle::SP_ArrowUp},        {0, {}},
        {Cmd::Report, QStyle::SP_FileDialogInfoView},  {Cmd::AppAbout, QStyle::SP_MessageBoxInformation},
    };
    int textIndex = 0;
    for (const Button &button : buttons) {
        if (!button.command) {
            m_toolBar->addSeparator();
            continue;
        }
        // The button has its own short text under the picture, so it gets
        // an action of its own that follows the command's state.
        QAction *command = Action(button.command);
        auto *proxy = new QAction(style()->standardIcon(button.icon), LoadString(kToolbarTextNew + textIndex), m_toolBar);
        proxy->setObjectName(QStringLiteral("toolbar%1").arg(button.command));
        auto follow = [command, proxy] {
            proxy->setEnabled(command->isEnabled());
            proxy->setToolTip(command->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0));
        };
        follow();
        connect(command, &QAction::changed, proxy, follow);
        connect(proxy, &QAction::triggered, command, &QAction::trigger);
        m_toolBar->addAction(proxy);
        ++textIndex;
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    m_messagePane = new QLabel;
    m_cablePane = new QLabel(LoadString(kTextCableNotConnected));
    m_cablePane->setObjectName(QStringLiteral("cableStatusPane"));
    bar->addWidget(m_messagePane, 1);
    bar->addPermanentWidget(m_cablePane);
    for (const char *indicator : {"CAP", "NUM", "SCRL"}) {
        auto *label = new QLabel(QString::fromLatin1(indicator));
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
}

void CMainFrame::ShowMaximized()
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
}

void CMainFrame::SetCableStatusText(const QString &text)
{
    m_cablePane->setText(text);
}

void CMainFrame::UpdateLanguageChecks()
{
    for (const LanguageCommand &language : kLanguageCommands)
        Action(language.command)->setChecked(m_selectedLanguage == QLatin1String(language.name));
}

void CMainFrame::OnSelectLanguage(const QString &language)
{
    const QString previous = GetCurrentLanguage();
    SetCurrentLanguage(language);
    m_selectedLanguage = language;
    UpdateLanguageChecks();
    if (previous != language)
        ShowMessage(kTextRestartForLanguage); // "You have to restart the CPS for this change to take effect."
}

void CMainFrame::OnHelpContent()
{
    const QString path = GetHelpFilePath();
    if (path.isEmpty()) {
        ShowMessage(kTextNoHelpPath); // "Error: Can not find help file information in registry!"
        return;
    }
    if (!QFileInfo::exists(path)) {
        ShowMessage(kTextNoHelpFile); // "Error: Can not find the help file!"
        return;
    }
    if (!CHelpViewer::ShowDefaultTopic(path, this))
        ShowMessage(kTextHelpInvalid); // "Error: Help File format is invalid!"
}

void CMainFrame::OnAbout()
{
    QString version;
    try {
        version = CAppContext::Instance().Settings().GetProductVersion();
    } catch (const CTarnCPSException &e) {
        qWarning("%s", e.what()); // a Region.stv without a version still gets its About box
    }
    CAboutDialog about(version, this);
    about.exec();
}
