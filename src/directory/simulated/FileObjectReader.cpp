#include "directory/simulated/FileObjectReader.h"

#include "directory/client/ByteArena.h"
#include "directory/client/NWValues.h"
#include "directory/client/ValuePacking.h"
#include "directory/simulated/DirectoryFileCursor.h"
#include "directory/simulated/DirectoryName.h"
#include "directory/simulated/DirectoryTree.h"
#include "directory/simulated/JsonMembers.h"

void FileObjectReader::Read(DirectoryTree &tree)
{
    ReadObjects(tree, DirectoryTree::Top, 0);
}

void FileObjectReader::ReadObjects(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes)
{
    if (cursor_.Peek() != JsonCursor::Kind::Array)
        cursor_.Fail(parent == DirectoryTree::Top ? "\"objects\" must be an array" : "\"children\" must be an array");
    cursor_.BeginArray();
    bool first = true;
    for (size_t number = 1; cursor_.NextItem(first); ++number)
        ReadObject(tree, parent, parentNameBytes, number);
}

void FileObjectReader::ReadObject(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes, size_t number)
{
    enum { Name_, Class, Values, Children };
    DirectoryFileCursor::Place &place = cursor_.place;
    const size_t start = cursor_.Offset();
    if (cursor_.Peek() != JsonCursor::Kind::Object)
        cursor_.Fail("an object must be a JSON object");
    place.unnamedObject = number;
    DirectoryObject object;
    object.parent = parent;
    uint32_t index = 0;
    size_t nameBytes = 0;
    size_t childrenAt = std::string_view::npos;
    static constexpr std::string_view Keys[] = {"name", "class", "values", "children"};
    JsonMembers members(cursor_, Keys);
    for (int member; (member = members.Next()) >= 0;) {
        switch (member) {
        case Name_: {
            const size_t at = cursor_.Offset();
            const std::string_view rdn = cursor_.Text("the object name");
            CheckObjectName(rdn, at);
            nameBytes = rdn.size() + (parent == DirectoryTree::Top ? 0 : parentNameBytes + 1);
            if (nameBytes > DirectoryName::MaxNameBytes)
                cursor_.FailAt(at, "the full name is longer than " + std::to_string(DirectoryName::MaxNameBytes) +
                                       " bytes");
            object.rdn = arena_.Store(rdn);
            object.rdnSize = uint16_t(rdn.size());
            object.typeSize = uint16_t(DirectoryName::TypeEnd(rdn));
            index = uint32_t(tree.objects.size());
            if (index == UINT32_MAX)
                cursor_.FailAt(at, "the tree has too many objects");
            if (!tree.AddObject(object))
                cursor_.FailAt(at, "a sibling has the same name " + DirectoryFileCursor::Quoted(object.Value()));
            place.path.push_back(object.Rdn());
            place.unnamedObject = 0;
            break;
        }
        case Class: {
            const size_t at = cursor_.Offset();
            const std::string_view name = cursor_.Text("the class");
            const int32_t id = tree.schema.FindClass(name);
            if (id < 0)
                cursor_.FailAt(at, "class " + DirectoryFileCursor::Quoted(name) + " is not defined in the schema");
            object.classId = uint32_t(id);
            break;
        }
        case Values:
            ReadValues(tree.schema, object);
            break;
        case Children:
            if (index != 0) {
                ReadObjects(tree, index, nameBytes);
            } else {
                childrenAt = cursor_.Offset();
                cursor_.Skip();
            }
            break;
        }
    }
    const size_t end = cursor_.Offset();
    if (!members.Seen(Name_))
        cursor_.FailAt(start, "the object has no \"name\"");
    if (!members.Seen(Class))
        cursor_.FailAt(start, "the object has no \"class\"");
    DirectoryObject &stored = tree.objects[index];
    stored.classId = object.classId;
    stored.values = object.values;
    stored.valuesSize = object.valuesSize;
    stored.attributeCount = object.attributeCount;
    if (childrenAt != std::string_view::npos) {
        cursor_.Seek(childrenAt);
        ReadObjects(tree, index, nameBytes);
        cursor_.Seek(end);
    }
    place.path.pop_back();
}

void FileObjectReader::CheckObjectName(std::string_view rdn, size_t at)
{
    const size_t typeEnd = DirectoryName::TypeEnd(rdn);
    if (typeEnd == std::string_view::npos || typeEnd == 0 || typeEnd + 1 == rdn.size())
        cursor_.FailAt(at, "the object name " + DirectoryFileCursor::Quoted(rdn) +
                               " is not a typed name such as \"CN=jdoe\"");
    if (DirectoryName::HasBareDotOrTrailingEscape(rdn))
        cursor_.FailAt(at, "the object name " + DirectoryFileCursor::Quoted(rdn) +
                               " holds a \".\" without a backslash before it, or ends in a backslash");
}

// Writes the value block that DirectoryObject.h describes.
void FileObjectReader::ReadValues(const DirectorySchema &schema, DirectoryObject &object)
{
    std::string &attribute = cursor_.place.attribute;
    if (cursor_.Peek() != JsonCursor::Kind::Object)
        cursor_.Fail("\"values\" must be an object");
    block_.clear();
    seenAttributes_.clear();
    cursor_.BeginObject();
    bool first = true;
    while (cursor_.NextMember(first)) {
        const size_t at = cursor_.Offset();
        const std::string_view name = cursor_.Key();
        attribute.assign(name);
        const int32_t id = schema.FindAttribute(name);
        if (id < 0)
            cursor_.FailAt(at, "the attribute is not defined in the schema");
        for (const uint32_t seen : seenAttributes_) {
            if (seen == uint32_t(id))
                cursor_.FailAt(at, "the attribute is given twice");
        }
        seenAttributes_.push_back(uint32_t(id));
        const uint32_t syntax = schema.Attributes()[size_t(id)].syntax;
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("the values of an attribute must be an array");
        const size_t entry = block_.size();
        ValuePacking::AppendU32(block_, uint32_t(id));
        ValuePacking::AppendU32(block_, 0);
        ValuePacking::AppendU32(block_, 0);
        uint32_t count = 0;
        const size_t arrayAt = cursor_.Offset();
        cursor_.BeginArray();
        bool firstValue = true;
        while (cursor_.NextItem(firstValue)) {
            const size_t value = block_.size();
            ValuePacking::AppendU32(block_, 0);
            values_.Read(syntax, block_);
            values_.Patch(block_, value, block_.size() - value - sizeof(uint32_t));
            ++count;
        }
        if (count == 0)
            cursor_.FailAt(arrayAt, "the attribute has no value");
        if (syntax == SYN_STREAM && count > 1)
            cursor_.FailAt(arrayAt, "a stream attribute holds one value");
        values_.Patch(block_, entry + sizeof(uint32_t), count);
        values_.Patch(block_, entry + 2 * sizeof(uint32_t), block_.size() - entry - 3 * sizeof(uint32_t));
    }
    attribute.clear();
    if (block_.size() > UINT32_MAX)
        cursor_.Fail("the object's values are too large");
    object.values = arena_.Store(block_.data(), block_.size());
    object.valuesSize = uint32_t(block_.size());
    object.attributeCount = uint32_t(seenAttributes_.size());
}
