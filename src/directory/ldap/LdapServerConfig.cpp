#include "directory/ldap/LdapServerConfig.h"

bool LdapServerConfig::TlsFromText(const QString &text, Tls &tls)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("ldaps"))
        tls = Tls::Ldaps;
    else if (word == QLatin1String("starttls"))
        tls = Tls::StartTls;
    else if (word == QLatin1String("none"))
        tls = Tls::None;
    else
        return false;
    return true;
}

bool LdapServerConfig::TimeoutFromText(const QString &text, int &seconds)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > LongestTimeout)
        return false;
    seconds = value;
    return true;
}
