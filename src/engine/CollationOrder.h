#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QCollator;

// The positions 0 to count - 1 of names in the collator's order, a name that compares
// equal to an earlier one being left out; name(i) gives the i-th name. Equal names keep
// the first position, so the order is that of a stable sort.
std::vector<uint32_t> CollationOrder(const QCollator &collator, qsizetype count,
                                     const std::function<QString(qsizetype)> &name);

// The names whose collation keys lie in memory at one time, at most: about 100 bytes each.
inline constexpr qsizetype CollationChunk = qsizetype(1) << 17;

// The same order, made with the collation keys of at most chunk (1 or more) names in
// memory at one time: chunks are sorted one after the other, then merged.
std::vector<uint32_t> CollationOrder(const QCollator &collator, qsizetype count,
                                     const std::function<QString(qsizetype)> &name, qsizetype chunk);
