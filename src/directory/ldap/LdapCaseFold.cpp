#include "directory/ldap/LdapCaseFold.h"

#include <QString>

#include <algorithm>

std::string_view LdapCaseFold::FoldedView(std::string_view text, std::string &scratch)
{
    bool capital = false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            scratch = Folded(text);
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
    // Plain ASCII, which nearly every name is, folds to its lower case; the rest takes
    // the full Unicode folding.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded(text);
        for (char &c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        return folded;
    }
    return QString::fromUtf8(text.data(), qsizetype(text.size())).toCaseFolded().toStdString();
}
