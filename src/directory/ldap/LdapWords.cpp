#include "directory/ldap/LdapWords.h"

#include "directory/ldap/LdapName.h"
#include "directory/ldap/LdapResult.h"
#include "directory/ldap/LdapServer.h"

#include <ldap.h>

NWDSCCODE LdapWords::Failed(const LdapServer &server, int status)
{
    QString words = server.Words(status);
    if (server.Lost())
        words = server.LostWords();
    else if (const char *limit = LdapResult::LimitName(status))
        words = QStringLiteral("the server's %1 was reached: %2").arg(QLatin1String(limit), words);
    return Say(LdapResult::ToDirectory(status), words.toStdString());
}

NWDSCCODE LdapWords::Unreadable(const std::string &dn)
{
    return Say(LdapResult::ToDirectory(LDAP_DECODING_ERROR),
               "Decoding error (the server sent an entry that does not read whole: " +
                   (dn.empty() ? std::string("one without a name") : LdapName::Shown(dn)) + ')');
}

NWDSCCODE LdapWords::Say(NWDSCCODE code, std::string words)
{
    code_ = code;
    words_ = std::move(words);
    return code;
}

std::string LdapWords::Take(NWDSCCODE code)
{
    std::string words;
    if (code == code_ && code != 0)
        words.swap(words_);
    code_ = 0;
    words_.clear();
    return words;
}
