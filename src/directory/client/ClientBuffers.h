#pragma once

#include "directory/client/BufferPool.h"
#include "directory/client/ClientFunction.h"
#include "directory/client/DirectoryBuffer.h"
#include "directory/client/NWClient.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The calls on request and result buffers, alike for every client: allocation, the
// requests (NWDSInitBuf, NWDSPutAttrName, NWDSPutClassName) and the unpacking of the
// results a client packed in the layout of Buf_T (attributes and values, listed
// entries, class and attribute definitions), with the interface's checks in their order.
//
// A client derived from it says which contexts are open (Opened, TreeIndexOf), and may
// make calls fail before they run (Injected).
class ClientBuffers : public NWClient
{
public:
    NWDSCCODE NWCallsInit(void *in, void *out) override;

    NWDSCCODE NWDSAllocBuf(size_t size, Buf_T **buffer) override;
    NWDSCCODE NWDSFreeBuf(Buf_T *buffer) override;
    NWDSCCODE NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer) override;
    NWDSCCODE NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name) override;
    NWDSCCODE NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name) override;

    NWDSCCODE NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) override;
    NWDSCCODE NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size, uint32_t *valueCount,
                              uint32_t *syntaxID) override;
    NWDSCCODE NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                                     size_t *size) override;
    NWDSCCODE NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value) override;

    NWDSCCODE NWDSGetObjectCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) override;
    NWDSCCODE NWDSGetObjectName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size, uint32_t *attrCount,
                                Object_Info_T *info) override;

    NWDSCCODE NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) override;
    NWDSCCODE NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                              Class_Info_T *info) override;
    NWDSCCODE NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count) override;
    NWDSCCODE NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size) override;
    NWDSCCODE NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                             Attr_Info_T *info) override;

protected:
    // unconvertible: what the value calls return for a value whose record cannot be
    // made (a value packed as NotConverted, or carried bytes its syntax refuses).
    explicit ClientBuffers(NWDSCCODE unconvertible) : unconvertible_(unconvertible) {}

    // What a call concerns, for Injected: its tree (-1: none), the object named to it or
    // the object its buffer was filled for (-1: none), the attribute it concerns.
    struct CallSite {
        int32_t tree = -1;
        const char *object = nullptr;
        int64_t objectIndex = -1;
        std::optional<std::string_view> attribute;
    };
    // The result of a call made to fail before it runs; nothing lets it run. The calls
    // ask it first, except those that must unpack their entry to say what they concern
    // (NWDSGetAttrName, NWDSGetObjectName, NWDSGetAttrDef), which ask it once the entry
    // is taken.
    virtual std::optional<NWDSCCODE> Injected(ClientFunction function, const CallSite &site)
    {
        static_cast<void>(function);
        static_cast<void>(site);
        return std::nullopt;
    }
    virtual bool Opened(NWDSContextHandle context) const = 0;
    // The tree of an open context, -1 for another handle.
    virtual int32_t TreeIndexOf(NWDSContextHandle context) const = 0;

    // Copies text and its terminator to area of size bytes.
    static NWDSCCODE CopyOut(std::string_view text, char *area, size_t size);

private:
    // Checks the context and that the buffer holds one of the contents.
    NWDSCCODE CheckBuffer(NWDSContextHandle context, const Buf_T *buffer,
                          std::initializer_list<Buf_T::Content> contents) const;
    // CheckBuffer, then the buffer's count into *count.
    NWDSCCODE CountOf(NWDSContextHandle context, Buf_T *buffer, std::initializer_list<Buf_T::Content> contents,
                      uint32_t *count) const;
    // The checks of the value calls in their order (injected failure, buffer, area, a
    // value left, its syntax), then the current value as carried; peek leaves it
    // current, otherwise it is taken.
    NWDSCCODE CarriedValue(ClientFunction function, NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                           const void *area, bool peek, std::span<const uint8_t> &carried);
    // The calls that ask Injected with the context's tree alone.
    std::optional<NWDSCCODE> InjectedOn(ClientFunction function, NWDSContextHandle context)
    {
        return Injected(function, {TreeIndexOf(context), nullptr, -1, std::nullopt});
    }

    NWDSCCODE unconvertible_;
    BufferPool buffers_;
};
