#pragma once
// The transfer message: how the session workers report to the window that
// follows them (the main window or the progress dialog), and what the main
// window does with each message. No windows here; the desktop program shows
// the text, the command-line tool prints it.
//
//   kind  name           value
//   1     progress       percentage, 10 ... 100
//   2     completed      0
//   3     failed         the failing step's return value: -1, or another value <= 0
//   4     radio warning  the radio status code, 1 ... 31

#include <QString>

// The name under which the message is known in every part of the program.
inline constexpr char kTransferMessageName[] = "Velmora TARN CPS";

enum class TransferKind : int { Progress = 1, Completed = 2, Failed = 3, RadioWarning = 4 };

// The operation kind of the command that started the operation.
enum class OperationKind : int { None = 0, Read = 2, Write = 3, Reset = 4 };

// "Error: Communication Error." for -1, otherwise "Error: Operation Failed (%d)."
QString TransferFailureText(int value);
// "Warning: " and the text of the status code: code 8 asks for a factory
// reset, the other codes 1-31 for a return to the manufacturer, any other
// code is "Unknown warning!".
QString RadioWarningText(int code);

// What the main window does with one transfer message.
struct TransferMessageEffect
{
    bool clearBusy = false;
    // After clearing the busy flags at the end of a reset: pause one second
    // (on the stop event).
    bool pauseOneSecond = false;
    // A read or write identify step ended: run the transfer checks.
    bool completeIdentify = false;
    // The last progress value from now on.
    int lastProgress = 0;
    // A message to show ("Error: ..." or "Warning: ..."), or empty.
    QString text;
};

TransferMessageEffect ApplyTransferMessage(int kind, int value, OperationKind operation, bool busy, int lastProgress);
