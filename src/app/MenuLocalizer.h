#pragma once
// Sets the menu texts from the string table of the current language and
// removes the language commands the installation does not offer. Each runs
// usefully twice in a program's life: at start-up for the menu without a
// document and when the first profile window opens for the menu with
// documents; later calls do nothing.

class CMainFrame;
class CSettingDocuments;

class CMenuLocalizer
{
public:
    // True when the texts were set on this call.
    bool Localize(CMainFrame &frame, const CSettingDocuments &settings);
    // True when the menu was trimmed on this call.
    bool Trim(CMainFrame &frame, const CSettingDocuments &settings);

    int LocalizeCalls() const { return m_localizeCalls; }
    int TrimPasses() const { return m_trimPasses; }

private:
    int m_localizeCalls = 0;
    int m_trimPasses = 0;
};
