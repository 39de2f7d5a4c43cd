#pragma once

// The packed form of one attribute value, as the simulated directory keeps it and
// passes it through result buffers, and the value records built from it.
//
// Packed forms by syntax (u32/i32 in host order, unaligned; "rest" is every byte to
// the end of the value):
// - 1-5, 10, 20 (texts), 9 (octet string), 0 and 30-37 (unknown): the bytes
// - 6 (case-ignore list), 13 (octet list): count u32, then per item length u32, bytes
// - 7: one byte; 8, 22, 24, 27: i32; 28, 29: i64
// - 11: number length u32, number, parameter bit count u32, parameter bytes (rest)
// - 12: type u32, address (rest); 14: type u32, address (rest)
// - 15: name space u32, volume length u32, volume, path (rest)
// - 16: type i32, number i32, count u32, server (rest)
// - 17: privileges u32, protected length u32, protected name, subject (rest)
// - 18: six times length u32, line
// - 19: seconds u32, event u32
// - 21: content length u32, content; a result buffer carries the length only
// - 23: remote id u32, name (rest); 25: level u32, interval u32, name (rest);
//   26: amount u32, name (rest)

#include "directory/client/NWValues.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ValuePacking {

inline void AppendU32(std::string &out, uint32_t value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

inline void AppendI64(std::string &out, int64_t value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

// Appends length u32 and the bytes.
inline void AppendCounted(std::string &out, std::string_view bytes)
{
    AppendU32(out, uint32_t(bytes.size()));
    out.append(bytes);
}

// The number of bytes a result buffer carries for a packed value (streams carry their
// length only).
size_t CarriedSize(uint32_t syntax, size_t packedSize);

// The size of the value record of a carried value, or -1 when the bytes are not a
// value of that syntax.
int64_t RecordSize(uint32_t syntax, const uint8_t *value, size_t size);

// Writes the value record into area, which holds RecordSize bytes and is aligned for
// any record: the record first, the texts and bytes it points to after it. False when
// the bytes are not a value of that syntax.
bool WriteRecord(uint32_t syntax, const uint8_t *value, size_t size, void *area);

// The content of a packed stream value.
std::string_view StreamContent(const uint8_t *value, size_t size);

} // namespace ValuePacking
