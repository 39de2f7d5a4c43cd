#pragma once

#include <string>
#include <string_view>

// The case-folded form of UTF-8 text, under which names differing only in letter case
// compare equal ("Surname", "SURNAME" and "surname"; "École" and "ÉCOLE").
namespace LdapCaseFold {

std::string Folded(std::string_view text);
// The same form, without allocating for plain ASCII: text itself when it has no capital,
// else the folded text made in scratch (valid until scratch changes).
std::string_view FoldedView(std::string_view text, std::string &scratch);

} // namespace LdapCaseFold
