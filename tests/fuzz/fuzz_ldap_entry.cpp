// Entries as a server sends them: the bytes of LDAP messages read by libldap from a
// socket pair as the client reads a listing (LdapSocketReply), then taken apart by the
// client's readers as a listing does: each entry's name handed out both ways and read
// back, its attributes read from the BER into a block, kept, found again and decoded, and
// every value packed and made a value record, in a syntax chosen by its type (every
// syntax id, those past the last one known included). The result's paged-results
// control is read as the listing reads it.

#include "../LdapNameReadBack.h"
#include "../LdapSocketReply.h"
#include "directory/client/ValuePacking.h"
#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapPageControl.h"
#include "directory/ldap/LdapValue.h"

#include <ldap.h>

#include <sanitizer/lsan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t Syntaxes = 40;

// A syntax for an attribute type, the same for every spelling of it.
uint32_t SyntaxOf(std::string_view type)
{
    uint32_t hash = 2166136261u;
    for (const char c : type)
        hash = (hash ^ uint8_t(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c)) * 16777619u;
    return hash % Syntaxes;
}

// A value as a read hands it out: packed, then made the record of its syntax.
void ReadValue(uint32_t syntax, std::string_view value)
{
    std::string packed;
    for (const bool typeless : {false, true}) {
        if (!LdapValue::Pack(syntax, value, typeless, packed))
            continue;
        const size_t carried = ValuePacking::CarriedSize(syntax, packed.size());
        if (carried > packed.size())
            std::abort();
        const auto *bytes = reinterpret_cast<const uint8_t *>(packed.data());
        const int64_t size = ValuePacking::RecordSize(syntax, bytes, carried);
        if (size < 0)
            continue;
        // malloc aligns for any record.
        const std::unique_ptr<void, decltype(&std::free)> area(std::malloc(size_t(size) + 1), &std::free);
        if (!area || !ValuePacking::WriteRecord(syntax, bytes, carried, area.get()))
            std::abort();
    }
}

// One entry: its name and its attributes, as the client's listing reads them.
void ReadEntry(LDAP *ld, LDAPMessage *entry, LdapEntryStore &store)
{
    BerElement *position = nullptr;
    berval name{};
    if (ldap_get_dn_ber(ld, entry, &position, &name) != LDAP_SUCCESS || !name.bv_val) {
        ber_free(position, 0);
        return;
    }
    const std::string dn(name.bv_val, name.bv_len);
    if (const std::string fault = NameReadBackFault(dn); !fault.empty()) {
        std::fprintf(stderr, "the name of %s does not read back: %s\n", LdapName::Shown(dn).c_str(), fault.c_str());
        std::abort();
    }
    LdapEntryBlock block;
    std::string_view description;
    std::string_view values;
    while (LdapBerReader::NextAttribute(position, description, values)) {
        block.StartAttribute(SyntaxOf(description.substr(0, description.find(';'))));
        LdapBerReader reader(values);
        uint8_t tag = 0;
        std::string_view value;
        while (reader.Next(tag, value) && tag == LdapBerReader::OctetString)
            block.AddValue(value);
        block.EndAttribute();
    }
    ber_free(position, 0);
    if (!store.Keep(dn, block.Bytes()))
        return;
    const auto kept = store.Find(dn);
    LdapEntryView view;
    if (!kept || !view.Decode(*kept))
        std::abort(); // a block the client wrote itself
    for (const LdapEntryView::Attribute &read : view.Attributes()) {
        if (view.Find(read.attribute) != &read)
            std::abort();
        for (const std::string_view value : view.ValuesOf(read))
            ReadValue(read.attribute, value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::optional<LdapSocketReply> reply;
    {
        // libldap 2.5 keeps the request for good when a reply's message type does not
        // read (try_read1msg returns without releasing the request it looked up): a leak
        // of the request's few kilobytes per such reply, which only libldap can mend.
        // What the connection and the request allocate is left out of the leak check;
        // what replies allocate is not.
        const __lsan::ScopedDisabler request;
        reply.emplace(std::string_view(reinterpret_cast<const char *>(data), size));
    }
    LdapEntryStore store(size_t(1) << 20);
    std::string cookie;
    while (LDAPMessage *result = reply->Next()) {
        for (LDAPMessage *at = ldap_first_entry(reply->Handle(), result); at; at = ldap_next_entry(reply->Handle(), at))
            ReadEntry(reply->Handle(), at, store);
        LdapPageControl::Next(reply->Handle(), result, cookie);
    }
    return 0;
}
