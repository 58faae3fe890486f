#pragma once
// Where the core's messages go. The desktop program installs a sink that shows
// a message box; the command-line tool prints; tests capture.

#include <QString>

// Message-box styles and answers, numbered as the rule script and the data
// items exchange them (a Yes answer repeats a call with confirmation input 6).
enum MessageStyle : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_TYPEMASK = 0x0F,
    MB_ICONMASK = 0xF0,
};
enum MessageAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual int Show(const QString &text, unsigned style) = 0;
};

// Installs a sink (not owned); nullptr restores the default, which writes to
// standard error and answers OK, or No to a question.
void SetMessageSink(MessageSink *sink);

int ShowMessageText(const QString &text, unsigned style = MB_OK);
// The text of a string-table id in the current language.
int ShowMessage(int messageId, unsigned style = MB_OK);
