#pragma once

#include "directory/client/DirectoryBuffer.h"
#include "directory/client/NWClient.h"
#include "directory/client/ValuePacking.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

// Filling result buffers in batches, alike for every client: where a batch starts for
// an iteration handle, how it ends, and the entries of attribute reads, listings and
// schema reads in the layout Buf_T describes.
namespace ClientBatch {

// The position a batch of total items starts at: -1 is the start, anything else must be
// a position no further than the end.
bool StartOf(int32_t handle, size_t total, size_t &position);

// Starts out for a batch of content at the iteration handle's position among total,
// filled for tree and object; ERR_INVALID_HANDLE or ERR_INSUFFICIENT_BUFFER when it
// cannot.
NWDSCCODE Begin(int32_t iterationHandle, size_t total, size_t &position, Buf_T &out, Buf_T::Content content,
                uint32_t operation, int32_t tree, int64_t object = -1);

// Ends a batch that stopped at position: the next handle (-1 after the last item), or
// ERR_INSUFFICIENT_BUFFER when not one entry fitted.
NWDSCCODE End(const Buf_T &out, size_t position, size_t total, int32_t *iterationHandle);

// The items a schema read covers, as ids into selected: every one of total when all,
// else those named in request, by find, in the order named. ERR_BAD_VERB when request
// is not a request of one of the operations; unknown for a name that find does not know
// (a negative id).
template <class FindId>
NWDSCCODE SelectItems(bool all, size_t total, const Buf_T *request, std::initializer_list<uint32_t> operations,
                      FindId find, NWDSCCODE unknown, std::vector<uint32_t> &selected)
{
    if (all) {
        selected.resize(total);
        for (size_t i = 0; i < total; ++i)
            selected[i] = uint32_t(i);
        return 0;
    }
    if (request->content != Buf_T::Content::Request ||
        std::find(operations.begin(), operations.end(), request->operation) == operations.end())
        return ERR_BAD_VERB;
    size_t offset = 0;
    std::string_view name;
    while (request->NextName(offset, name)) {
        const int32_t id = find(name);
        if (id < 0)
            return unknown;
        selected.push_back(uint32_t(id));
    }
    return 0;
}

// The checks of NWDSRead's arguments, alike for every client: an object, a handle, a
// result buffer and (unless all attributes are read) a request of DSV_READ; names or
// values asked for. 0 when they pass.
NWDSCCODE CheckRead(const char *object, uint32_t infoType, bool allAttrs, const Buf_T *attrNames,
                    const int32_t *iterationHandle, const Buf_T *objectInfo);

// A schema read's arguments (NWDSReadClassDef, NWDSReadAttrDef): all items or those
// named, the iteration handle, the result buffer, the kind of information, the tree.
struct SchemaRead {
    bool all = false;
    const Buf_T *names = nullptr;
    int32_t *iterationHandle = nullptr;
    Buf_T *out = nullptr;
    uint32_t infoType = 0;
    int32_t tree = -1;
};

// One batch of a schema read: the items of total that it selects (SelectItems, by find,
// in a request of one of the operations), from the iteration handle's position, each put
// by put(id) until one does not fit; the handle as End gives it.
template <class FindId, class Put>
NWDSCCODE ReadDefinitions(const SchemaRead &read, size_t total, std::initializer_list<uint32_t> operations, FindId find,
                          NWDSCCODE unknown, Buf_T::Content content, Put put)
{
    std::vector<uint32_t> selected;
    if (const NWDSCCODE result = SelectItems(read.all, total, read.names, operations, find, unknown, selected);
        result != 0)
        return result;
    size_t position = 0;
    if (const NWDSCCODE result =
            Begin(*read.iterationHandle, selected.size(), position, *read.out, content, read.infoType, read.tree);
        result != 0)
        return result;
    while (position < selected.size() && put(selected[position]))
        ++position;
    return End(*read.out, position, selected.size(), read.iterationHandle);
}

// One entry of a listing, as NWDSGetObjectName hands it out.
struct ListedEntry {
    uint32_t object = 0; // the client's number for it
    uint32_t flags = 0;  // DS_CONTAINER_ENTRY for a container
    uint32_t subordinates = 0;
    uint32_t attributes = 0;
    std::string_view name;
    std::string_view baseClass;
};
// Appends one listed entry, which the caller counts (the listing's count is patched at
// its end); false when it does not fit (out is then as it was).
bool PutListedEntry(Buf_T &out, const ListedEntry &entry);

// One class definition, with its item lists when withItems: listSize(list) items in
// each of the CLASS_ITEM_LISTS lists, named itemName(list, i). False when it does not
// fit (out is then as it was).
template <class ListSize, class ItemName>
bool PutClassDefinition(Buf_T &out, std::string_view name, uint32_t flags, bool withItems, ListSize listSize,
                        ItemName itemName)
{
    const Asn1_ID_T noIdentifier{};
    size_t mark = 0;
    bool fits = out.BeginEntry(mark) && out.PutText(name) && out.PutU32(flags) &&
                out.PutBytes(&noIdentifier, sizeof noIdentifier);
    for (uint32_t list = 0; fits && withItems && list < CLASS_ITEM_LISTS; ++list) {
        const size_t size = listSize(list);
        fits = out.PutU32(uint32_t(size));
        for (size_t i = 0; fits && i < size; ++i)
            fits = out.PutText(itemName(list, i));
    }
    if (!fits) {
        out.DropEntry(mark);
        return false;
    }
    out.EndEntry(mark);
    return true;
}

// One attribute definition; false when it does not fit (out is then as it was).
bool PutAttributeDefinition(Buf_T &out, std::string_view name, uint32_t flags, uint32_t syntax);

// One batch of an object's attributes into out (NWDSRead), from the iteration handle's
// position among the items (an attribute each for names only, a value each with values).
// Attributes is what the client read of the object:
//   size_t Count() const;                      the attributes, in the order handed out
//   std::string_view Name(size_t a) const;     an attribute's name and syntax id
//   uint32_t Syntax(size_t a) const;
//   uint32_t ValueCount(size_t a) const;
//   void Seek(size_t a, size_t value);         the value Next gives first
//   bool Next(uint32_t syntax, std::string_view &value);
//                                              the next value's packed bytes, false
//                                              when it cannot be converted
template <class Attributes>
NWDSCCODE PackAttributes(Attributes &attributes, bool withValues, int32_t *iterationHandle, Buf_T &out, int32_t tree,
                         int64_t object)
{
    const auto items = [&](size_t a) -> size_t { return withValues ? attributes.ValueCount(a) : 1; };
    size_t total = 0;
    for (size_t a = 0; a < attributes.Count(); ++a)
        total += items(a);
    size_t position = 0;
    if (const NWDSCCODE result =
            Begin(*iterationHandle, total, position, out,
                  withValues ? Buf_T::Content::AttributeValues : Buf_T::Content::AttributeNames, 0, tree, object);
        result != 0)
        return result;
    // The attribute and the value the batch starts with.
    size_t first = 0;
    size_t skip = position;
    while (first < attributes.Count() && skip >= items(first)) {
        skip -= items(first);
        ++first;
    }
    for (size_t a = first; a < attributes.Count(); ++a, skip = 0) {
        const uint32_t syntax = attributes.Syntax(a);
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(attributes.Name(a)) || !out.PutU32(syntax) || !out.PutU32(0)) {
            out.DropEntry(mark);
            break;
        }
        if (!withValues) {
            out.EndEntry(mark);
            ++position;
            continue;
        }
        const size_t countAt = out.Length() - sizeof(uint32_t);
        const uint32_t count = attributes.ValueCount(a);
        attributes.Seek(a, skip);
        uint32_t written = 0;
        for (size_t v = skip; v < count; ++v) {
            std::string_view value;
            const bool converted = attributes.Next(syntax, value);
            const size_t carried = converted ? ValuePacking::CarriedSize(syntax, value.size()) : 0;
            uint8_t *at = out.Append(sizeof(uint32_t) + carried);
            if (!at)
                break;
            const uint32_t size = converted ? uint32_t(carried) : Buf_T::NotConverted;
            std::memcpy(at, &size, sizeof size);
            if (carried > 0)
                std::memcpy(at + sizeof size, value.data(), carried);
            ++written;
        }
        if (written == 0) {
            out.DropEntry(mark);
            break;
        }
        out.PatchU32(countAt, written);
        out.EndEntry(mark);
        position += written;
        if (skip + written < count)
            break;
    }
    return End(out, position, total, iterationHandle);
}

} // namespace ClientBatch
