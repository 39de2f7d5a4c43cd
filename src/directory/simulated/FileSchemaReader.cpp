#include "directory/simulated/FileSchemaReader.h"

#include "directory/client/NWClient.h"
#include "directory/simulated/DirectoryFileCursor.h"
#include "directory/simulated/DirectorySchema.h"
#include "directory/simulated/JsonMembers.h"

#include <array>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t HighestSyntax = 37;
constexpr size_t MaxSchemaNameBytes = MAX_SCHEMA_NAME_BYTES - 1;

// A class definition as the file gives it, before its names are resolved.
struct ClassText {
    std::string name;
    uint32_t flags = 0;
    size_t offset = 0;
    std::array<std::vector<std::pair<std::string, size_t>>, DirectorySchema::ListCount> items;
};

} // namespace

void FileSchemaReader::Read(DirectorySchema &schema)
{
    enum { Attributes, Classes };
    if (cursor_.Peek() != JsonCursor::Kind::Object)
        cursor_.Fail("\"schema\" must be an object");
    const size_t start = cursor_.Offset();
    size_t classesAt = std::string_view::npos;
    static constexpr std::string_view Keys[] = {"attributes", "classes"};
    JsonMembers members(cursor_, Keys);
    for (int member; (member = members.Next()) >= 0;) {
        if (member == Attributes) {
            ReadAttributeDefs(schema);
        } else {
            classesAt = cursor_.Offset();
            cursor_.Skip();
        }
    }
    const size_t end = cursor_.Offset();
    if (!members.Seen(Attributes))
        cursor_.FailAt(start, "the schema has no \"attributes\"");
    if (!members.Seen(Classes))
        cursor_.FailAt(start, "the schema has no \"classes\"");
    cursor_.Seek(classesAt);
    ReadClassDefs(schema);
    cursor_.Seek(end);
}

void FileSchemaReader::ReadAttributeDefs(DirectorySchema &schema)
{
    enum { Name_, Syntax, Flags };
    std::string &section = cursor_.place.section;
    if (cursor_.Peek() != JsonCursor::Kind::Array)
        cursor_.Fail("\"attributes\" must be an array");
    cursor_.BeginArray();
    bool first = true;
    for (size_t number = 1; cursor_.NextItem(first); ++number) {
        section = "schema attribute " + std::to_string(number);
        const size_t start = cursor_.Offset();
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("an attribute definition must be an object");
        DirectorySchema::Attribute attribute;
        size_t nameAt = 0;
        static constexpr std::string_view Keys[] = {"name", "syntax", "flags"};
        JsonMembers members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            if (member == Name_) {
                nameAt = cursor_.Offset();
                attribute.name = cursor_.Name("the attribute name", MaxSchemaNameBytes);
                section = "schema attribute " + DirectoryFileCursor::Quoted(attribute.name);
            } else if (member == Syntax) {
                attribute.syntax = uint32_t(cursor_.Number("the syntax id", 0, HighestSyntax));
            } else {
                attribute.flags = uint32_t(cursor_.Number("the attribute flags", 0, UINT32_MAX));
            }
        }
        if (!members.Seen(Name_))
            cursor_.FailAt(start, "the attribute definition has no \"name\"");
        if (!members.Seen(Syntax))
            cursor_.FailAt(start, "the attribute definition has no \"syntax\"");
        if (!schema.AddAttribute(std::move(attribute)))
            cursor_.FailAt(nameAt, "the attribute is defined twice");
    }
    section.clear();
}

void FileSchemaReader::ReadClassDefs(DirectorySchema &schema)
{
    enum { Name_, Flags, Super, Containment, Naming, Mandatory, Optional };
    static constexpr std::array<const char *, DirectorySchema::ListCount> ListNames = {"super", "containment", "naming",
                                                                                       "mandatory", "optional"};
    std::string &section = cursor_.place.section;
    if (cursor_.Peek() != JsonCursor::Kind::Array)
        cursor_.Fail("\"classes\" must be an array");
    std::vector<ClassText> classes;
    cursor_.BeginArray();
    bool first = true;
    for (size_t number = 1; cursor_.NextItem(first); ++number) {
        section = "schema class " + std::to_string(number);
        ClassText definition;
        definition.offset = cursor_.Offset();
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("a class definition must be an object");
        static constexpr std::string_view Keys[] = {"name",   "flags",     "super",   "containment",
                                                    "naming", "mandatory", "optional"};
        JsonMembers members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            if (member == Name_) {
                definition.name = cursor_.Name("the class name", MaxSchemaNameBytes);
                section = "schema class " + DirectoryFileCursor::Quoted(definition.name);
            } else if (member == Flags) {
                definition.flags = uint32_t(cursor_.Number("the class flags", 0, UINT32_MAX));
            } else {
                const int list = member - Super;
                const std::string what = std::string("\"") + ListNames[size_t(list)] + "\"";
                if (cursor_.Peek() != JsonCursor::Kind::Array)
                    cursor_.Fail(what + " must be an array of names");
                cursor_.BeginArray();
                bool firstItem = true;
                while (cursor_.NextItem(firstItem)) {
                    const size_t at = cursor_.Offset();
                    definition.items[size_t(list)].emplace_back(cursor_.Name("a name in " + what, MaxSchemaNameBytes),
                                                                at);
                }
            }
        }
        if (!members.Seen(Name_))
            cursor_.FailAt(definition.offset, "the class definition has no \"name\"");
        classes.push_back(std::move(definition));
    }
    // Every class is known before the lists are resolved, so they may name classes
    // defined later in the file.
    for (const ClassText &text : classes) {
        section = "schema class " + DirectoryFileCursor::Quoted(text.name);
        DirectorySchema::Class definition;
        definition.name = text.name;
        definition.flags = text.flags;
        if (!schema.AddClass(std::move(definition)))
            cursor_.FailAt(text.offset, "the class is defined twice");
    }
    for (size_t id = 0; id < classes.size(); ++id) {
        const ClassText &text = classes[id];
        section = "schema class " + DirectoryFileCursor::Quoted(text.name);
        for (size_t list = 0; list < DirectorySchema::ListCount; ++list) {
            std::vector<uint32_t> items;
            const bool ofClasses = list == DirectorySchema::SuperClasses || list == DirectorySchema::Containment;
            for (const auto &[item, at] : text.items[list]) {
                const int32_t found = ofClasses ? schema.FindClass(item) : schema.FindAttribute(item);
                if (found < 0)
                    cursor_.FailAt(at, std::string("\"") + ListNames[list] + "\" names " +
                                           (ofClasses ? "class " : "attribute ") + DirectoryFileCursor::Quoted(item) +
                                           ", which the schema does not define");
                for (const uint32_t known : items) {
                    if (known == uint32_t(found))
                        cursor_.FailAt(at, std::string("\"") + ListNames[list] + "\" names " +
                                               DirectoryFileCursor::Quoted(item) + " twice");
                }
                items.push_back(uint32_t(found));
            }
            schema.SetOwnItems(uint32_t(id), DirectorySchema::List(list), std::move(items));
        }
    }
    std::string cycle;
    if (!schema.Expand(&cycle)) {
        section = "schema class " + DirectoryFileCursor::Quoted(cycle);
        const int32_t id = schema.FindClass(cycle);
        cursor_.FailAt(classes[size_t(id)].offset, "the super classes of the class lead back to it");
    }
    section.clear();
}
