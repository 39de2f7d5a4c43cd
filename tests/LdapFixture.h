#pragma once

// The LDAP tree of the tests: o=Acme with ou=Sales (users, one sub-container), ou=Many
// (more users than a page or the anonymous size limit), names needing escapes, and two
// users whose limits ou=Many exceeds (password "secret"): cn=small (a size limit below a
// page) and cn=unchecked (a limit on the candidates a search may examine).

#include "SlapdServer.h"
#include "directory/ldap/LdapServerConfig.h"

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace LdapFixture {

constexpr int ManyUsers = 1200;
// The size limit of anonymous users; the root name has none.
constexpr int AnonymousLimit = 1000;
constexpr int SmallLimit = 300;

inline QByteArray Ldif()
{
    QByteArray ldif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                      "dn: ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Sales\n\n"
                      "dn: ou=Staff,ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Staff\n\n"
                      "dn: cn=jdoe,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: jdoe\nsn: Doe\n"
                      "givenName: John\ntelephoneNumber: +1 555 0100\ntelephoneNumber: +1 555 0101\n"
                      "employeeNumber: 17\npostalAddress: 1 Main St$Springfield\n"
                      "jpegPhoto:: AAEC/w==\n\n"
                      "dn: cn=j.smith,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: j.smith\nsn: Smith\n\n"
                      "dn: cn=Roe\\, Ann+uid=ann,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: Roe, Ann\n"
                      "uid: ann\nsn: Roe\n\n"
                      "dn: cn=bob,ou=Staff,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: bob\nsn: Bob\n\n"
                      "dn: ou=Many,o=Acme\nobjectClass: organizationalUnit\nou: Many\n\n"
                      "dn: cn=small,o=Acme\nobjectClass: person\ncn: small\nsn: Small\nuserPassword: secret\n\n"
                      "dn: cn=unchecked,o=Acme\nobjectClass: person\ncn: unchecked\nsn: Unchecked\n"
                      "userPassword: secret\n\n";
    for (int i = 0; i < ManyUsers; ++i)
        ldif += QStringLiteral("dn: cn=user%1,ou=Many,o=Acme\nobjectClass: inetOrgPerson\ncn: user%1\nsn: S%1\n\n")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    return ldif;
}

inline QByteArray Config()
{
    return QStringLiteral("limits anonymous size=%1\n"
                          "limits dn.exact=\"cn=small,o=Acme\" size=%2\n"
                          "limits dn.exact=\"cn=unchecked,o=Acme\" size.unchecked=100\n")
        .arg(AnonymousLimit)
        .arg(SmallLimit)
        .toUtf8();
}

// Starts server with this tree, the root name cn=admin,o=Acme (password "secret").
inline bool Start(SlapdServer &server, QString *error)
{
    return server.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {}, Config(),
                        Ldif(), error);
}

// The tree ACME on server, bound as the root name over plain LDAP (a loopback address),
// its password from passwordFile (empty: the prompt).
inline LdapServerConfig Admin(const SlapdServer &server, const QString &passwordFile = {})
{
    LdapServerConfig config;
    config.tree = "ACME";
    config.uri = server.Uri();
    config.bindDn = "cn=admin,o=Acme";
    config.passwordFile = passwordFile;
    config.tls = LdapServerConfig::Tls::None;
    return config;
}

// Runs an LDAP tool (ldapmodify, ldapadd, ldapdelete) on input against server as the
// root name; whether it succeeded.
inline bool Tool(const SlapdServer &server, const char *tool, const QString &input)
{
    QProcess process;
    process.start(tool, {"-x", "-H", server.Uri(), "-D", "cn=admin,o=Acme", "-w", "secret"});
    process.write(input.toUtf8());
    process.closeWriteChannel();
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// An entry below jdoe, whose class is no container class: only a run that asks whether
// entries have subordinates descends to it.
inline const char *const HelperLdif =
    "dn: cn=helper,cn=jdoe,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: helper\nsn: Helper\n";
inline const char *const HelperDn = "cn=helper,cn=jdoe,ou=Sales,o=Acme\n";

} // namespace LdapFixture
