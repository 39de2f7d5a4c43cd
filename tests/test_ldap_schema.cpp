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

// text, with more held in its buffer past its terminating zero (std::string keeps what a
// shorter size leaves): a parser that reads past the text's end reads more.
std::string FollowedInMemory(const std::string &text, const std::string &more)
{
    std::string held = text + '\0' + more;
    held.resize(text.size());
    return held;
}

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

    // A type without an equality rule of its own matches as its super type does: one
    // derived from a case-exact type is case-exact too, however deep.
    void equalityRuleComesFromTheSuperType()
    {
        std::vector<std::string> attributes = kPlainAttributes;
        attributes.push_back("( 9.9.9.3 NAME 'exactChild' SUP caseExactThing )");
        attributes.push_back("( 9.9.9.4 NAME 'exactGrandchild' SUP exactChild )");
        attributes.push_back("( 9.9.9.5 NAME 'ignoringChild' SUP caseExactThing EQUALITY caseIgnoreMatch )");
        LdapSchema schema;
        schema.Build(kPlainClasses, attributes);
        const auto syntaxOf = [&](const char *name) {
            const int32_t index = schema.FindAttribute(name);
            return index < 0 ? UINT32_MAX : schema.Attributes()[size_t(index)].syntax;
        };
        QCOMPARE(syntaxOf("exactChild"), uint32_t(SYN_CE_STRING));
        QCOMPARE(syntaxOf("exactGrandchild"), uint32_t(SYN_CE_STRING));
        QCOMPARE(syntaxOf("ignoringChild"), uint32_t(SYN_CI_STRING));
    }

    // Active Directory's subschema as Samba publishes it: quoted syntax OIDs, its own
    // syntaxes, classes below top, GUIDs and SIDs published as octet strings.
    void activeDirectorySchema()
    {
        // Some definitions are written on two lines.
        // NOLINTBEGIN(bugprone-suspicious-missing-comma)
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
        // NOLINTEND(bugprone-suspicious-missing-comma)
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
            // One definition on two lines.
            // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
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

    // Cut-short SYNTAX clauses, which libldap's OID macros read past the text's end (a heap
    // over-read under AddressSanitizer where the bytes past the buffer are not zero). Here
    // what lies past each text's end would parse as the rest of a definition: a read past
    // the end makes an attribute "past".
    void schemaTextsReadWithinTheirEnd()
    {
        const std::vector<std::string> cut = {"( 1.1 SYNTAX '1.2", "( 1.1 SYNTAX )", "( 1.1 SYNTAX 1.2{5"};
        std::vector<std::string> attributes = cut;
        for (const std::string &text : cut)
            attributes.push_back(FollowedInMemory(text, " NAME 'past' )"));
        // AD's quoted syntax OIDs still parse.
        attributes.push_back("( 1.2.840.113556.1.4.221 NAME 'sAMAccountName' SYNTAX '2.5.5.12' SINGLE-VALUE )");
        attributes.push_back("( 1.2.840.113556.1.4.8 NAME 'userAccountControl' "
                             "SYNTAX '1.3.6.1.4.1.1466.115.121.1.27' SINGLE-VALUE )");
        LdapSchema schema;
        schema.Build(cut, attributes);
        QCOMPARE(schema.FindAttribute("past"), -1);
        QCOMPARE(schema.Attributes().size(), size_t(2));
        QVERIFY(schema.FindAttribute("sAMAccountName") >= 0);
        QCOMPARE(schema.Attributes()[size_t(schema.FindAttribute("userAccountControl"))].syntax, uint32_t(SYN_INTEGER));
        QVERIFY(schema.Classes().empty());
    }

    // An extension without values: libldap refuses the definition but leaks the extension's
    // name (LeakSanitizer at the test's end). Well-formed extensions, empty lists included,
    // still parse.
    void extensionsWithoutValuesLeakNothing()
    {
        const std::vector<std::string> broken = {
            "( 1.1 X-AB )",
            "( 1.1 NAME 'a' X-AB 'x' X-CD )",
            "( 1.1 X-AB 'unclosed )",
            "( 1.1 X-AB ( a ) )",
            "( 1.1 X-AB ( 'a' $ 'b' ) )",
            "( 1.1 X-AB{ 'a' )",
            "( 1.1 X-AB ( 'a' ( )",
            "( 1.1 X-AB",
            "( 1.1X-AB 1.2 NAME 'a' )",
            "( 1.1 SYNTAX 1.2{5}X-AB )",
        };
        std::vector<std::string> attributes = broken;
        attributes.push_back("( 1.2 NAME 'kept' DESC 'not X-AB )' X-AB ( ) X-CD 'v' X-EF ( 'a' 'b' ) )");
        std::vector<std::string> classes = broken;
        classes.push_back("( 1.3 NAME 'keptClass' STRUCTURAL X-AB 'x' )");
        LdapSchema schema;
        schema.Build(classes, attributes);
        QCOMPARE(schema.Attributes().size(), size_t(1));
        QVERIFY(schema.FindAttribute("kept") >= 0);
        QCOMPARE(schema.Classes().size(), size_t(1));
        QVERIFY(schema.FindClass("keptClass") >= 0);
    }
};

QTEST_GUILESS_MAIN(TestLdapSchema)
#include "test_ldap_schema.moc"
