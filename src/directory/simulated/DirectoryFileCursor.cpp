#include "directory/simulated/DirectoryFileCursor.h"

std::string DirectoryFileCursor::Place::Text() const
{
    std::string text = tree;
    const auto add = [&text](const std::string &part) {
        if (part.empty())
            return;
        if (!text.empty())
            text += ", ";
        text += part;
    };
    if (!path.empty() || unnamedObject != 0) {
        std::string name;
        for (size_t i = path.size(); i-- > 0;) {
            if (!name.empty())
                name.push_back('.');
            name.append(path[i]);
        }
        if (unnamedObject != 0) {
            const std::string position = "object " + std::to_string(unnamedObject);
            add(name.empty() ? position + " at the top" : position + " below " + Quoted(name));
        } else {
            add("object " + Quoted(name));
        }
    }
    add(section);
    if (!attribute.empty())
        add("attribute " + Quoted(attribute));
    return text;
}

std::string_view DirectoryFileCursor::Text(std::string_view what, bool allowZero)
{
    if (Peek() != Kind::String)
        Fail(std::string(what) + " must be a text");
    const std::string_view text = String();
    if (HadZero() && !allowZero)
        Fail(std::string(what) + " holds a zero character");
    return text;
}

int64_t DirectoryFileCursor::Number(std::string_view what, int64_t min, int64_t max)
{
    if (Peek() != Kind::Number)
        Fail(std::string(what) + " must be a whole number");
    const size_t at = Offset();
    const int64_t number = Integer();
    if (number < min || number > max)
        FailAt(at, std::string(what) + " must be from " + std::to_string(min) + " to " + std::to_string(max));
    return number;
}

std::string DirectoryFileCursor::Name(std::string_view what, size_t maxBytes)
{
    const size_t at = Offset();
    std::string name(Text(what));
    if (name.empty())
        FailAt(at, std::string(what) + " is empty");
    if (name.size() > maxBytes)
        FailAt(at, std::string(what) + " is longer than " + std::to_string(maxBytes) + " bytes");
    return name;
}

std::string DirectoryFileCursor::Quoted(std::string_view text)
{
    std::string_view shown = text;
    if (text.size() > MaxQuotedBytes) {
        size_t cut = MaxQuotedBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        shown = text.substr(0, cut);
    }
    std::string quoted;
    quoted.reserve(shown.size() + 5);
    quoted.push_back('"');
    quoted.append(shown);
    if (shown.size() < text.size())
        quoted.append("...");
    quoted.push_back('"');
    return quoted;
}
