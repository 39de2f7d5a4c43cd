// Schemas from subschema definitions: the server's own directory names, syntax ids and
// container rules where it publishes them, the LDAP names and the syntax table elsewhere.

#include "directory/client/NWClient.h"
#include "directory/ldap/LdapSchema.h"

#include <QTest>

namespace {

const std::vector<std::string> kPlainAttributes = {
    "( 2.5.4.0 NAME 'objectClass' EQUALITY objectIdentifierMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
    "( 2.5.4.41 NAME 'name' EQUALITY caseIgnoreMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )",
    "( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )",
    "( 2.5.4.4 NAME ( 'sn' 'surname' ) SUP name )",
    "( 2.5.4.10 NAME ( 'o' 'organizationName' ) SUP name )",
    "( 2.5.4.20 NAME 'telephoneNumber' SYNTAX 1.3.6.1.4.1.1466.115.121.1.50{32} )",
    "( 1.3.6.1.1.1.1.0 NAME 'uidNumber' SYNTAX 1.3.6.1.4.1.1466.115.121.1.27 SINGLE-VALUE )",
    "( 9.9.9.1 NAME 'caseExactThing' EQUALITY caseExactMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )",
    "( 9.9.9.2 NAME 'oddThing' SYNTAX 9.9.9.99 )",
    "( 2.5.4.24 NAME 'x121Address' broken",
};
const std::vector<std::string> kPlainClasses = {
    "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
    "( 2.5.6.4 NAME 'organization' SUP top STRUCTURAL MUST o MAY telephoneNumber )",
    "( 9.9.9.10 NAME 'branch' SUP organization STRUCTURAL )",
    "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) MAY ( telephoneNumber $ sn ) )",
    "( 9.9.9.11 NAME 'posixish' SUP top AUXILIARY MAY uidNumber )",
};

} // namespace

class TestLdapSchema : public QObject
{
    Q_OBJECT
private slots:
    void plainSchema()
    {
        LdapSchema schema;
        schema.Build(kPlainClasses, kPlainAttributes);
        const auto syntaxOf = [&](const char *name) {
            const int32_t index = schema.FindAttribute(name);
            return index < 0 ? UINT32_MAX : schema.Attributes()[size_t(index)].syntax;
        };
        QCOMPARE(syntaxOf("cn"), uint32_t(SYN_CI_STRING)); // from its super type
        QCOMPARE(syntaxOf("commonName"), uint32_t(SYN_CI_STRING));
        QCOMPARE(syntaxOf("2.5.4.3"), uint32_t(SYN_CI_STRING));
        QCOMPARE(syntaxOf("telephoneNumber"), uint32_t(SYN_TEL_NUMBER));
        QCOMPARE(syntaxOf("uidNumber"), uint32_t(SYN_INTEGER));
        QCOMPARE(syntaxOf("caseExactThing"), uint32_t(SYN_CE_STRING));
        QCOMPARE(syntaxOf("oddThing"), uint32_t(SYN_OCTET_STRING));
        QCOMPARE(syntaxOf("x121Address"), UINT32_MAX);

        const LdapSchema::Class &person = schema.Classes()[size_t(schema.FindClass("PERSON"))];
        QCOMPARE(person.flags, DS_EFFECTIVE_CLASS);
        QCOMPARE(person.lists[LdapSchema::Mandatory], (std::vector<std::string>{"sn", "cn", "objectClass"}));
        QCOMPARE(person.lists[LdapSchema::Optional], (std::vector<std::string>{"telephoneNumber"}));
        QCOMPARE(person.lists[LdapSchema::SuperClasses], (std::vector<std::string>{"top"}));
        const LdapSchema::Class &branch = schema.Classes()[size_t(schema.FindClass("branch"))];
        QCOMPARE(branch.flags, DS_EFFECTIVE_CLASS | DS_CONTAINER_CLASS); // below organization
        QCOMPARE(branch.lists[LdapSchema::SuperClasses], (std::vector<std::string>{"organization", "top"}));
        QCOMPARE(schema.Classes()[size_t(schema.FindClass("top"))].flags, 0u);
        QCOMPARE(schema.Classes()[size_t(schema.FindClass("posixish"))].flags, 0u);
    }

    // Active Directory's subschema as Samba publishes it: quoted syntax OIDs, its own
    // syntaxes, classes below top, GUIDs and SIDs published as octet strings.
    void activeDirectorySchema()
    {
        const std::vector<std::string> attributes = {
            "( 1.2.840.113556.1.4.159 NAME 'accountExpires' SYNTAX '1.2.840.113556.1.4.906' SINGLE-VALUE )",
            "( 1.2.840.113556.1.2.120 NAME 'uSNChanged' SYNTAX '1.2.840.113556.1.4.906' SINGLE-VALUE "
            "NO-USER-MODIFICATION )",
            "( 1.2.840.113556.1.4.2 NAME 'objectGUID' SYNTAX '1.3.6.1.4.1.1466.115.121.1.40' SINGLE-VALUE "
            "NO-USER-MODIFICATION )",
            "( 1.2.840.113556.1.4.146 NAME 'objectSid' SYNTAX '1.3.6.1.4.1.1466.115.121.1.40' SINGLE-VALUE "
            "NO-USER-MODIFICATION )",
            "( 2.5.4.3 NAME 'cn' SYNTAX '1.3.6.1.4.1.1466.115.121.1.15' SINGLE-VALUE )",
            "( 1.2.840.113556.1.4.656 NAME 'userPrincipalName' SYNTAX '1.3.6.1.4.1.1466.115.121.1.15' SINGLE-VALUE )",
            "( 1.2.840.113556.1.2.91 NAME 'otherMailbox' SYNTAX '1.2.840.113556.1.4.905' )",
            "( 1.2.840.113556.1.2.281 NAME 'nTSecurityDescriptor' SYNTAX '1.2.840.113556.1.4.907' SINGLE-VALUE )",
        };
        const std::vector<std::string> classes = {
            "( 2.5.6.0 NAME 'top' ABSTRACT MUST (objectClass $ objectCategory $ nTSecurityDescriptor $ "
            "instanceType ) )",
            "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST (cn ) MAY (sn ) )",
            "( 2.5.6.7 NAME 'organizationalPerson' SUP person STRUCTURAL )",
            "( 1.2.840.113556.1.5.9 NAME 'user' SUP organizationalPerson STRUCTURAL MAY (accountExpires ) )",
            "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST (ou ) )",
            "( 1.2.840.113556.1.3.23 NAME 'container' SUP top STRUCTURAL MUST (cn ) )",
            "( 1.2.840.113556.1.5.66 NAME 'domain' SUP top ABSTRACT MUST (dc ) )",
            "( 1.2.840.113556.1.5.67 NAME 'domainDNS' SUP domain STRUCTURAL )",
            "( 1.2.840.113556.1.5.4 NAME 'builtinDomain' SUP top STRUCTURAL )",
        };
        LdapSchema schema;
        schema.Build(classes, attributes);
        const auto attribute = [&](const char *name) {
            const int32_t index = schema.FindAttribute(name);
            return index < 0 ? LdapSchema::Attribute{} : schema.Attributes()[size_t(index)];
        };
        QCOMPARE(attribute("accountExpires").syntax, uint32_t(SYN_FILE_TIME));
        QCOMPARE(attribute("uSNChanged").syntax, uint32_t(SYN_LARGE_INTEGER));
        QCOMPARE(attribute("objectGUID").syntax, uint32_t(SYN_CI_STRING));
        QVERIFY(attribute("objectGUID").encoding == LdapValue::Encoding::Guid);
        QCOMPARE(attribute("objectSid").syntax, uint32_t(SYN_CI_STRING));
        QVERIFY(attribute("objectSid").encoding == LdapValue::Encoding::Sid);
        QCOMPARE(attribute("cn").syntax, uint32_t(SYN_CI_STRING));
        QVERIFY(attribute("cn").encoding == LdapValue::Encoding::Plain);
        QCOMPARE(attribute("otherMailbox").syntax, uint32_t(SYN_CI_STRING));
        QCOMPARE(attribute("nTSecurityDescriptor").syntax, uint32_t(SYN_OCTET_STRING));
        QCOMPARE(attribute("accountExpires").flags, DS_SINGLE_VALUED_ATTR);
        QCOMPARE(attribute("otherMailbox").flags, 0u);

        const auto flags = [&](const char *name) { return schema.Classes()[size_t(schema.FindClass(name))].flags; };
        QCOMPARE(flags("user"), DS_EFFECTIVE_CLASS);
        QCOMPARE(flags("top"), 0u);
        QCOMPARE(schema.Classes()[size_t(schema.FindClass("user"))].lists[LdapSchema::SuperClasses],
                 (std::vector<std::string>{"organizationalPerson", "person", "top"}));
        for (const char *container : {"organizationalUnit", "container", "domainDNS", "builtinDomain"})
            QVERIFY2(flags(container) == (DS_EFFECTIVE_CLASS | DS_CONTAINER_CLASS), container);
    }

    void serverNamesSyntaxesAndRules()
    {
        const std::vector<std::string> attributes = {
            "( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 X-NDS_NAME 'Object Class' "
            "X-NDS_SYNTAX '20' )",
            "( 2.5.4.3 NAME 'cn' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS_NAME 'CN' X-NDS_SYNTAX '3' )",
            "( 2.5.4.4 NAME 'sn' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS_NAME 'Surname' X-NDS_SYNTAX '3' )",
            "( 2.5.4.11 NAME 'ou' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS_NAME 'OU' X-NDS_SYNTAX '3' )",
            "( 9.9.1 NAME 'loginGraceLimit' SYNTAX 1.3.6.1.4.1.1466.115.121.1.27 X-NDS_NAME 'Login Grace Limit' "
            "X-NDS_SYNTAX '8' )",
            "( 9.9.2 NAME 'loginTime' SYNTAX 1.3.6.1.4.1.1466.115.121.1.24 X-NDS_NAME 'Last Login Time' "
            "X-NDS_SYNTAX '24' )",
        };
        const std::vector<std::string> classes = {
            "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass X-NDS_NOT_CONTAINER '1' )",
            "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou X-NDS_NAME 'Organizational Unit' "
            "X-NDS_NAMING 'ou' X-NDS_CONTAINMENT 'organizationalUnit' )",
            "( 9.9.10 NAME 'inetOrgPerson' SUP top STRUCTURAL MUST ( cn $ sn ) MAY loginGraceLimit "
            "X-NDS_NAME 'User' X-NDS_NAMING ( 'cn' 'uid' ) X-NDS_CONTAINMENT ( 'organizationalUnit' 'o' ) "
            "X-NDS_NOT_CONTAINER '1' )",
        };
        LdapSchema schema;
        schema.Build(classes, attributes);
        const LdapSchema::Attribute &surname = schema.Attributes()[size_t(schema.FindAttribute("surname"))];
        QCOMPARE(surname.name, "Surname");
        QCOMPARE(surname.ldapName, "sn");
        QCOMPARE(schema.FindAttribute("sn"), schema.FindAttribute("Surname"));
        QCOMPARE(schema.Attributes()[size_t(schema.FindAttribute("Object Class"))].syntax, uint32_t(SYN_CLASS_NAME));
        QCOMPARE(schema.Attributes()[size_t(schema.FindAttribute("loginTime"))].syntax, uint32_t(SYN_TIME));

        const int32_t user = schema.FindClass("User");
        QVERIFY(user >= 0);
        QCOMPARE(schema.FindClass("inetOrgPerson"), user);
        const LdapSchema::Class &definition = schema.Classes()[size_t(user)];
        QCOMPARE(definition.flags, DS_EFFECTIVE_CLASS);
        QCOMPARE(definition.lists[LdapSchema::Mandatory], (std::vector<std::string>{"CN", "Surname", "Object Class"}));
        QCOMPARE(definition.lists[LdapSchema::Optional], (std::vector<std::string>{"Login Grace Limit"}));
        QCOMPARE(definition.lists[LdapSchema::Naming], (std::vector<std::string>{"CN", "uid"}));
        QCOMPARE(definition.lists[LdapSchema::Containment], (std::vector<std::string>{"Organizational Unit", "o"}));
        const LdapSchema::Class &unit = schema.Classes()[size_t(schema.FindClass("Organizational Unit"))];
        QCOMPARE(unit.flags, DS_EFFECTIVE_CLASS | DS_CONTAINER_CLASS);
    }
};

QTEST_GUILESS_MAIN(TestLdapSchema)
#include "test_ldap_schema.moc"
