// Entries as a server sends them: the bytes of LDAP messages written into one end of a
// socket pair, read by libldap from the other as the client reads a listing (a search
// outstanding, replies read ahead in blocks), then taken apart by the client's readers
// as a listing does: each entry's name handed out both ways and read back, its
// attributes read from the BER into a block, kept, found again and decoded, and every
// value packed and made a value record, in a syntax chosen by its type (every syntax
// id, those past the last one known included). The result's paged-results cookie is
// read too.

#include "../LdapNameReadBack.h"
#include "directory/ldap/LdapBerReader.h"
#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapValue.h"
#include "directory/simulated/ValuePacking.h"

#include <ldap.h>
#include <openldap.h>

#include <sanitizer/lsan_interface.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// The result: its code, and the cookie of the next page.
void ReadResult(LDAP *ld, LDAPMessage *result)
{
    int code = 0;
    LDAPControl **controls = nullptr;
    if (ldap_parse_result(ld, result, &code, nullptr, nullptr, nullptr, &controls, 0) != LDAP_SUCCESS || !controls)
        return;
    // As the listing does: libldap asserts on a page control without a value.
    if (LDAPControl *page = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr);
        page && page->ldctl_value.bv_val) {
        ber_int_t estimate = 0;
        berval cookie{0, nullptr};
        if (ldap_parse_pageresponse_control(ld, page, &estimate, &cookie) == LDAP_SUCCESS)
            ber_memfree(cookie.bv_val);
    }
    ldap_controls_free(controls);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        std::abort();
    LDAP *ld = nullptr;
    if (ldap_init_fd(ends[0], LDAP_PROTO_TCP, "ldap://127.0.0.1", &ld) != LDAP_SUCCESS)
        std::abort();
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    Sockbuf *socket = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_SOCKBUF, &socket) != LDAP_OPT_SUCCESS || !socket)
        std::abort();
    ber_sockbuf_add_io(socket, &ber_sockbuf_io_readahead, LBER_SBIOD_LEVEL_PROVIDER, nullptr);
    // libldap allocates the length a message claims before its bytes come (2 GB for a
    // header of a few bytes); the client does not bound it yet. Here no input is longer
    // than a megabyte.
    ber_len_t longest = ber_len_t(1) << 20;
    ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_MAX_INCOMING, &longest);
    // The search the replies answer: message 1, as the seeds were recorded.
    const char *attributes[] = {LDAP_ALL_USER_ATTRIBUTES, "structuralObjectClass", "hasSubordinates", nullptr};
    int message = 0;
    {
        // libldap 2.5 keeps the request for good when a reply's message type does not
        // read (try_read1msg returns without releasing the request it looked up): a leak
        // of the request's few kilobytes per such reply, which only libldap can mend.
        // What the request allocates is left out of the leak check; what replies
        // allocate is not.
        const __lsan::ScopedDisabler request;
        if (ldap_search_ext(ld, "o=Acme", LDAP_SCOPE_ONELEVEL, "(objectClass=*)", const_cast<char **>(attributes), 0,
                            nullptr, nullptr, nullptr, 0, &message) != LDAP_SUCCESS)
            std::abort();
    }
    // The server's bytes, then its end: libldap never waits for more.
    for (size_t written = 0; written < size;) {
        const ssize_t step = write(ends[1], data + written, size - written);
        if (step <= 0)
            std::abort();
        written += size_t(step);
    }
    shutdown(ends[1], SHUT_WR);
    LdapEntryStore store(size_t(1) << 20);
    LDAPMessage *result = nullptr;
    timeval wait{1, 0};
    while (ldap_result(ld, message, LDAP_MSG_ALL, &wait, &result) > 0 && result) {
        for (LDAPMessage *at = ldap_first_entry(ld, result); at; at = ldap_next_entry(ld, at))
            ReadEntry(ld, at, store);
        ReadResult(ld, result);
        ldap_msgfree(result);
        result = nullptr;
    }
    ldap_msgfree(result);
    ldap_unbind_ext(ld, nullptr, nullptr);
    close(ends[1]);
    return 0;
}
