#include "directory/client/ClientBuffers.h"

#include "directory/client/ValuePacking.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Appends a schema name to a request buffer and counts it.
NWDSCCODE PutName(Buf_T &buffer, const char *name)
{
    if (!name || std::strlen(name) >= MAX_SCHEMA_NAME_BYTES)
        return ERR_INVALID_REQUEST;
    if (!buffer.PutText(name))
        return ERR_BUFFER_FULL;
    buffer.PatchU32(0, buffer.ReadU32At(0) + 1);
    return 0;
}

} // namespace

NWDSCCODE ClientBuffers::CopyOut(std::string_view text, char *area, size_t size)
{
    if (!area)
        return ERR_INVALID_REQUEST;
    if (text.size() >= size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(area, text.data(), text.size());
    area[text.size()] = '\0';
    return 0;
}

NWDSCCODE ClientBuffers::CheckBuffer(NWDSContextHandle context, const Buf_T *buffer,
                                     std::initializer_list<Buf_T::Content> contents) const
{
    if (!Opened(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    for (const Buf_T::Content content : contents) {
        if (buffer->content == content)
            return 0;
    }
    return ERR_BAD_VERB;
}

NWDSCCODE ClientBuffers::CountOf(NWDSContextHandle context, Buf_T *buffer,
                                 std::initializer_list<Buf_T::Content> contents, uint32_t *count) const
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, contents); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE ClientBuffers::NWCallsInit(void *, void *)
{
    if (const auto injected = Injected(ClientFunction::NWCallsInit, {}))
        return *injected;
    return 0;
}

// ---- requests

NWDSCCODE ClientBuffers::NWDSAllocBuf(size_t size, Buf_T **buffer)
{
    if (const auto injected = Injected(ClientFunction::NWDSAllocBuf, {}))
        return *injected;
    if (!buffer || size == 0)
        return ERR_INVALID_REQUEST;
    try {
        *buffer = buffers_.Allocate(size);
    } catch (const std::bad_alloc &) {
        *buffer = nullptr;
        return ERR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

NWDSCCODE ClientBuffers::NWDSFreeBuf(Buf_T *buffer)
{
    if (const auto injected = Injected(ClientFunction::NWDSFreeBuf, {}))
        return *injected;
    buffers_.Free(buffer);
    return 0;
}

NWDSCCODE ClientBuffers::NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSInitBuf, context))
        return *injected;
    if (!Opened(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    if (operation != DSV_READ && operation != DSV_READ_CLASS_DEF && operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    if (buffer->Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    buffer->Start(Buf_T::Content::Request, operation);
    return 0;
}

NWDSCCODE ClientBuffers::NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    CallSite site{TreeIndexOf(context), nullptr, -1, std::nullopt};
    if (name)
        site.attribute = name;
    if (const auto injected = Injected(ClientFunction::NWDSPutAttrName, site))
        return *injected;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ && buffer->operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}

NWDSCCODE ClientBuffers::NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSPutClassName, context))
        return *injected;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ_CLASS_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}

// ---- attributes and values

NWDSCCODE ClientBuffers::NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer) {
        if (const auto injected =
                Injected(ClientFunction::NWDSGetAttrCount, {TreeIndexOf(context), nullptr, buffer->object, {}}))
            return *injected;
    }
    return CountOf(
        context, buffer,
        {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues, Buf_T::Content::AttributeDefinitions}, count);
}

NWDSCCODE ClientBuffers::NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                         uint32_t *valueCount, uint32_t *syntaxID)
{
    if (const NWDSCCODE result =
            CheckBuffer(context, buffer, {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues});
        result != 0)
        return result;
    std::string_view attribute;
    uint32_t syntax = 0;
    uint32_t count = 0;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(syntax) || !buffer->GetU32(count))
        return ERR_BUFFER_EMPTY;
    buffer->itemAttribute = attribute;
    buffer->itemSyntax = syntax;
    buffer->itemsLeft = count;
    if (const auto injected =
            Injected(ClientFunction::NWDSGetAttrName, {buffer->tree, nullptr, buffer->object, attribute}))
        return *injected;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (valueCount)
        *valueCount = count;
    if (syntaxID)
        *syntaxID = syntax;
    return 0;
}

NWDSCCODE ClientBuffers::CarriedValue(ClientFunction function, NWDSContextHandle context, Buf_T *buffer,
                                      uint32_t syntaxID, const void *area, bool peek, std::span<const uint8_t> &carried)
{
    if (buffer) {
        if (const auto injected =
                Injected(function, {TreeIndexOf(context), nullptr, buffer->object, buffer->itemAttribute}))
            return *injected;
    }
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeValues}); result != 0)
        return result;
    if (!area)
        return ERR_INVALID_REQUEST;
    if (buffer->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != buffer->itemSyntax)
        return ERR_BAD_SYNTAX;
    const size_t cursor = buffer->Cursor();
    uint32_t size = 0;
    const uint8_t *bytes = nullptr;
    bool read = buffer->GetU32(size);
    const bool converted = size != Buf_T::NotConverted;
    read = read && (!converted || buffer->GetBytes(size, bytes));
    if (peek)
        buffer->SetCursor(cursor);
    if (!read)
        return ERR_BUFFER_EMPTY;
    if (!peek)
        --buffer->itemsLeft;
    if (!converted)
        return unconvertible_;
    carried = {bytes, size};
    return 0;
}

NWDSCCODE ClientBuffers::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                                                size_t *size)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result =
            CarriedValue(ClientFunction::NWDSComputeAttrValSize, context, buffer, syntaxID, size, true, carried))
        return result;
    const int64_t recordSize = ValuePacking::RecordSize(syntaxID, carried.data(), carried.size());
    if (recordSize < 0)
        return unconvertible_;
    *size = size_t(recordSize);
    return 0;
}

NWDSCCODE ClientBuffers::NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result =
            CarriedValue(ClientFunction::NWDSGetAttrVal, context, buffer, syntaxID, value, false, carried))
        return result;
    return ValuePacking::WriteRecord(syntaxID, carried.data(), carried.size(), value) ? 0 : unconvertible_;
}

// ---- listed entries

NWDSCCODE ClientBuffers::NWDSGetObjectCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer) {
        if (const auto injected =
                Injected(ClientFunction::NWDSGetObjectCount, {TreeIndexOf(context), nullptr, buffer->object, {}}))
            return *injected;
    }
    return CountOf(context, buffer, {Buf_T::Content::Entries}, count);
}

NWDSCCODE ClientBuffers::NWDSGetObjectName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                           uint32_t *attrCount, Object_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Entries}); result != 0)
        return result;
    uint32_t object = 0;
    uint32_t flags = 0;
    uint32_t subordinates = 0;
    uint32_t modified = 0;
    uint32_t attributes = 0;
    std::string_view entryName;
    std::string_view className;
    if (!buffer->NextEntry() || !buffer->GetU32(object) || !buffer->GetU32(flags) || !buffer->GetU32(subordinates) ||
        !buffer->GetU32(modified) || !buffer->GetU32(attributes) || !buffer->GetText(entryName) ||
        !buffer->GetText(className))
        return ERR_BUFFER_EMPTY;
    if (const auto injected = Injected(ClientFunction::NWDSGetObjectName, {buffer->tree, nullptr, object, {}}))
        return *injected;
    if (const NWDSCCODE result = CopyOut(entryName, name, size); result != 0)
        return result;
    if (attrCount)
        *attrCount = attributes;
    if (info) {
        info->EntryFlags = flags;
        info->SubordinateCount = subordinates;
        info->ModificationTime = modified;
        const size_t length = std::min(className.size(), sizeof info->BaseClass - 1);
        std::memcpy(info->BaseClass, className.data(), length);
        info->BaseClass[length] = '\0';
    }
    return 0;
}

// ---- schema definitions

NWDSCCODE ClientBuffers::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSGetClassDefCount, context))
        return *injected;
    return CountOf(context, buffer, {Buf_T::Content::ClassDefinitions}, count);
}

NWDSCCODE ClientBuffers::NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                         Class_Info_T *info)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSGetClassDef, context))
        return *injected;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view className;
    uint32_t flags = 0;
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(className) || !buffer->GetU32(flags) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    buffer->listsLeft = buffer->operation == DS_INFO_CLASS_DEFS ? 0 : CLASS_ITEM_LISTS;
    if (const NWDSCCODE result = CopyOut(className, name, size); result != 0)
        return result;
    if (info) {
        info->classFlags = flags;
        std::memcpy(&info->asn1ID, identifier, sizeof info->asn1ID);
    }
    return 0;
}

NWDSCCODE ClientBuffers::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSGetClassItemCount, context))
        return *injected;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    // Items of the previous list that were not read are stepped over.
    for (std::string_view skipped; buffer->itemsLeft > 0; --buffer->itemsLeft) {
        if (!buffer->GetText(skipped))
            return ERR_BUFFER_EMPTY;
    }
    uint32_t items = 0;
    if (buffer->listsLeft == 0 || !buffer->GetU32(items))
        return ERR_BUFFER_EMPTY;
    --buffer->listsLeft;
    buffer->itemsLeft = items;
    *count = items;
    return 0;
}

NWDSCCODE ClientBuffers::NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size)
{
    if (const auto injected = InjectedOn(ClientFunction::NWDSGetClassItem, context))
        return *injected;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view item;
    if (buffer->itemsLeft == 0 || !buffer->GetText(item))
        return ERR_BUFFER_EMPTY;
    --buffer->itemsLeft;
    return CopyOut(item, name, size);
}

NWDSCCODE ClientBuffers::NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                        Attr_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeDefinitions}); result != 0)
        return result;
    std::string_view attribute;
    Attr_Info_T read{};
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(read.attrFlags) ||
        !buffer->GetU32(read.attrSyntaxID) || !buffer->GetU32(read.attrLower) || !buffer->GetU32(read.attrUpper) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    if (const auto injected = Injected(ClientFunction::NWDSGetAttrDef, {buffer->tree, nullptr, -1, attribute}))
        return *injected;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (info) {
        std::memcpy(&read.asn1ID, identifier, sizeof read.asn1ID);
        *info = read;
    }
    return 0;
}
