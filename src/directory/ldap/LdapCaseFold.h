#pragma once

#include <string>
#include <string_view>

// The case-folded form of UTF-8 text, under which names differing only in letter case
// compare equal ("Surname", "SURNAME" and "surname"; "École" and "ÉCOLE").
namespace LdapCaseFold {

std::string Folded(std::string_view text);

} // namespace LdapCaseFold
