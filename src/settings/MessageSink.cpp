#include "settings/MessageSink.h"
#include "settings/StringTable.h"

#include <cstdio>

namespace {

class StderrSink : public MessageSink
{
public:
    int Show(const QString &text, unsigned style) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(kAppName), qPrintable(text));
        switch (style & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDNO;
        default:
            return IDOK;
        }
    }
};

StderrSink g_stderrSink;
MessageSink *g_sink = &g_stderrSink;

} // namespace

void SetMessageSink(MessageSink *sink)
{
    g_sink = sink ? sink : &g_stderrSink;
}

int ShowMessageText(const QString &text, unsigned style)
{
    return g_sink->Show(text, style);
}

int ShowMessage(int messageId, unsigned style)
{
    return ShowMessageText(LoadString(messageId), style);
}
