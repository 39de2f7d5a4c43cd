#include "directory/SyntaxTypes.h"

#include "directory/client/NWValues.h"

#include <QLatin1StringView>

#include <utility>

const char *const SyntaxTypeNames[SyntaxTypeCount] = {
    "inconnu",        // SYN_UNKNOWN
    "String",         // SYN_DIST_NAME
    "String",         // SYN_CE_STRING
    "String",         // SYN_CI_STRING
    "String",         // SYN_PR_STRING
    "String",         // SYN_NU_STRING
    "String",         // SYN_CI_LIST
    "Boolean",        // SYN_BOOLEAN
    "Long",           // SYN_INTEGER
    "NWOctetString",  // SYN_OCTET_STRING
    "String",         // SYN_TEL_NUMBER
    "String",         // SYN_FAX_NUMBER
    "NWNetAddress",   // SYN_NET_ADDRESS
    "inconnu",        // SYN_OCTET_LIST
    "NWEmailAddress", // SYN_EMAIL_ADDRESS
    "NWPath",         // SYN_PATH
    "inconnu",        // SYN_REPLICA_POINTER
    "NWACL",          // SYN_OBJECT_ACL
    "inconnu",        // SYN_PO_ADDRESS
    "NWTimeStamp",    // SYN_TIMESTAMP
    "String",         // SYN_CLASS_NAME
    "NWStream",       // SYN_STREAM
    "Long",           // SYN_COUNTER
    "inconnu",        // SYN_BACK_LINK
    "date",           // SYN_TIME
    "NWTypedName",    // SYN_TYPED_NAME
    "inconnu",        // SYN_HOLD
    "Long",           // SYN_INTERVAL
    "Long",           // SYN_LARGE_INTEGER
    "date",           // SYN_FILE_TIME
    // Rows 30 to 37: ids no client defines.
    "inconnu",
    "inconnu",
    "inconnu",
    "inconnu",
    "inconnu",
    "inconnu",
    "inconnu",
    "inconnu",
};

QString SyntaxTypeName(uint32_t syntaxId)
{
    const uint32_t row = syntaxId & 0x7F;
    return QString::fromLatin1(SyntaxTypeNames[row < SyntaxTypeCount ? row : SYN_UNKNOWN]);
}

tDataType SyntaxNameToDataType(const QString &syntaxName)
{
    static const std::pair<const char *, tDataType> kinds[] = {
        {"String", dtString},       {"NWPath", dtString}, {"NWTypedName", dtString}, {"NWEMailAddress", dtString},
        {"NWNetAddress", dtString}, {"NWACL", dtString},  {"NWTimeStamp", dtString}, {"NWOctetString", dtString},
        {"NWStream", dtString},     {"Long", dtInteger},  {"Boolean", dtBoolean},    {"Date", dtDate},
    };
    for (const auto &[name, kind] : kinds) {
        if (syntaxName.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return dtUnknown;
}
