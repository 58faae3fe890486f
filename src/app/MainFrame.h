#pragma once
// The main window: menu bar, toolbar, status bar and the area that holds the
// profile windows. Commands are actions that carry their command id.

#include <QHash>
#include <QMainWindow>

class QMdiArea;
class QLabel;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    // Lays out the menu bar without a document (File, Edit, View, Device,
    // Help) or with documents (adding Report and Window, and Help Pane in View).
    void BuildMenus(bool withDocument);
    // Shown maximised, also where no window manager maximises it.
    void ShowMaximized();
    bool HasDocumentMenus() const { return m_documentMenus; }

    QAction *Action(int command) const { return m_actions.value(command); }
    QMenu *EditMenu() const { return m_editMenu; }
    QMenu *LanguageMenu() const { return m_languageMenu; }
    QMdiArea *MdiArea() const { return m_mdiArea; }
    QToolBar *ToolBar() const { return m_toolBar; }

    bool HelpPaneFlag() const { return m_helpPane; }
    void SetHelpPaneFlag(bool on) { m_helpPane = on; }
    void SetCableStatusText(const QString &text);
    QString SelectedLanguage() const { return m_selectedLanguage; }

public Q_SLOTS:
    void OnSelectLanguage(const QString &language);
    void OnHelpContent();
    void OnAbout();

private:
    QAction *MakeAction(int command, int textId, const QKeySequence &keys = QKeySequence());
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateLanguageChecks();

    QMdiArea *m_mdiArea = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_messagePane = nullptr;
    QLabel *m_cablePane = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_editMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_viewMenu = nullptr;
    QMenu *m_deviceMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QHash<int, QAction *> m_actions;
    bool m_documentMenus = false;
    bool m_helpPane = false;
    QString m_selectedLanguage;
};
