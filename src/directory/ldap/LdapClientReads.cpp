#include "directory/ldap/LdapClient.h"

#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapResult.h"
#include "directory/ldap/LdapValue.h"
#include "directory/simulated/StreamFile.h"
#include "directory/simulated/ValuePacking.h"

#include <ldap.h>

#include <strings.h>

#include <charconv>

#include <cstring>

namespace {

// Objects kept as read: a reader reads one object's attributes one after the other.
constexpr size_t KeptObjects = 8;
// What a result buffer carries for a value that cannot be converted.
constexpr uint32_t NotConverted = UINT32_MAX;
// Attribute names asked for that are kept with their schema indexes: a run asks for the
// same few names for every object.
constexpr size_t AskedNames = 16;
// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

void WriteU32(uint8_t *&at, uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

// Whether type is name in any letter case.
bool Named(std::string_view type, const char *name)
{
    return type.size() == std::strlen(name) && strncasecmp(type.data(), name, type.size()) == 0;
}

} // namespace

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
        return false;
    }
    dn.assign(name.bv_val, name.bv_len);
    classes.structural = {};
    classes.classes.clear();
    classes.subordinates = false;
    if (typesOf_ != schema) {
        typesOf_ = schema;
        types_.clear();
    }
    // The attributes, each a sequence of its type and the set of its values, up to the
    // end of the entry or to what does not read as one.
    size_t at = 0;
    std::string_view description;
    std::string_view values;
    while (LdapBerReader::NextAttribute(position, description, values)) {
        uint8_t tag = 0;
        // Options (";binary", ";lang-fr") name the same attribute.
        const std::string_view type = description.substr(0, description.find(';'));
        LdapBerReader valueReader(values);
        std::string_view first;
        const bool any = valueReader.Next(tag, first) && tag == LdapBerReader::OctetString;
        // What a listing asks for besides the user attributes is not the object's.
        if (Named(type, "structuralObjectClass")) {
            if (any)
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
            if (keep)
                block->EndAttribute();
        }
    }
    ber_free(position, 0);
    return true;
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
    ScanEntry(schema, connection.Handle(), found, named, scannedClasses_, &scanned_);
    ldap_msgfree(result);
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

    const bool withValues = infoType == DS_ATTRIBUTE_VALUES;
    size_t total = 0;
    for (const LdapEntryView::Attribute *attribute : chosen)
        total += withValues ? attribute->count : 1;
    size_t position = 0;
    if (*iterationHandle == -1)
        position = 0;
    else if (*iterationHandle >= 0 && size_t(*iterationHandle) <= total)
        position = size_t(*iterationHandle);
    else
        return ERR_INVALID_HANDLE;
    Buf_T &out = *objectInfo;
    out.Start(withValues ? Buf_T::Content::AttributeValues : Buf_T::Content::AttributeNames);
    out.tree = int32_t(found->tree);
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    // The attribute and the value the batch starts with.
    size_t first = 0;
    size_t skip = position;
    while (first < chosen.size() && skip >= (withValues ? chosen[first]->count : 1)) {
        skip -= withValues ? chosen[first]->count : 1;
        ++first;
    }
    std::string &packed = packed_;
    for (size_t a = first; a < chosen.size(); ++a, skip = 0) {
        const LdapEntryView::Attribute &attribute = *chosen[a];
        const std::span<const std::string_view> values = entry->ValuesOf(attribute);
        const LdapSchema::Attribute &definition = schema.Attributes()[attribute.attribute];
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(definition.name) || !out.PutU32(definition.syntax) ||
            !out.PutU32(0)) {
            out.DropEntry(mark);
            break;
        }
        if (!withValues) {
            out.EndEntry(mark);
            ++position;
            continue;
        }
        const size_t countAt = out.Length() - sizeof(uint32_t);
        uint32_t written = 0;
        for (size_t v = skip; v < values.size(); ++v) {
            std::string_view value = values[v];
            if (definition.syntax == SYN_CLASS_NAME) {
                const int32_t index = schema.FindClass(value);
                if (index >= 0)
                    value = schema.Classes()[size_t(index)].name;
            }
            const bool converted = LdapValue::Pack(definition.syntax, value, Typeless(*found), packed);
            const size_t carried = converted ? ValuePacking::CarriedSize(definition.syntax, packed.size()) : 0;
            uint8_t *at = out.Append(sizeof(uint32_t) + carried);
            if (!at)
                break;
            WriteU32(at, converted ? uint32_t(carried) : NotConverted);
            if (carried > 0)
                std::memcpy(at, packed.data(), carried);
            ++written;
        }
        if (written == 0) {
            out.DropEntry(mark);
            break;
        }
        out.PatchU32(countAt, written);
        out.EndEntry(mark);
        position += written;
        if (skip + written < values.size())
            break;
    }
    if (position < total && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < total ? int32_t(position) : -1;
    return 0;
}

NWDSCCODE LdapClient::NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (!buffer || !count)
        return ERR_INVALID_REQUEST;
    if (buffer->content != Buf_T::Content::AttributeNames && buffer->content != Buf_T::Content::AttributeValues &&
        buffer->content != Buf_T::Content::AttributeDefinitions)
        return ERR_BAD_VERB;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE LdapClient::NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                      uint32_t *valueCount, uint32_t *syntaxID)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    if (buffer->content != Buf_T::Content::AttributeNames && buffer->content != Buf_T::Content::AttributeValues)
        return ERR_BAD_VERB;
    std::string_view attribute;
    uint32_t syntax = 0;
    uint32_t count = 0;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(syntax) || !buffer->GetU32(count))
        return ERR_BUFFER_EMPTY;
    buffer->itemAttribute = attribute;
    buffer->itemSyntax = syntax;
    buffer->itemsLeft = count;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (valueCount)
        *valueCount = count;
    if (syntaxID)
        *syntaxID = syntax;
    return 0;
}

NWDSCCODE LdapClient::CarriedValue(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, const void *area,
                                   bool peek, std::span<const uint8_t> &carried)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::AttributeValues); result != 0)
        return result;
    if (!area)
        return ERR_INVALID_REQUEST;
    if (buffer->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != buffer->itemSyntax)
        return ERR_BAD_SYNTAX;
    const size_t cursor = buffer->Cursor();
    uint32_t size = 0;
    const uint8_t *bytes = nullptr;
    bool read = buffer->GetU32(size);
    const bool converted = size != NotConverted;
    read = read && (!converted || buffer->GetBytes(size, bytes));
    if (peek)
        buffer->SetCursor(cursor);
    if (!read)
        return ERR_BUFFER_EMPTY;
    if (!peek)
        --buffer->itemsLeft;
    if (!converted)
        return ERR_SYNTAX_VIOLATION;
    carried = {bytes, size};
    return 0;
}

NWDSCCODE LdapClient::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, size_t *size)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result = CarriedValue(context, buffer, syntaxID, size, true, carried))
        return result;
    const int64_t recordSize = ValuePacking::RecordSize(syntaxID, carried.data(), carried.size());
    if (recordSize < 0)
        return ERR_SYNTAX_VIOLATION;
    *size = size_t(recordSize);
    return 0;
}

NWDSCCODE LdapClient::NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result = CarriedValue(context, buffer, syntaxID, value, false, carried))
        return result;
    return ValuePacking::WriteRecord(syntaxID, carried.data(), carried.size(), value) ? 0 : ERR_SYNTAX_VIOLATION;
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
