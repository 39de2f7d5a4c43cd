#include "directory/ldap/LdapSyntaxes.h"

#include "directory/client/NWValues.h"

#include <cstring>

namespace LdapSyntaxes {

namespace {

struct Row {
    const char *suffix; // after 1.3.6.1.4.1.1466.115.121.1.
    uint32_t syntax;
};

constexpr const char *Prefix = "1.3.6.1.4.1.1466.115.121.1.";

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
};

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

} // namespace LdapSyntaxes
