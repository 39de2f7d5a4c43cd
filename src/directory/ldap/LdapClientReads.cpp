#include "directory/ldap/LdapClient.h"

#include "directory/client/ClientBatch.h"
#include "directory/client/StreamFile.h"
#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapResult.h"
#include "directory/ldap/LdapValue.h"

#include <ldap.h>

#include <strings.h>

#include <charconv>

#include <cstring>

namespace {

// Objects kept as read: a reader reads one object's attributes one after the other.
constexpr size_t KeptObjects = 8;
// Attribute names asked for that are kept with their schema indexes: a run asks for the
// same few names for every object.
constexpr size_t AskedNames = 16;
// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

// Whether type is name in any letter case.
bool Named(std::string_view type, const char *name)
{
    return type.size() == std::strlen(name) && strncasecmp(type.data(), name, type.size()) == 0;
}

} // namespace

struct LdapClient::EntryAttributes {
    const LdapSchema &schema;
    const LdapEntryView &entry;
    const std::vector<const LdapEntryView::Attribute *> &chosen;
    bool typeless;
    std::string &packed; // the value packed last
    std::span<const std::string_view> values{};
    size_t next = 0;
    LdapValue::Encoding encoding = LdapValue::Encoding::Plain;

    size_t Count() const { return chosen.size(); }
    const LdapSchema::Attribute &Definition(size_t a) const { return schema.Attributes()[chosen[a]->attribute]; }
    std::string_view Name(size_t a) const { return Definition(a).name; }
    uint32_t Syntax(size_t a) const { return Definition(a).syntax; }
    uint32_t ValueCount(size_t a) const { return chosen[a]->count; }
    void Seek(size_t a, size_t skip)
    {
        values = entry.ValuesOf(*chosen[a]);
        next = skip;
        encoding = Definition(a).encoding;
    }
    bool Next(uint32_t syntax, std::string_view &value)
    {
        value = values[next++];
        // Class names are handed out as the schema names them.
        if (syntax == SYN_CLASS_NAME) {
            const int32_t index = schema.FindClass(value);
            if (index >= 0)
                value = schema.Classes()[size_t(index)].name;
        }
        if (!LdapValue::Pack(syntax, value, typeless, packed, encoding))
            return false;
        value = packed;
        return true;
    }
};

std::string_view LdapClient::ReadKey(uint32_t tree, std::string_view dn)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, tree).ptr;
    readKey_.assign(digits, end).append(1, '\n').append(dn);
    return readKey_;
}

bool LdapClient::ScanEntry(const LdapSchema *schema, LDAP *ld, LDAPMessage *found, std::string &dn,
                           EntryClasses &classes, LdapEntryBlock *block, const std::vector<bool> *kept)
{
    BerElement *position = nullptr;
    berval name{};
    if (ldap_get_dn_ber(ld, found, &position, &name) != LDAP_SUCCESS || !name.bv_val) {
        ber_free(position, 0);
        dn.clear();
        return false;
    }
    dn.assign(name.bv_val, name.bv_len);
    classes.structural = {};
    classes.classes.clear();
    classes.subordinates = false;
    ranged_.clear();
    if (typesOf_ != schema) {
        typesOf_ = schema;
        types_.clear();
    }
    // The attributes, each a sequence of its type and the set of its values, up to the
    // end of the entry or to what does not read as one.
    size_t at = 0;
    std::string_view description;
    std::string_view values;
    bool unreadable = false;
    while (LdapBerReader::NextAttribute(position, description, values, &unreadable)) {
        if (!LdapBerReader::AllOf(values, LdapBerReader::OctetString)) {
            unreadable = true;
            break;
        }
        uint8_t tag = 0;
        // Options (";binary", ";lang-fr") name the same attribute.
        const std::string_view type = description.substr(0, description.find(';'));
        LdapBerReader valueReader(values);
        std::string_view first;
        const bool any = valueReader.Next(tag, first) && tag == LdapBerReader::OctetString;
        // What a listing asks for besides the user attributes is not the object's.
        if (Named(type, "structuralObjectClass")) {
            // Active Directory names the whole chain, top first: then the most specific
            // of them is chosen as among the entry's classes.
            LdapBerReader rest(values);
            std::string_view value;
            size_t count = 0;
            while (any && rest.Next(tag, value) && tag == LdapBerReader::OctetString) {
                classes.classes.push_back(value);
                ++count;
            }
            if (count == 1)
                classes.structural = first;
        } else if (Named(type, "hasSubordinates")) {
            classes.subordinates = any && first == "TRUE";
        } else {
            // Entries listed together come with their attributes in the same order.
            if (at == types_.size())
                types_.push_back({std::string(type), schema ? schema->FindAttribute(type) : -1});
            else if (types_[at].first != type)
                types_[at] = {std::string(type), schema ? schema->FindAttribute(type) : -1};
            const int32_t index = block ? types_[at].second : -1;
            ++at;
            const bool objectClass = Named(type, "objectClass");
            const bool keep = index >= 0 && (!kept || (size_t(index) < kept->size() && (*kept)[size_t(index)]));
            if (keep)
                block->StartAttribute(uint32_t(index));
            LdapBerReader rest(values);
            std::string_view value;
            while (any && rest.Next(tag, value) && tag == LdapBerReader::OctetString) {
                if (objectClass)
                    classes.classes.push_back(value);
                if (keep)
                    block->AddValue(value);
            }
            if (keep) {
                block->EndAttribute();
                // A large attribute's first part (member;range=0-1499): the rest follows.
                const LdapRange range = description.size() == type.size() ? LdapRange{} : LdapRange::Of(description);
                if (range.kind == LdapRange::Kind::Part || range.kind == LdapRange::Kind::Unreadable)
                    ranged_.push_back({std::string(description), uint32_t(index), range});
            }
        }
    }
    ber_free(position, 0);
    return !unreadable;
}

NWDSCCODE LdapClient::Fetch(uint32_t tree, const std::string &dn, std::string_view &block)
{
    for (const ReadEntry &kept : reads_) {
        if (kept.tree == tree && kept.dn == dn) {
            block = kept.block;
            return 0;
        }
    }
    if (const auto listed = prefetched_.Find(ReadKey(tree, dn))) {
        block = *listed;
        return 0;
    }
    NWDSCCODE code = 0;
    const LdapSchema *schema = SchemaOf(tree, &code);
    if (!schema)
        return code;
    LdapConnection &connection = ConnectionOf(tree);
    const char *attributes[] = {LDAP_ALL_USER_ATTRIBUTES, nullptr};
    LDAPMessage *result = nullptr;
    const int status = connection.Search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, false, nullptr, &result);
    if (status != LDAP_SUCCESS) {
        ldap_msgfree(result);
        return Failed(tree, status);
    }
    LDAPMessage *found = connection.FirstEntry(result);
    if (!found) {
        ldap_msgfree(result);
        return ERR_NO_SUCH_ENTRY;
    }
    std::string named;
    scanned_.Clear();
    const bool whole = ScanEntry(schema, connection.Handle(), found, named, scannedClasses_, &scanned_);
    ldap_msgfree(result);
    if (!whole)
        return Unreadable(named.empty() ? dn : named);
    if (const NWDSCCODE ranges = ranged_.empty() ? 0 : FollowRanges(tree, dn, scanned_); ranges != 0)
        return ranges;
    if (reads_.size() >= KeptObjects) {
        reads_.pop_front();
        lastRead_.valid = false;
    }
    reads_.push_back({tree, dn, std::string(scanned_.Bytes())});
    block = reads_.back().block;
    return 0;
}

NWDSCCODE LdapClient::FetchNamed(uint32_t tree, const char *object, const LdapEntryView *&entry)
{
    if (lastRead_.valid && lastRead_.tree == tree && lastRead_.name == object) {
        entry = &lastRead_.entry;
        return 0;
    }
    lastRead_.valid = false;
    std::string_view block;
    if (const NWDSCCODE result = Resolve(tree, object, fetchedDn_, &block); result != 0)
        return result;
    if (!block.data()) {
        if (const NWDSCCODE result = Fetch(tree, fetchedDn_, block); result != 0)
            return result;
    }
    lastRead_.entry.Decode(block);
    lastRead_.tree = tree;
    lastRead_.name = object;
    lastRead_.valid = true;
    entry = &lastRead_.entry;
    return 0;
}

int32_t LdapClient::AskedIndex(const LdapSchema &schema, std::string_view name)
{
    for (const AskedName &asked : asked_) {
        if (asked.schema == &schema && asked.name == name)
            return asked.index;
    }
    const int32_t index = schema.FindAttribute(name);
    if (asked_.size() >= AskedNames)
        asked_.erase(asked_.begin());
    asked_.push_back({&schema, std::string(name), index});
    return index;
}

NWDSCCODE LdapClient::NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                               Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !objectInfo || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    if (!allAttrs && (attrNames->content != Buf_T::Content::Request || attrNames->operation != DSV_READ))
        return ERR_BAD_VERB;
    const LdapEntryView *entry = nullptr;
    if (const NWDSCCODE result = FetchNamed(found->tree, object, entry); result != 0)
        return result;
    NWDSCCODE code = 0;
    const LdapSchema &schema = *SchemaOf(found->tree, &code);

    // The storage of the attributes chosen and of a value packed is kept from read to read.
    std::vector<const LdapEntryView::Attribute *> &chosen = chosen_;
    chosen.clear();
    if (allAttrs) {
        for (const LdapEntryView::Attribute &attribute : entry->Attributes())
            chosen.push_back(&attribute);
    } else {
        size_t offset = 0;
        std::string_view name;
        bool asked = false;
        while (attrNames->NextName(offset, name)) {
            asked = true;
            const int32_t index = AskedIndex(schema, name);
            if (const LdapEntryView::Attribute *attribute = index >= 0 ? entry->Find(uint32_t(index)) : nullptr)
                chosen.push_back(attribute);
        }
        if (asked && chosen.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
    }

    EntryAttributes attributes{schema, *entry, chosen, Typeless(*found), packed_};
    return ClientBatch::PackAttributes(attributes, infoType == DS_ATTRIBUTE_VALUES, iterationHandle, *objectInfo,
                                       int32_t(found->tree), -1);
}

NWDSCCODE LdapClient::NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute,
                                     uint32_t flags, int *fileHandle)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !attribute || !fileHandle || (flags & DS_WRITE_STREAM))
        return ERR_INVALID_REQUEST;
    const LdapEntryView *entry = nullptr;
    if (const NWDSCCODE result = FetchNamed(found->tree, object, entry); result != 0)
        return result;
    NWDSCCODE code = 0;
    const int32_t index = SchemaOf(found->tree, &code)->FindAttribute(attribute);
    const LdapEntryView::Attribute *stored = index >= 0 ? entry->Find(uint32_t(index)) : nullptr;
    if (!stored || stored->count == 0)
        return ERR_NO_SUCH_ATTRIBUTE;
    const std::string_view content = entry->ValuesOf(*stored).front();
    const int fd = OpenStreamFile(content);
    if (fd < 0)
        return ERR_NOT_ENOUGH_MEMORY;
    *fileHandle = fd;
    return 0;
}
