#include "directory/ldap/LdapReadAttributes.h"

namespace {

// Attribute names asked for that are kept with their schema indexes.
constexpr size_t AskedNames = 16;

} // namespace

NWDSCCODE LdapReadAttributes::Choose(const LdapSchema &schema, const LdapEntryView &entry, bool typeless,
                                     const Buf_T *request)
{
    schema_ = &schema;
    entry_ = &entry;
    typeless_ = typeless;
    chosen_.clear();
    if (!request) {
        for (const LdapEntryView::Attribute &attribute : entry.Attributes())
            chosen_.push_back(&attribute);
        return 0;
    }
    size_t offset = 0;
    std::string_view name;
    bool asked = false;
    while (request->NextName(offset, name)) {
        asked = true;
        const int32_t index = AskedIndex(name);
        if (const LdapEntryView::Attribute *attribute = index >= 0 ? entry.Find(uint32_t(index)) : nullptr)
            chosen_.push_back(attribute);
    }
    return asked && chosen_.empty() ? ERR_NO_SUCH_ATTRIBUTE : 0;
}

int32_t LdapReadAttributes::AskedIndex(std::string_view name)
{
    for (const AskedName &asked : asked_) {
        if (asked.schema == schema_ && asked.name == name)
            return asked.index;
    }
    const int32_t index = schema_->FindAttribute(name);
    if (asked_.size() >= AskedNames)
        asked_.erase(asked_.begin());
    asked_.push_back({schema_, std::string(name), index});
    return index;
}

void LdapReadAttributes::Seek(size_t a, size_t skip)
{
    values_ = entry_->ValuesOf(*chosen_[a]);
    next_ = skip;
    encoding_ = Definition(a).encoding;
}

bool LdapReadAttributes::Next(uint32_t syntax, std::string_view &value)
{
    value = values_[next_++];
    if (syntax == SYN_CLASS_NAME) {
        const int32_t index = schema_->FindClass(value);
        if (index >= 0)
            value = schema_->Classes()[size_t(index)].name;
    }
    if (!LdapValue::Pack(syntax, value, typeless_, packed_, encoding_))
        return false;
    value = packed_;
    return true;
}
