#pragma once
// The command-line tool's answers to the transfer checks: messages go to
// standard error, the password comes from --password (offered once), and a
// Yes/No question is answered Yes only with --yes.

#include "radio/TransferDialogs.h"

#include <cstdio>

class CCliDialogs : public CTransferDialogs
{
public:
    CCliDialogs(std::optional<QString> password, bool yes)
        : m_password(std::move(password))
        , m_yes(yes)
    {
    }

    void ShowText(const QString &text, unsigned) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }

    int Ask(const QString &text, unsigned style) override
    {
        const int answer = m_yes ? IDYES : ((style & MB_TYPEMASK) == MB_YESNOCANCEL ? IDCANCEL : IDNO);
        std::fprintf(stderr, "%s [%s]\n", qPrintable(text), answer == IDYES ? "yes" : "no");
        return answer;
    }

    std::optional<QString> AskPassword() override
    {
        // The option is one answer: a wrong password is not offered again.
        std::optional<QString> password = std::move(m_password);
        m_password.reset();
        if (!password)
            std::fprintf(stderr, "The radio has a password: give it with --password.\n");
        return password;
    }

private:
    std::optional<QString> m_password;
    bool m_yes;
};
