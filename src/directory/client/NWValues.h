#pragma once

// Value records that NWDSGetAttrVal fills, one per syntax. Each value is packed into
// one area of the size NWDSComputeAttrValSize gives: the record first, then the texts
// and bytes its pointers refer to, inside the same area. Texts are zero-terminated UTF-8.

#include <cstdint>

enum SyntaxId : uint32_t {
    SYN_UNKNOWN = 0,
    SYN_DIST_NAME = 1,
    SYN_CE_STRING = 2,
    SYN_CI_STRING = 3,
    SYN_PR_STRING = 4,
    SYN_NU_STRING = 5,
    SYN_CI_LIST = 6,
    SYN_BOOLEAN = 7,
    SYN_INTEGER = 8,
    SYN_OCTET_STRING = 9,
    SYN_TEL_NUMBER = 10,
    SYN_FAX_NUMBER = 11,
    SYN_NET_ADDRESS = 12,
    SYN_OCTET_LIST = 13,
    SYN_EMAIL_ADDRESS = 14,
    SYN_PATH = 15,
    SYN_REPLICA_POINTER = 16,
    SYN_OBJECT_ACL = 17,
    SYN_PO_ADDRESS = 18,
    SYN_TIMESTAMP = 19,
    SYN_CLASS_NAME = 20,
    SYN_STREAM = 21,
    SYN_COUNTER = 22,
    SYN_BACK_LINK = 23,
    SYN_TIME = 24,
    SYN_TYPED_NAME = 25,
    SYN_HOLD = 26,
    SYN_INTERVAL = 27,
    // Values of LDAP servers that the directory's own syntaxes cannot hold (Active Directory's).
    SYN_LARGE_INTEGER = 28, // a signed 64-bit integer
    SYN_FILE_TIME = 29,     // 100-nanosecond intervals since 1601-01-01, UTC, signed 64-bit
    SYN_COUNT = 30,
};

// Syntaxes 1 to 5, 10 and 20: the area is the zero-terminated text itself.

// SYN_CI_LIST: a chain of nodes, the first at the start of the area.
struct CI_List_T {
    CI_List_T *next;
    char *s;
};

// SYN_BOOLEAN: one stored byte; only 1 means true.
using Boolean_T = uint8_t;

// SYN_INTEGER, SYN_COUNTER, SYN_INTERVAL: signed; SYN_TIME: seconds since 1970.
using Integer_T = int32_t;
using Counter_T = int32_t;
using Interval_T = int32_t;
using Time_T = int32_t;
using Large_Integer_T = int64_t;
using File_Time_T = int64_t;

struct Octet_String_T {
    uint32_t length;
    uint8_t *data;
};

struct Bit_String_T {
    uint32_t numOfBits;
    uint8_t *data;
};

struct Fax_Number_T {
    char *telephoneNumber;
    Bit_String_T parameters;
};

struct Net_Address_T {
    uint32_t addressType;
    uint32_t addressLength;
    uint8_t *address;
};

// SYN_OCTET_LIST: a chain of octet strings.
struct Octet_List_T {
    Octet_List_T *next;
    uint32_t length;
    uint8_t *data;
};

struct EMail_Address_T {
    uint32_t type;
    char *address;
};

struct Path_T {
    uint32_t nameSpaceType;
    char *volumeName;
    char *path;
};

struct Replica_Pointer_T {
    char *serverName;
    int32_t replicaType;
    int32_t replicaNumber;
    uint32_t count;
    Net_Address_T replicaAddressHint[1];
};

struct Object_ACL_T {
    char *protectedAttrName;
    char *subjectName;
    uint32_t privileges;
};

// SYN_PO_ADDRESS: six lines.
struct Postal_Address_T {
    char *line[6];
};

struct NWDS_TimeStamp_T {
    uint32_t wholeSeconds;
    uint32_t eventID;
};

// SYN_STREAM: the value carries the stream's length only; its content is read
// through NWDSOpenStream.
struct Stream_T {
    uint32_t length;
};

struct Back_Link_T {
    uint32_t remoteID;
    char *objectName;
};

struct Typed_Name_T {
    char *objectName;
    uint32_t level;
    uint32_t interval;
};

struct Hold_T {
    uint32_t amount;
    char *objectName;
};

// Whether the value records of the syntax are plain zero-terminated texts (1-5, 10, 20).
inline bool IsTextSyntax(uint32_t syntax)
{
    switch (syntax) {
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        return true;
    default:
        return false;
    }
}
