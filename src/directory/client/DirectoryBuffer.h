#pragma once

// The request and result buffer of the simulated client: a byte buffer of the size
// asked for, with a fill length and a read cursor. Whatever a call puts in it stays
// within that size; a result that does not fit is cut into batches by the caller of
// the put helpers.
//
// Layout: a request holds a name count (u32) and the names (u16 length, bytes). A
// result holds an entry count (u32) and the entries, each led by its own size (u32)
// so that unpacking can step over what a caller did not read. What the entries hold
// (ClientBuffers unpacks them):
// - attributes (NWDSRead): name, syntax id, value count, then each value as its size
//   (u32, NotConverted for a value that has no record) and its carried bytes;
// - listed entries: object (u32, the client's number for it), entry flags,
//   subordinate count, modification time, attribute count, name, base class name;
// - class definitions: name, flags, Asn1_ID_T, then (but for DS_INFO_CLASS_DEFS) the
//   CLASS_ITEM_LISTS lists, each a count and its names;
// - attribute definitions: name, flags, syntax id, lower and upper bounds, Asn1_ID_T.

#include "directory/client/NWClient.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

struct Buf_T {
    enum class Content : uint8_t {
        Empty,
        Request,
        Entries,         // a listing
        AttributeNames,  // NWDSRead, names only
        AttributeValues, // NWDSRead, names and values
        ClassDefinitions,
        AttributeDefinitions,
    };

    // The size a result gives a value that its client could not convert to its record.
    static constexpr uint32_t NotConverted = UINT32_MAX;

    // A buffer of size bytes; throws std::bad_alloc.
    explicit Buf_T(size_t size);
    // A buffer on storage of size bytes that an earlier buffer gave up (TakeStorage).
    Buf_T(size_t size, std::unique_ptr<uint8_t[]> storage);

    // Gives up the storage, for another buffer of the same size; the buffer is then
    // only fit to be deleted.
    std::unique_ptr<uint8_t[]> TakeStorage();

    size_t Size() const { return size_; }
    uint8_t *Bytes() { return data_.get(); }
    size_t Length() const { return length_; }

    // Empties the buffer for new content: a request leads with a name count of 0, a
    // result with an entry count of 0.
    void Start(Content content, uint32_t operation = 0);

    // Writing. Each put writes all or nothing and fails when it would pass the size.
    bool PutU32(uint32_t value) { return PutBytes(&value, sizeof value); }
    bool PutBytes(const void *bytes, size_t size);
    // A u16 length and the bytes.
    bool PutText(std::string_view text);
    // Entries of a result: BeginEntry reserves the entry's size, EndEntry sets it and
    // counts the entry, DropEntry takes back an entry that did not fit.
    bool BeginEntry(size_t &mark);
    void EndEntry(size_t mark);
    void DropEntry(size_t mark) { length_ = mark; }
    // Room for size more bytes at the end, to be written at once; null when they would
    // pass the size.
    uint8_t *Append(size_t size);
    void PatchU32(size_t offset, uint32_t value);
    uint32_t ReadU32At(size_t offset) const;

    // Reading from the cursor; each get fails past the end of the current entry.
    bool GetU32(uint32_t &value);
    bool GetBytes(size_t size, const uint8_t *&bytes);
    bool GetText(std::string_view &text);
    size_t Cursor() const { return cursor_; }
    void SetCursor(size_t cursor) { cursor_ = cursor; }
    // The names of a request, one per call: start with offset 0; false after the last.
    bool NextName(size_t &offset, std::string_view &name) const;
    // Starts unpacking a result: the entry count.
    uint32_t Count();
    // Moves to the next entry; false when every entry was taken.
    bool NextEntry();

    Content content = Content::Empty;
    uint32_t operation = 0;
    // Unpacking state: the values of the current attribute, or the items of the
    // current class list, not yet read; the class lists not yet counted.
    uint32_t itemsLeft = 0;
    uint32_t listsLeft = 0;
    uint32_t itemSyntax = 0;
    std::string_view itemAttribute;
    // What filled the buffer: the tree and the object read or listed (-1: none).
    int32_t tree = -1;
    int64_t object = -1;

private:
    std::unique_ptr<uint8_t[]> data_;
    size_t size_;
    size_t length_ = 0;
    size_t cursor_ = 0;
    size_t entryEnd_ = 0;
    size_t nextEntry_ = 0;
    uint32_t entriesLeft_ = 0;
};
