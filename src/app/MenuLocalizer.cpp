#include "app/MenuLocalizer.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "settings/SettingDocuments.h"
#include "settings/StringTable.h"

#include <QMenu>
#include <QMenuBar>

namespace {

struct CommandText
{
    int command;
    int textId;
};

const CommandText kCommandTexts[] = {
    {Cmd::FileNew, 350},        {Cmd::FileOpen, 351},      {Cmd::FileClose, 352},      {Cmd::FileSave, 353},
    {Cmd::FileSaveAs, 354},     {Cmd::FileRecent, 180},    {Cmd::AppExit, 355},        {Cmd::EditAdd, 356},
    {Cmd::EditCut, 357},        {Cmd::EditCopy, 358},      {Cmd::EditPaste, 359},      {Cmd::EditDelete, 360},
    {Cmd::EditRename, 361},     {Cmd::DealerInfo, 362},    {Cmd::ViewToolbar, 363},    {Cmd::ViewStatusBar, 364},
    {Cmd::HelpPane, 399},       {Cmd::DeviceRead, 365},    {Cmd::DeviceWrite, 366},    {Cmd::DeviceReset, 367},
    {Cmd::WindowCascade, 370},  {Cmd::WindowTile, 371},    {Cmd::HelpContent, 369},
};

// Top-level positions: File, Edit, View, Device, then Report, Window, Help
// with documents or Help alone without.
const int kTopWithDocument[] = {343, 344, 345, 346, 347, 348, 349};
const int kTopWithoutDocument[] = {343, 344, 345, 346, 349};

} // namespace

bool CMenuLocalizer::Localize(CMainFrame &frame, const CSettingDocuments &settings)
{
    if (++m_localizeCalls > 2) {
        m_localizeCalls = 3;
        return false;
    }

    const QList<QAction *> top = frame.menuBar()->actions();
    const bool withDocument = frame.HasDocumentMenus();
    const int *ids = withDocument ? kTopWithDocument : kTopWithoutDocument;
    const qsizetype count = withDocument ? std::size(kTopWithDocument) : std::size(kTopWithoutDocument);
    for (qsizetype i = 0; i < count && i < top.size(); ++i)
        top[i]->setText(LoadString(ids[i]));

    for (const CommandText &entry : kCommandTexts)
        if (QAction *action = frame.Action(entry.command))
            action->setText(LoadString(entry.textId));

    // "&About" + " " + the application name with its ampersand doubled + "..."
    frame.Action(Cmd::AppAbout)->setText(LoadString(368) + QStringLiteral(" ZR4400 && ZR4480 Distributor CPS..."));

    if (QMenu *languages = frame.LanguageMenu()) {
        const QStringList offered = settings.GetSupportLanguages();
        if (!(offered.size() == 1 && offered.front() == QLatin1String("English")))
            languages->menuAction()->setText(LoadString(321)); // "&Language"
        for (const LanguageCommand &language : kLanguageCommands)
            if (QAction *action = frame.Action(language.command))
                action->setText(settings.GetLanguageDisplayName(QString::fromLatin1(language.name)));
    }
    frame.menuBar()->update();
    return true;
}

bool CMenuLocalizer::Trim(CMainFrame &frame, const CSettingDocuments &settings)
{
    if (++m_trimPasses > 2) {
        m_trimPasses = 3;
        return false;
    }

    const QStringList offered = settings.GetSupportLanguages();
    QMenu *edit = frame.EditMenu();
    QMenu *languages = frame.LanguageMenu();
    if (offered.size() == 1 && offered.front() == QLatin1String("English")) {
        // The last item of the Edit menu is the Language sub-menu. Both menu
        // layouts share the Edit menu, so the document pass finds it gone
        // already and must not take the item before it.
        if (edit && languages && !edit->actions().isEmpty() && edit->actions().last() == languages->menuAction())
            edit->removeAction(languages->menuAction());
        return true;
    }
    if (!languages)
        return true;
    static const char *const kTrimOrder[] = {"CaFrench", "Chinese", "Dutch", "French", "German", "Italian",
                                             "LaPortuguese", "LaSpanish", "Polish", "Portuguese", "Russian",
                                             "Spanish"};
    for (const char *name : kTrimOrder) {
        if (offered.contains(QString::fromLatin1(name)))
            continue;
        for (const LanguageCommand &language : kLanguageCommands)
            if (qstrcmp(language.name, name) == 0)
                languages->removeAction(frame.Action(language.command));
    }
    return true;
}
