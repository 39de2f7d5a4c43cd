#pragma once

// The Active Directory domain controller of the test run: Samba's, provisioned and started
// once by the test samba_dc_start (tests/samba-dc.sh) in VELTRANE_SAMBA_DC, the domain
// ACME.TEST (DC=acme,DC=test) on 127.0.0.1, its certificate made for 127.0.0.1 by the
// authority ca.pem, the Administrator's password in admin.pw. A test that needs it fails
// when it is not there: the AD tests never pass without a DC.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

class SambaDomain
{
public:
    static QString Path(const QString &name) { return QStringLiteral(VELTRANE_SAMBA_DC "/") + name; }

    // Whether the DC was started; else *error says where to look.
    static bool Ready(QString *error)
    {
        if (QFile::exists(Path("ready")))
            return true;
        *error = "no Samba domain controller in " VELTRANE_SAMBA_DC
                 ": the test samba_dc_start provisions it (tests/samba-dc.sh start DIR says why it cannot)";
        return false;
    }

    static QString BaseDn() { return QStringLiteral("DC=acme,DC=test"); }
    static QString LdapsUri() { return QStringLiteral("ldaps://127.0.0.1"); }
    static QString StartTlsUri() { return QStringLiteral("ldap://127.0.0.1"); }
    static QString CaFile() { return Path("ca.pem"); }
    static QString PasswordFile() { return Path("admin.pw"); }

    // The veltrane-cli options of a bind as name over uri.
    static QStringList Server(const QString &uri, const QString &name)
    {
        QStringList options{"--ldap", uri, "--base", BaseDn(), "--ca-file", CaFile()};
        if (!name.isEmpty())
            options << "--bind-dn" << name << "--password-file" << PasswordFile();
        return options;
    }

    // The values of attribute of the entry dn as Samba's own tools show them (ldbsearch on
    // the database), in its order: GUIDs and SIDs in their text forms, numbers in decimal.
    static QStringList LdbValues(const QString &dn, const QString &attribute)
    {
        QProcess search;
        search.start("ldbsearch", {"-H", Path("dc/private/sam.ldb"), "-s", "base", "-b", dn, attribute});
        search.waitForFinished(60000);
        const QString prefix = attribute + ": ";
        QStringList values;
        for (const QString &line : QString::fromUtf8(search.readAllStandardOutput()).split('\n')) {
            if (line.startsWith(prefix, Qt::CaseInsensitive))
                values << line.mid(prefix.size());
        }
        return values;
    }
    static QString LdbValue(const QString &dn, const QString &attribute) { return LdbValues(dn, attribute).value(0); }
};
