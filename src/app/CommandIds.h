#pragma once
// Command identifiers of the menus and the toolbar. Language resources, the
// menu localisation and the enable rules refer to commands by these numbers.

namespace Cmd {
enum : int {
    FileNew = 57600,
    FileOpen = 57601,
    FileClose = 57602,
    FileSave = 57603,
    FileSaveAs = 57604,
    FileRecent = 57616,
    AppExit = 57665,
    EditAdd = 32771,
    EditDelete = 32772,
    EditRename = 32773,
    DealerInfo = 32774,
    EditCut = 57635,
    EditCopy = 57634,
    EditPaste = 57637,
    DeviceRead = 32776,
    DeviceWrite = 32777,
    DeviceReset = 32778,
    Report = 32779,
    HelpContent = 32780,
    HelpPane = 32781,
    AppAbout = 57664,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    WindowCascade = 57650,
    WindowTile = 57651,
};
} // namespace Cmd

struct LanguageCommand
{
    int command;
    const char *name;
};

// The language commands, in the order the Language menu lists them.
inline constexpr LanguageCommand kLanguageCommands[] = {
    {32797, "CaFrench"}, {32805, "Chinese"}, {32791, "Dutch"},   {32789, "English"}, {32799, "French"},
    {32788, "German"},   {32793, "Italian"}, {32795, "LaPortuguese"}, {32782, "LaSpanish"},
    {32783, "Polish"},   {32784, "Portuguese"}, {32785, "Russian"}, {32802, "Spanish"},
};
