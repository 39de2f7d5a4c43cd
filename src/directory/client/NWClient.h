#pragma once

// The directory client interface: the calls, keys, codes and iteration rule of the
// directory client, as an abstract class. The simulated client serves a directory
// file; another client may serve a real directory server.
//
// Rules shared by every call:
// - results are 32-bit; 0 is success, anything else a failure; directory errors are
//   negative (NWDSComputeAttrValSize fails only with a negative result);
// - every text handed in or out is UTF-8; text areas handed out are written
//   zero-terminated and never beyond the size given with them;
// - reads that come in batches take an iteration handle: -1 before the first batch,
//   and -1 again after the last one.

#include "directory/client/NWValues.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using NWDSCCODE = int32_t;
using NWDSContextHandle = int32_t;
using NWCONN_HANDLE = uint32_t;

// A request or result buffer of the client. Callers only pass it around.
struct Buf_T;

// Context keys.
constexpr int DCK_FLAGS = 1;
constexpr int DCK_CONFIDENCE = 2;
constexpr int DCK_NAME_CONTEXT = 3;
constexpr int DCK_TREE_NAME = 11;

// Bits of the context flag word.
constexpr uint32_t DCV_TYPELESS_NAMES = 0x04;
constexpr uint32_t DCV_CANONICALIZE_NAMES = 0x10;

// Buffer operations.
constexpr uint32_t DSV_READ = 3;
constexpr uint32_t DSV_READ_CLASS_DEF = 15;
// A request naming attributes whose definitions are read.
constexpr uint32_t DSV_READ_ATTR_DEF = 12;

// Information types.
constexpr uint32_t DS_ATTRIBUTE_NAMES = 0;
constexpr uint32_t DS_ATTRIBUTE_VALUES = 1;
constexpr uint32_t DS_ATTR_DEFS = 1;
constexpr uint32_t DS_CLASS_DEFS = 1;
constexpr uint32_t DS_EXPANDED_CLASS_DEFS = 2;
// Class definitions with their names and flags only.
constexpr uint32_t DS_INFO_CLASS_DEFS = 3;
// The item lists of a class definition: super classes, containment, naming, mandatory
// and optional attributes.
constexpr uint32_t CLASS_ITEM_LISTS = 5;

// Flag words.
constexpr uint32_t DS_CONTAINER_ENTRY = 0x04;
constexpr uint32_t DS_CONTAINER_CLASS = 0x01;
constexpr uint32_t DS_EFFECTIVE_CLASS = 0x02;
constexpr uint32_t DS_SINGLE_VALUED_ATTR = 0x01;
constexpr uint32_t DS_HIDDEN_ATTR = 0x10;

// Connection information kinds.
constexpr uint32_t NWCC_INFO_TREE_NAME = 4;

// Sizes of text areas, in bytes, terminator included.
constexpr size_t MAX_DN_BYTES = 257;
constexpr size_t MAX_SCHEMA_NAME_BYTES = 256;
constexpr size_t MAX_TREE_NAME_BYTES = 255;

// Result codes.
constexpr NWDSCCODE ERR_CONTEXT_CREATION = 328;   // what NWDSCreateContext returns on failure
constexpr NWDSCCODE NWE_NO_MORE_ENTRIES = 0x88FF; // end of the connection scan
constexpr NWDSCCODE ERR_NOT_ENOUGH_MEMORY = -301;
constexpr NWDSCCODE ERR_BAD_KEY = -302;
constexpr NWDSCCODE ERR_BAD_CONTEXT = -303;
constexpr NWDSCCODE ERR_BUFFER_FULL = -304;
constexpr NWDSCCODE ERR_BAD_SYNTAX = -306;
constexpr NWDSCCODE ERR_BUFFER_EMPTY = -307;
constexpr NWDSCCODE ERR_BAD_VERB = -308;
constexpr NWDSCCODE ERR_INVALID_HANDLE = -322;
constexpr NWDSCCODE ERR_NO_SUCH_ENTRY = -601;
constexpr NWDSCCODE ERR_NO_SUCH_VALUE = -602;
constexpr NWDSCCODE ERR_NO_SUCH_ATTRIBUTE = -603;
constexpr NWDSCCODE ERR_NO_SUCH_CLASS = -604;
constexpr NWDSCCODE ERR_INVALID_REQUEST = -641;
constexpr NWDSCCODE ERR_INSUFFICIENT_BUFFER = -649;
constexpr NWDSCCODE ERR_CONNECTION_UNKNOWN = -632;
// A listing's call that hands out nothing for an entry the client had to leave out (its
// server's words say which and why): the listing goes on at *iterationHandle.
constexpr NWDSCCODE ERR_ENTRY_LEFT_OUT = -5300;

struct Asn1_ID_T {
    uint32_t length;
    uint8_t data[32];
};

struct Class_Info_T {
    uint32_t classFlags;
    Asn1_ID_T asn1ID;
};

struct Attr_Info_T {
    uint32_t attrFlags;
    uint32_t attrSyntaxID;
    uint32_t attrLower;
    uint32_t attrUpper;
    Asn1_ID_T asn1ID;
};

// Entry information of a listed object.
struct Object_Info_T {
    uint32_t EntryFlags; // DS_CONTAINER_ENTRY for a container
    uint32_t SubordinateCount;
    uint32_t ModificationTime;
    char BaseClass[MAX_SCHEMA_NAME_BYTES];
};

class NWClient
{
public:
    virtual ~NWClient() = default;

    // Starts the client; both arguments are null.
    virtual NWDSCCODE NWCallsInit(void *in, void *out) = 0;

    // Contexts. NWDSCreateContext returns the new handle, or ERR_CONTEXT_CREATION.
    // A new context is on the primary connection's tree, at its default context, with
    // typed names. A duplicate copies every key; its user frees it.
    virtual NWDSContextHandle NWDSCreateContext() = 0;
    virtual NWDSCCODE NWDSFreeContext(NWDSContextHandle context) = 0;
    virtual NWDSCCODE NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *destination) = 0;
    // Keys 1 (flag word) and 2 (confidence) take a uint32_t; keys 3 (name context) and
    // 11 (tree name) take a text area of MAX_DN_BYTES. The top of the tree reads "[Root]".
    virtual NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void *value) = 0;
    virtual NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void *value) = 0;
    virtual NWDSCCODE NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size) = 0;
    // The default name context of the context's tree ("[Root]" when it has none).
    virtual NWDSCCODE NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext) = 0;

    // Buffers.
    virtual NWDSCCODE NWDSAllocBuf(size_t size, Buf_T **buffer) = 0;
    virtual NWDSCCODE NWDSFreeBuf(Buf_T *buffer) = 0;
    virtual NWDSCCODE NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer) = 0;
    virtual NWDSCCODE NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name) = 0;
    virtual NWDSCCODE NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name) = 0;

    // Reads one object's attribute names (DS_ATTRIBUTE_NAMES) or names and values
    // (DS_ATTRIBUTE_VALUES), of all attributes or of those put in attrNames.
    virtual NWDSCCODE NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                               Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo) = 0;
    virtual NWDSCCODE NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) = 0;
    virtual NWDSCCODE NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                      uint32_t *valueCount, uint32_t *syntaxID) = 0;
    virtual NWDSCCODE NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                                             size_t *size) = 0;
    virtual NWDSCCODE NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value) = 0;
    // Opens a stream attribute for reading; fileHandle receives a file descriptor that
    // the caller reads and closes.
    virtual NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute,
                                     uint32_t flags, int *fileHandle) = 0;

    // Listings: the subordinates, or the container entries only, of one object. Names
    // are handed out relative to the context's name context.
    virtual NWDSCCODE NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                               Buf_T *subordinates) = 0;
    virtual NWDSCCODE NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                         Buf_T *subordinates) = 0;
    virtual NWDSCCODE NWDSGetObjectCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) = 0;
    virtual NWDSCCODE NWDSGetObjectName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                        uint32_t *attrCount, Object_Info_T *info) = 0;

    // Schema reads. Expanded class definitions include what the super classes define.
    virtual NWDSCCODE NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses, Buf_T *classNames,
                                       int32_t *iterationHandle, Buf_T *classDefs) = 0;
    virtual NWDSCCODE NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) = 0;
    virtual NWDSCCODE NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                      Class_Info_T *info) = 0;
    virtual NWDSCCODE NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) = 0;
    virtual NWDSCCODE NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size) = 0;
    virtual NWDSCCODE NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs, Buf_T *attrNames,
                                      int32_t *iterationHandle, Buf_T *attrDefs) = 0;
    virtual NWDSCCODE NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                     Attr_Info_T *info) = 0;

    // Connections. The scan starts with scanIterator 0 and returns NWE_NO_MORE_ENTRIES
    // after the last. NWCC_INFO_TREE_NAME gives the tree name padded with underscores.
    virtual NWDSCCODE NWCCGetPrimConnRef(NWCONN_HANDLE *connection) = 0;
    virtual NWDSCCODE NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection) = 0;
    virtual NWDSCCODE NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer) = 0;

    // Failures beyond the codes. What the server said about the last failing call when
    // that call returned code (a limit it hit, its error text and diagnostic), taken by
    // the asking; empty when the client has nothing to add.
    virtual std::string TakeServerWords(NWDSCCODE code)
    {
        static_cast<void>(code);
        return {};
    }
    // Whether the directory cannot be reached any more: the connection dropped and could
    // not be made again, and every later call fails.
    virtual bool Lost() const { return false; }
    // Called often (about ten times a second) while a call waits for a server; when it
    // returns true, the call gives up and fails, and the client stays usable. Unset: the
    // calls wait. Ignored by a client that never waits.
    virtual void SetWaitHook(const std::function<bool()> &stop) { static_cast<void>(stop); }
    // What a run will read of the objects it lists, until it says so again with no
    // attributes: those attributes, by the directory's names, and whether it descends
    // into containers. A client may fetch them with its listings and answer the run's
    // reads from there; an object read with all its attributes then shows only those of
    // them that it has. Ignored by default.
    virtual void ExpectReads(const std::vector<std::string> &attributes, bool descends)
    {
        static_cast<void>(attributes);
        static_cast<void>(descends);
    }
};
