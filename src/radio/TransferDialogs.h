#pragma once
// What the transfer checks need from the user, and the radio password the
// program remembers between transfers. The desktop program answers with
// message boxes and the password dialog; the command-line tool answers from
// its options without asking anybody.

#include "codeplug/VirtualCP.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"

#include <QMutex>
#include <QMutexLocker>
#include <QString>

#include <optional>

class CTransferDialogs
{
public:
    virtual ~CTransferDialogs() = default;

    // Shows a message; the caption is the application name.
    virtual void ShowText(const QString &text, unsigned style) = 0;
    void ShowId(int messageId, unsigned style = MB_OK) { ShowText(LoadString(messageId), style); }

    // Asks a question with a message-box style (MB_YESNO or MB_YESNOCANCEL,
    // with an icon) and answers IDYES, IDNO or IDCANCEL. Any other answer
    // (a box closed some other way) counts as No, or Cancel where Cancel is
    // offered.
    virtual int Ask(const QString &text, unsigned style) = 0;

    // The password prompt ("Please enter the password:", a masked entry of at
    // most four digits, OK and Cancel): the entry on OK, nothing on Cancel.
    // The gate shows the prompt again after a wrong entry, so an
    // implementation that has only one answer to give must answer nothing
    // the second time.
    virtual std::optional<QString> AskPassword() = 0;
};

// The radio password the user last entered correctly, or the one the last
// write put into a radio; empty at start and kept for the life of the
// program. The write worker sets it from its own thread, hence the lock.
class CRememberedPassword
{
public:
    static constexpr int kMaxLength = 4;

    QString Text() const
    {
        QMutexLocker lock(&m_mutex);
        return m_text;
    }
    // Keeps at most the first four characters.
    void Set(const QString &text)
    {
        QMutexLocker lock(&m_mutex);
        m_text = text.left(kMaxLength);
    }
    // After a successful write: the image's password, up to its first zero
    // byte.
    void RememberWritten(const VirtualCP &image)
    {
        Set(QString::fromLatin1(image.GetString(VirtualCP::kPassword)));
    }

private:
    mutable QMutex m_mutex;
    QString m_text;
};
