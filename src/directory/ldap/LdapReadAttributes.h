#pragma once

#include "directory/client/DirectoryBuffer.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapSchema.h"
#include "directory/ldap/LdapValue.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The attributes of an entry that a read hands out, as ClientBatch::PackAttributes takes
// them: all of the entry's, or those a request names (in the request's order, each name
// as the schema knows it), with their values in the records of their syntax and class
// names as the schema names them. What it chose stays valid until the next Choose, and
// the storage is kept from read to read.
class LdapReadAttributes
{
public:
    // Chooses what to hand out of entry; ERR_NO_SUCH_ATTRIBUTE when request names
    // attributes and the entry has none of them.
    NWDSCCODE Choose(const LdapSchema &schema, const LdapEntryView &entry, bool typeless, const Buf_T *request);

    size_t Count() const { return chosen_.size(); }
    std::string_view Name(size_t a) const { return Definition(a).name; }
    uint32_t Syntax(size_t a) const { return Definition(a).syntax; }
    uint32_t ValueCount(size_t a) const { return chosen_[a]->count; }
    void Seek(size_t a, size_t skip);
    // The next value packed; false when it does not convert.
    bool Next(uint32_t syntax, std::string_view &value);

private:
    const LdapSchema::Attribute &Definition(size_t a) const { return schema_->Attributes()[chosen_[a]->attribute]; }
    // The schema index of a name asked for: a run asks for the same few names of every
    // object, and the last sixteen are kept.
    int32_t AskedIndex(std::string_view name);

    struct AskedName {
        const LdapSchema *schema = nullptr;
        std::string name;
        int32_t index = -1;
    };

    const LdapSchema *schema_ = nullptr;
    const LdapEntryView *entry_ = nullptr;
    bool typeless_ = false;
    std::vector<const LdapEntryView::Attribute *> chosen_;
    std::vector<AskedName> asked_;
    std::span<const std::string_view> values_;
    size_t next_ = 0;
    LdapValue::Encoding encoding_ = LdapValue::Encoding::Plain;
    std::string packed_; // the value packed last
};
