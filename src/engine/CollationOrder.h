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
