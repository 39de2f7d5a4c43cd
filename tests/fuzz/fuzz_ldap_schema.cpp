// Schema texts as a server sends them (the values of objectClasses and attributeTypes),
// one definition a line, each line read both as a class and as an attribute type, into
// the schema catalogue; then every name looked up. libldap, which parses the texts, is
// not instrumented, so a read past a text's end is caught by its effect: the catalogue
// is built twice, the texts' buffers holding zeros past their end once, and once what
// would parse as the rest of a definition; the two must be the same.

#include "directory/ldap/LdapSchema.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The texts of the input's lines, each with more held in its buffer past its end
// (std::string keeps what a shorter size leaves).
std::vector<std::string> Texts(std::string_view input, std::string_view more)
{
    std::vector<std::string> texts;
    for (size_t start = 0; start <= input.size();) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        std::string text(input.substr(start, end - start));
        const size_t size = text.size();
        text.push_back('\0');
        text.append(more);
        text.resize(size);
        texts.push_back(std::move(text));
        start = end + 1;
    }
    return texts;
}

bool Same(const LdapSchema &one, const LdapSchema &other)
{
    if (one.Attributes().size() != other.Attributes().size() || one.Classes().size() != other.Classes().size())
        return false;
    for (size_t i = 0; i < one.Attributes().size(); ++i) {
        const LdapSchema::Attribute &a = one.Attributes()[i];
        const LdapSchema::Attribute &b = other.Attributes()[i];
        if (a.name != b.name || a.ldapName != b.ldapName || a.syntax != b.syntax || a.flags != b.flags)
            return false;
    }
    for (size_t i = 0; i < one.Classes().size(); ++i) {
        const LdapSchema::Class &a = one.Classes()[i];
        const LdapSchema::Class &b = other.Classes()[i];
        if (a.name != b.name || a.ldapName != b.ldapName || a.flags != b.flags)
            return false;
        for (size_t list = 0; list < LdapSchema::ListCount; ++list) {
            if (a.lists[list] != b.lists[list])
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> texts = Texts(input, std::string(64, '\0'));
    LdapSchema schema;
    schema.Build(texts, texts);
    const std::vector<std::string> followed = Texts(input, " NAME 'past' )");
    LdapSchema past;
    past.Build(followed, followed);
    if (!Same(schema, past)) {
        std::fprintf(stderr, "a definition is read past its end\n");
        std::abort();
    }
    for (const LdapSchema::Attribute &attribute : schema.Attributes()) {
        if (schema.FindAttribute(attribute.name) < 0 || schema.FindAttribute(attribute.ldapName) < 0)
            std::abort();
    }
    for (const LdapSchema::Class &definition : schema.Classes()) {
        if (schema.FindClass(definition.name) < 0 || schema.FindClass(definition.ldapName) < 0)
            std::abort();
        for (const auto &list : definition.lists) {
            for (const std::string &item : list)
                static_cast<void>(schema.FindAttribute(item) + schema.FindClass(item));
        }
    }
    return 0;
}
