#include "directory/ldap/LdapSyntaxes.h"

#include "directory/client/NWValues.h"

#include <strings.h>

#include <cstring>

namespace LdapSyntaxes {

namespace {

struct Row {
    const char *suffix; // after 1.3.6.1.4.1.1466.115.121.1.
    uint32_t syntax;
};

constexpr const char *Prefix = "1.3.6.1.4.1.1466.115.121.1.";
constexpr const char *AdPrefix = "1.2.840.113556.1.4.";

constexpr Row Table[] = {
    {"7", SYN_BOOLEAN},       // Boolean
    {"11", SYN_PR_STRING},    // Country String
    {"12", SYN_DIST_NAME},    // DN
    {"15", SYN_CI_STRING},    // Directory String
    {"22", SYN_FAX_NUMBER},   // Facsimile Telephone Number
    {"24", SYN_TIME},         // Generalized Time
    {"26", SYN_CI_STRING},    // IA5 String
    {"27", SYN_INTEGER},      // Integer
    {"36", SYN_NU_STRING},    // Numeric String
    {"38", SYN_CI_STRING},    // OID
    {"41", SYN_PO_ADDRESS},   // Postal Address
    {"44", SYN_PR_STRING},    // Printable String
    {"50", SYN_TEL_NUMBER},   // Telephone Number
    {"53", SYN_TIME},         // UTC Time
    {"5", SYN_OCTET_STRING},  // Binary
    {"8", SYN_OCTET_STRING},  // Certificate
    {"28", SYN_OCTET_STRING}, // JPEG
    {"40", SYN_OCTET_STRING}, // Octet String
    {"6", SYN_CI_STRING},     // Bit String
    {"34", SYN_CI_STRING},    // Name and Optional UID
    {"39", SYN_CI_STRING},    // Other Mailbox
    {"52", SYN_CI_STRING},    // Telex Number
    {"43", SYN_CI_STRING},    // Presentation Address
};

// Active Directory's own syntaxes.
constexpr Row AdTable[] = {
    {"903", SYN_CI_STRING},     // DN-Binary
    {"904", SYN_CI_STRING},     // DN-String
    {"905", SYN_CI_STRING},     // Teletex (case-ignoring)
    {"906", SYN_LARGE_INTEGER}, // Large Integer
    {"907", SYN_OCTET_STRING},  // NT Security Descriptor
    {"1221", SYN_CI_STRING},    // Object (OR-Name)
    {"1362", SYN_CE_STRING},    // case-exact String
};

const char *const Guids[] = {"objectGUID",        "schemaIDGUID", "attributeSecurityGUID", "invocationId",
                             "msDS-GenerationId", "rightsGuid",   "msExchMailboxGuid",     "msDS-OptionalFeatureGUID"};
const char *const Sids[] = {"objectSid",
                            "sIDHistory",
                            "securityIdentifier",
                            "tokenGroups",
                            "tokenGroupsGlobalAndUniversal",
                            "tokenGroupsNoGCAcceptable",
                            "mS-DS-CreatorSID",
                            "msDS-QuotaTrustee"};
const char *const FileTimes[] = {"accountExpires",
                                 "pwdLastSet",
                                 "lastLogon",
                                 "lastLogonTimestamp",
                                 "badPasswordTime",
                                 "lockoutTime",
                                 "lastLogoff",
                                 "creationTime",
                                 "msDS-UserPasswordExpiryTimeComputed",
                                 "msDS-LastSuccessfulInteractiveLogonTime",
                                 "msDS-LastFailedInteractiveLogonTime",
                                 "msDS-ApproximateLastLogonTimeStamp",
                                 "msDS-Cached-Membership-Time-Stamp",
                                 "lastSetTime",
                                 "priorSetTime"};

template <size_t N> bool Listed(const char *const (&names)[N], std::string_view name)
{
    for (const char *listed : names) {
        if (std::strlen(listed) == name.size() && strncasecmp(listed, name.data(), name.size()) == 0)
            return true;
    }
    return false;
}

bool IsCaseExact(const char *equalityOid)
{
    if (!equalityOid)
        return false;
    return std::strcmp(equalityOid, "caseExactMatch") == 0 || std::strcmp(equalityOid, "2.5.13.5") == 0 ||
           std::strcmp(equalityOid, "caseExactIA5Match") == 0 ||
           std::strcmp(equalityOid, "1.3.6.1.4.1.1466.109.114.1") == 0;
}

} // namespace

uint32_t SyntaxOf(const char *syntaxOid, const char *equalityOid)
{
    if (!syntaxOid)
        return SYN_OCTET_STRING;
    const size_t adPrefix = std::strlen(AdPrefix);
    if (std::strncmp(syntaxOid, AdPrefix, adPrefix) == 0) {
        for (const Row &row : AdTable) {
            if (std::strcmp(row.suffix, syntaxOid + adPrefix) == 0)
                return row.syntax;
        }
        return SYN_OCTET_STRING;
    }
    const size_t prefix = std::strlen(Prefix);
    if (std::strncmp(syntaxOid, Prefix, prefix) != 0)
        return SYN_OCTET_STRING;
    const char *suffix = syntaxOid + prefix;
    for (const Row &row : Table) {
        if (std::strcmp(row.suffix, suffix) == 0) {
            if (row.syntax == SYN_CI_STRING && IsCaseExact(equalityOid))
                return SYN_CE_STRING;
            return row.syntax;
        }
    }
    return SYN_OCTET_STRING;
}

Kind KindOf(std::string_view ldapName, uint32_t syntax)
{
    if (syntax == SYN_OCTET_STRING && Listed(Guids, ldapName))
        return {SYN_CI_STRING, LdapValue::Encoding::Guid};
    if (syntax == SYN_OCTET_STRING && Listed(Sids, ldapName))
        return {SYN_CI_STRING, LdapValue::Encoding::Sid};
    if (syntax == SYN_LARGE_INTEGER && Listed(FileTimes, ldapName))
        return {SYN_FILE_TIME, LdapValue::Encoding::Plain};
    return {syntax, LdapValue::Encoding::Plain};
}

} // namespace LdapSyntaxes
