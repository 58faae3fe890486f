#pragma once
#include "settings/MessageSink.h"

// Shows the core's messages as message boxes captioned with the application name.
class CGuiMessageSink : public MessageSink
{
public:
    int Show(const QString &text, unsigned style) override;
};
