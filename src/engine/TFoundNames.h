#pragma once

#include "directory/client/ByteArena.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The full names an export run found, in one arena as UTF-8: a run may find a million
// names, and a QString each would take more than twice the memory.
class TFoundNames
{
public:
    void Append(const QString &name);
    qsizetype Size() const { return qsizetype(names_.size()); }
    bool IsEmpty() const { return names_.empty(); }
    // The name at a position, 0 to Size() - 1.
    QString At(qsizetype position) const;
    // Keeps the names at the positions order gives, in that order.
    void Reorder(const std::vector<uint32_t> &order);
    // Forgets every name and frees the memory they took.
    void Clear();

private:
    ByteArena arena_;
    std::vector<const uint8_t *> names_; // each: byte count (u32), then the bytes
    std::string scratch_;
};
