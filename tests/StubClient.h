#pragma once

#include "directory/client/NWClient.h"

#include <cstring>
#include <functional>

// A directory client for tests: it answers the start-up calls of tNDS (a context on
// "[Root]", identity "admin", no connection) and refuses every other call with
// ERR_BAD_VERB unless the test provides an answer.
class StubClient : public NWClient
{
public:
    static constexpr NWDSContextHandle StubContext = 7;

    std::function<NWDSCCODE(NWDSContextHandle context, const char *object, const char *attribute, uint32_t flags,
                            int *fileHandle)>
        OpenStream;

    NWDSCCODE NWCallsInit(void *, void *) override { return 0; }
    NWDSContextHandle NWDSCreateContext() override { return StubContext; }
    NWDSCCODE NWDSFreeContext(NWDSContextHandle) override { return 0; }
    NWDSCCODE NWDSDuplicateContextHandle(NWDSContextHandle, NWDSContextHandle *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetContext(NWDSContextHandle, int key, void *value) override
    {
        if (key == DCK_FLAGS || key == DCK_CONFIDENCE)
            *static_cast<uint32_t *>(value) = 0;
        else
            std::strcpy(static_cast<char *>(value), "[Root]");
        return 0;
    }
    NWDSCCODE NWDSSetContext(NWDSContextHandle, int, const void *) override { return 0; }
    NWDSCCODE NWDSWhoAmi(NWDSContextHandle, char *name, size_t) override
    {
        std::strcpy(name, "admin");
        return 0;
    }
    NWDSCCODE NWDSGetDefNameContext(NWDSContextHandle, size_t, char *) override { return ERR_BAD_VERB; }

    NWDSCCODE NWDSAllocBuf(size_t, Buf_T **) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSFreeBuf(Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSInitBuf(NWDSContextHandle, uint32_t, Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSPutAttrName(NWDSContextHandle, Buf_T *, const char *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSPutClassName(NWDSContextHandle, Buf_T *, const char *) override { return ERR_BAD_VERB; }

    NWDSCCODE NWDSRead(NWDSContextHandle, const char *, uint32_t, bool, Buf_T *, int32_t *, Buf_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSGetAttrCount(NWDSContextHandle, Buf_T *, uint32_t *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetAttrName(NWDSContextHandle, Buf_T *, char *, size_t, uint32_t *, uint32_t *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSComputeAttrValSize(NWDSContextHandle, Buf_T *, uint32_t, size_t *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetAttrVal(NWDSContextHandle, Buf_T *, uint32_t, void *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute, uint32_t flags,
                             int *fileHandle) override
    {
        return OpenStream ? OpenStream(context, object, attribute, flags, fileHandle) : ERR_BAD_VERB;
    }

    NWDSCCODE NWDSList(NWDSContextHandle, const char *, int32_t *, Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSListContainers(NWDSContextHandle, const char *, int32_t *, Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetObjectCount(NWDSContextHandle, Buf_T *, uint32_t *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetObjectName(NWDSContextHandle, Buf_T *, char *, size_t, uint32_t *, Object_Info_T *) override
    {
        return ERR_BAD_VERB;
    }

    NWDSCCODE NWDSReadClassDef(NWDSContextHandle, uint32_t, bool, Buf_T *, int32_t *, Buf_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSGetClassDefCount(NWDSContextHandle, Buf_T *, uint32_t *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetClassDef(NWDSContextHandle, Buf_T *, char *, size_t, Class_Info_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSGetClassItemCount(NWDSContextHandle, Buf_T *, uint32_t *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetClassItem(NWDSContextHandle, Buf_T *, char *, size_t) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle, uint32_t, bool, Buf_T *, int32_t *, Buf_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSGetAttrDef(NWDSContextHandle, Buf_T *, char *, size_t, Attr_Info_T *) override
    {
        return ERR_BAD_VERB;
    }

    NWDSCCODE NWCCGetPrimConnRef(NWCONN_HANDLE *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWCCScanConnRefs(uint32_t *, NWCONN_HANDLE *) override { return NWE_NO_MORE_ENTRIES; }
    NWDSCCODE NWCCGetConnRefInfo(NWCONN_HANDLE, uint32_t, size_t, void *) override { return ERR_BAD_VERB; }
};
