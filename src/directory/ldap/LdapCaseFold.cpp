#include "directory/ldap/LdapCaseFold.h"

#include <QString>

std::string_view LdapCaseFold::FoldedView(std::string_view text, std::string &scratch)
{
    // Plain ASCII, which nearly every name is, folds to its lower case; the rest takes
    // the full Unicode folding.
    bool capital = false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            scratch = QString::fromUtf8(text.data(), qsizetype(text.size())).toCaseFolded().toStdString();
            return scratch;
        }
        capital = capital || (c >= 'A' && c <= 'Z');
    }
    if (!capital)
        return text;
    scratch.assign(text);
    for (char &c : scratch) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return scratch;
}

std::string LdapCaseFold::Folded(std::string_view text)
{
    std::string scratch;
    const std::string_view folded = FoldedView(text, scratch);
    return folded.data() == scratch.data() ? scratch : std::string(folded);
}
