#include "engine/TFoundNames.h"

#include <QByteArray>

#include <cstring>

void TFoundNames::Append(const QString &name)
{
    const QByteArray bytes = name.toUtf8();
    const uint32_t size = uint32_t(bytes.size());
    scratch_.assign(reinterpret_cast<const char *>(&size), sizeof size);
    scratch_.append(bytes.constData(), size_t(bytes.size()));
    names_.push_back(arena_.Store(scratch_.data(), scratch_.size()));
}

QString TFoundNames::At(qsizetype position) const
{
    const uint8_t *name = names_[size_t(position)];
    uint32_t size = 0;
    std::memcpy(&size, name, sizeof size);
    return QString::fromUtf8(reinterpret_cast<const char *>(name + sizeof size), qsizetype(size));
}

void TFoundNames::Reorder(const std::vector<uint32_t> &order)
{
    std::vector<const uint8_t *> names;
    names.reserve(order.size());
    for (const uint32_t position : order)
        names.push_back(names_[position]);
    names_ = std::move(names);
}

void TFoundNames::Clear()
{
    names_ = {};
    arena_ = ByteArena();
    scratch_ = {};
}
