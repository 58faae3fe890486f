#include "radio/TransferMessage.h"

#include "settings/StringTable.h"

#include <QStringList>

namespace {

constexpr int kCommunicationError = 2021;
constexpr int kOperationFailed = 2022;
constexpr int kWarningCaption = 2023;
constexpr int kMemoryCorruptedReset = 2024;
constexpr int kMemoryCorruptedReturn = 2025;
constexpr int kUnknownWarning = 2026;

// The status code that a factory reset mends.
constexpr int kFactoryResetStatus = 8;
constexpr int kLastStatus = 31;

} // namespace

QString TransferFailureText(int value)
{
    if (value == -1)
        return LoadString(kCommunicationError);
    return FormatText(LoadString(kOperationFailed), {QString::number(value)});
}

QString RadioWarningText(int code)
{
    int id = kUnknownWarning;
    if (code == kFactoryResetStatus)
        id = kMemoryCorruptedReset;
    else if (code >= 1 && code <= kLastStatus)
        id = kMemoryCorruptedReturn;
    return LoadString(kWarningCaption) + QStringLiteral(": ") + LoadString(id);
}

TransferMessageEffect ApplyTransferMessage(int kind, int value, OperationKind operation, bool busy, int lastProgress)
{
    TransferMessageEffect effect;
    effect.lastProgress = lastProgress;
    switch (TransferKind(kind)) {
    case TransferKind::Progress:
        effect.lastProgress = value;
        break;
    case TransferKind::Completed:
        if (operation == OperationKind::Reset) {
            if (busy) {
                effect.clearBusy = true;
                effect.pauseOneSecond = true;
            }
        } else if (operation == OperationKind::Read || operation == OperationKind::Write) {
            if (busy && lastProgress == 100) {
                effect.completeIdentify = true;
                effect.lastProgress = 0;
            }
        }
        break;
    case TransferKind::Failed:
        effect.clearBusy = true;
        effect.text = TransferFailureText(value);
        break;
    case TransferKind::RadioWarning:
        effect.clearBusy = true;
        effect.text = RadioWarningText(value);
        break;
    }
    return effect;
}
