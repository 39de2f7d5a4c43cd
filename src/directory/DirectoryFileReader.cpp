#include "DirectoryFileReader.h"

#include "CaseFold.h"
#include "ClientFunction.h"
#include "DirectoryName.h"
#include "JsonCursor.h"
#include "NWClient.h"
#include "ValuePacking.h"

#include <QFile>

#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <span>

// Outside any namespace, as the resource system requires.
static void InitDemoResource()
{
    Q_INIT_RESOURCE(demo_directory);
}

namespace {

constexpr uint32_t HighestSyntax = 37;
constexpr size_t MaxTreeNameBytes = MAX_TREE_NAME_BYTES - 1;
constexpr size_t MaxSchemaNameBytes = MAX_SCHEMA_NAME_BYTES - 1;
constexpr int64_t MaxReplicaCount = 255;

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

// Reads the members of one JSON object, refusing unknown and repeated ones.
class Members
{
public:
    Members(JsonCursor &cursor, std::span<const std::string_view> known) : cursor_(cursor), known_(known)
    {
        cursor_.BeginObject();
    }

    // The index in the known list of the next member's name, or -1 at the end.
    int Next()
    {
        if (!cursor_.NextMember(first_))
            return -1;
        const size_t at = cursor_.Offset();
        const std::string_view key = cursor_.Key(scratch_);
        for (size_t i = 0; i < known_.size(); ++i) {
            if (known_[i] == key) {
                if (seen_ & (uint64_t(1) << i))
                    cursor_.FailAt(at, "member " + Quoted(key) + " is given twice");
                seen_ |= uint64_t(1) << i;
                return int(i);
            }
        }
        cursor_.FailAt(at, "unknown member " + Quoted(key));
    }

    bool Seen(int index) const { return (seen_ & (uint64_t(1) << index)) != 0; }

private:
    JsonCursor &cursor_;
    std::span<const std::string_view> known_;
    std::string scratch_;
    bool first_ = true;
    uint64_t seen_ = 0;
};

// One member of the object form of a value: a text, hexadecimal bytes or a number.
struct Field {
    enum Type { Text, Hex, Number };
    Field(std::string_view key_, Type type_, bool required_ = true, int64_t min_ = 0,
          int64_t max_ = std::numeric_limits<uint32_t>::max())
        : key(key_), type(type_), required(required_), min(min_), max(max_)
    {
    }
    std::string_view key;
    Type type;
    bool required = true;
    int64_t min = 0;
    int64_t max = std::numeric_limits<uint32_t>::max();
    std::string text;
    int64_t number = 0;
    bool present = false;
};

// A class definition as the file gives it, before its names are resolved.
struct ClassText {
    std::string name;
    uint32_t flags = 0;
    size_t offset = 0;
    std::array<std::vector<std::pair<std::string, size_t>>, DirectorySchema::ListCount> items;
};

class Loader
{
public:
    Loader(std::string_view text, QString fileName) : cursor_(text), fileName_(std::move(fileName)) {}

    std::unique_ptr<DirectoryModel> Run(QString *error)
    {
        try {
            if (cursor_.Peek() == JsonCursor::Kind::End)
                cursor_.Fail("the file is empty");
            ReadDocument();
            return std::move(model_);
        } catch (const JsonCursor::Error &fault) {
            if (error) {
                std::string place = PlaceText();
                *error = QStringLiteral("%1, line %2: %3%4")
                             .arg(fileName_)
                             .arg(cursor_.LineOf(fault.offset))
                             .arg(QString::fromStdString(place.empty() ? place : place + ": "),
                                  QString::fromStdString(fault.message));
            }
            return nullptr;
        }
    }

private:
    // ---- places, for messages

    std::string PlaceText() const
    {
        std::string place = tree_;
        const auto add = [&place](const std::string &part) {
            if (part.empty())
                return;
            if (!place.empty())
                place += ", ";
            place += part;
        };
        if (!path_.empty() || unnamedObject_ != 0) {
            std::string name;
            for (size_t i = path_.size(); i-- > 0;) {
                if (!name.empty())
                    name.push_back('.');
                name.append(path_[i]);
            }
            if (unnamedObject_ != 0) {
                const std::string position = "object " + std::to_string(unnamedObject_);
                add(name.empty() ? position + " at the top" : position + " below " + Quoted(name));
            } else {
                add("object " + Quoted(name));
            }
        }
        add(section_);
        if (!attribute_.empty())
            add("attribute " + Quoted(attribute_));
        return place;
    }

    // ---- small readers

    std::string_view Text(std::string_view what, bool allowZero = false)
    {
        if (cursor_.Peek() != JsonCursor::Kind::String)
            cursor_.Fail(std::string(what) + " must be a text");
        const std::string_view text = cursor_.String(scratch_);
        if (cursor_.HadZero() && !allowZero)
            cursor_.Fail(std::string(what) + " holds a zero character");
        return text;
    }

    int64_t Number(std::string_view what, int64_t min, int64_t max)
    {
        if (cursor_.Peek() != JsonCursor::Kind::Number)
            cursor_.Fail(std::string(what) + " must be a whole number");
        const size_t at = cursor_.Offset();
        const int64_t number = cursor_.Integer();
        if (number < min || number > max)
            cursor_.FailAt(at,
                           std::string(what) + " must be from " + std::to_string(min) + " to " + std::to_string(max));
        return number;
    }

    std::string Name(std::string_view what, size_t maxBytes)
    {
        const size_t at = cursor_.Offset();
        std::string name(Text(what));
        if (name.empty())
            cursor_.FailAt(at, std::string(what) + " is empty");
        if (name.size() > maxBytes)
            cursor_.FailAt(at, std::string(what) + " is longer than " + std::to_string(maxBytes) + " bytes");
        return name;
    }

    void Hex(std::string_view digits, std::string &out, size_t at)
    {
        if (digits.size() % 2 != 0)
            cursor_.FailAt(at, "hexadecimal bytes need an even number of digits");
        for (size_t i = 0; i < digits.size(); i += 2) {
            int byte = 0;
            for (size_t j = i; j < i + 2; ++j) {
                const char c = digits[j];
                int digit = -1;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (c >= 'a' && c <= 'f')
                    digit = c - 'a' + 10;
                else if (c >= 'A' && c <= 'F')
                    digit = c - 'A' + 10;
                if (digit < 0)
                    cursor_.FailAt(at, "\"" + std::string(1, c) + "\" is not a hexadecimal digit");
                byte = byte * 16 + digit;
            }
            out.push_back(char(byte));
        }
    }

    // ---- the document

    void ReadDocument()
    {
        enum { Connections, Trees };
        size_t connectionsAt = std::string_view::npos;
        model_ = std::make_unique<DirectoryModel>();
        static constexpr std::string_view Keys[] = {"connections", "trees"};
        Members members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            if (member == Connections) {
                connectionsAt = cursor_.Offset();
                cursor_.Skip();
            } else {
                ReadTrees();
            }
        }
        const size_t end = cursor_.Offset();
        if (!members.Seen(Trees))
            cursor_.FailAt(0, "the file has no \"trees\"");
        if (connectionsAt != std::string_view::npos) {
            cursor_.Seek(connectionsAt);
            ReadConnections();
            cursor_.Seek(end);
        } else {
            for (uint32_t i = 0; i < model_->trees.size(); ++i)
                model_->connections.push_back({model_->trees[i]->name, i});
        }
        cursor_.ExpectEnd();
    }

    void ReadConnections()
    {
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("\"connections\" must be an array of tree names");
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number) {
            section_ = "connection " + std::to_string(number);
            const size_t at = cursor_.Offset();
            std::string name = Name("the tree name", MaxTreeNameBytes);
            const int32_t tree = model_->FindTree(name);
            if (tree < 0)
                cursor_.FailAt(at, Quoted(name) + " names no tree of the file");
            model_->connections.push_back({std::move(name), uint32_t(tree)});
        }
        section_.clear();
    }

    void ReadTrees()
    {
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("\"trees\" must be an array");
        const size_t at = cursor_.Offset();
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number)
            ReadTree(number);
        if (model_->trees.empty())
            cursor_.FailAt(at, "the file defines no tree");
    }

    void ReadTree(size_t number)
    {
        enum { Name_, Identity, DefaultContext, Schema, Objects, Faults };
        tree_ = "tree " + std::to_string(number);
        const size_t start = cursor_.Offset();
        auto tree = std::make_unique<DirectoryTree>();
        size_t schemaAt = std::string_view::npos;
        size_t objectsAt = std::string_view::npos;
        size_t faultsAt = std::string_view::npos;
        size_t defaultContextAt = 0;
        std::string defaultContext;
        bool schemaRead = false;
        bool objectsRead = false;
        static constexpr std::string_view Keys[] = {"name",   "identity", "defaultContext",
                                                    "schema", "objects",  "faults"};
        Members members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            switch (member) {
            case Name_: {
                const size_t at = cursor_.Offset();
                tree->name = Name("the tree name", MaxTreeNameBytes);
                if (model_->FindTree(tree->name) >= 0)
                    cursor_.FailAt(at, "tree " + Quoted(tree->name) + " is defined twice");
                tree_ = "tree " + Quoted(tree->name);
                break;
            }
            case Identity:
                tree->identity = std::string(Text("the identity"));
                break;
            case DefaultContext:
                defaultContextAt = cursor_.Offset();
                defaultContext = std::string(Text("the default context"));
                break;
            case Schema:
                schemaAt = cursor_.Offset();
                if (members.Seen(Name_)) {
                    ReadSchema(*tree);
                    schemaRead = true;
                } else {
                    cursor_.Skip();
                }
                break;
            case Objects:
                objectsAt = cursor_.Offset();
                if (schemaRead) {
                    ReadObjects(*tree, DirectoryTree::Top, 0);
                    objectsRead = true;
                } else {
                    cursor_.Skip();
                }
                break;
            case Faults:
                faultsAt = cursor_.Offset();
                cursor_.Skip();
                break;
            }
        }
        const size_t end = cursor_.Offset();
        const char *missing = !members.Seen(Name_)      ? "name"
                              : !members.Seen(Identity) ? "identity"
                              : !members.Seen(Schema)   ? "schema"
                              : !members.Seen(Objects)  ? "objects"
                                                        : nullptr;
        if (missing)
            cursor_.FailAt(start, std::string("the tree has no \"") + missing + "\"");
        if (!schemaRead) {
            cursor_.Seek(schemaAt);
            ReadSchema(*tree);
        }
        if (!objectsRead) {
            cursor_.Seek(objectsAt);
            ReadObjects(*tree, DirectoryTree::Top, 0);
        }
        if (faultsAt != std::string_view::npos) {
            cursor_.Seek(faultsAt);
            ReadFaults(*tree);
        }
        if (members.Seen(DefaultContext)) {
            const int64_t object = tree->Resolve(defaultContext);
            if (object < 0)
                cursor_.FailAt(defaultContextAt,
                               "the default context " + Quoted(defaultContext) + " names no object of the tree");
            tree->defaultContext = uint32_t(object);
        }
        cursor_.Seek(end);
        tree->IndexChildren();
        model_->trees.push_back(std::move(tree));
        tree_.clear();
    }

    // ---- the schema

    void ReadSchema(DirectoryTree &tree)
    {
        enum { Attributes, Classes };
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("\"schema\" must be an object");
        const size_t start = cursor_.Offset();
        size_t classesAt = std::string_view::npos;
        static constexpr std::string_view Keys[] = {"attributes", "classes"};
        Members members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            if (member == Attributes) {
                ReadAttributeDefs(tree.schema);
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
        ReadClassDefs(tree.schema);
        cursor_.Seek(end);
    }

    void ReadAttributeDefs(DirectorySchema &schema)
    {
        enum { Name_, Syntax, Flags };
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("\"attributes\" must be an array");
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number) {
            section_ = "schema attribute " + std::to_string(number);
            const size_t start = cursor_.Offset();
            if (cursor_.Peek() != JsonCursor::Kind::Object)
                cursor_.Fail("an attribute definition must be an object");
            DirectorySchema::Attribute attribute;
            size_t nameAt = 0;
            static constexpr std::string_view Keys[] = {"name", "syntax", "flags"};
            Members members(cursor_, Keys);
            for (int member; (member = members.Next()) >= 0;) {
                if (member == Name_) {
                    nameAt = cursor_.Offset();
                    attribute.name = Name("the attribute name", MaxSchemaNameBytes);
                    section_ = "schema attribute " + Quoted(attribute.name);
                } else if (member == Syntax) {
                    attribute.syntax = uint32_t(Number("the syntax id", 0, HighestSyntax));
                } else {
                    attribute.flags = uint32_t(Number("the attribute flags", 0, UINT32_MAX));
                }
            }
            if (!members.Seen(Name_))
                cursor_.FailAt(start, "the attribute definition has no \"name\"");
            if (!members.Seen(Syntax))
                cursor_.FailAt(start, "the attribute definition has no \"syntax\"");
            if (!schema.AddAttribute(std::move(attribute)))
                cursor_.FailAt(nameAt, "the attribute is defined twice");
        }
        section_.clear();
    }

    void ReadClassDefs(DirectorySchema &schema)
    {
        enum { Name_, Flags, Super, Containment, Naming, Mandatory, Optional };
        static constexpr std::array<const char *, DirectorySchema::ListCount> ListNames = {
            "super", "containment", "naming", "mandatory", "optional"};
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("\"classes\" must be an array");
        std::vector<ClassText> classes;
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number) {
            section_ = "schema class " + std::to_string(number);
            ClassText definition;
            definition.offset = cursor_.Offset();
            if (cursor_.Peek() != JsonCursor::Kind::Object)
                cursor_.Fail("a class definition must be an object");
            static constexpr std::string_view Keys[] = {"name",   "flags",     "super",   "containment",
                                                        "naming", "mandatory", "optional"};
            Members members(cursor_, Keys);
            for (int member; (member = members.Next()) >= 0;) {
                if (member == Name_) {
                    definition.name = Name("the class name", MaxSchemaNameBytes);
                    section_ = "schema class " + Quoted(definition.name);
                } else if (member == Flags) {
                    definition.flags = uint32_t(Number("the class flags", 0, UINT32_MAX));
                } else {
                    const int list = member - Super;
                    const std::string what = std::string("\"") + ListNames[size_t(list)] + "\"";
                    if (cursor_.Peek() != JsonCursor::Kind::Array)
                        cursor_.Fail(what + " must be an array of names");
                    cursor_.BeginArray();
                    bool firstItem = true;
                    while (cursor_.NextItem(firstItem)) {
                        const size_t at = cursor_.Offset();
                        definition.items[size_t(list)].emplace_back(Name("a name in " + what, MaxSchemaNameBytes), at);
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
            section_ = "schema class " + Quoted(text.name);
            DirectorySchema::Class definition;
            definition.name = text.name;
            definition.flags = text.flags;
            if (!schema.AddClass(std::move(definition)))
                cursor_.FailAt(text.offset, "the class is defined twice");
        }
        for (size_t id = 0; id < classes.size(); ++id) {
            const ClassText &text = classes[id];
            section_ = "schema class " + Quoted(text.name);
            for (size_t list = 0; list < DirectorySchema::ListCount; ++list) {
                std::vector<uint32_t> items;
                const bool ofClasses = list == DirectorySchema::SuperClasses || list == DirectorySchema::Containment;
                for (const auto &[item, at] : text.items[list]) {
                    const int32_t found = ofClasses ? schema.FindClass(item) : schema.FindAttribute(item);
                    if (found < 0)
                        cursor_.FailAt(at, std::string("\"") + ListNames[list] + "\" names " +
                                               (ofClasses ? "class " : "attribute ") + Quoted(item) +
                                               ", which the schema does not define");
                    for (const uint32_t known : items) {
                        if (known == uint32_t(found))
                            cursor_.FailAt(at,
                                           std::string("\"") + ListNames[list] + "\" names " + Quoted(item) + " twice");
                    }
                    items.push_back(uint32_t(found));
                }
                schema.SetOwnItems(uint32_t(id), DirectorySchema::List(list), std::move(items));
            }
        }
        std::string cycle;
        if (!schema.Expand(&cycle)) {
            section_ = "schema class " + Quoted(cycle);
            const int32_t id = schema.FindClass(cycle);
            cursor_.FailAt(classes[size_t(id)].offset, "the super classes of the class lead back to it");
        }
        section_.clear();
    }

    // ---- objects

    void ReadObjects(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes)
    {
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail(parent == DirectoryTree::Top ? "\"objects\" must be an array"
                                                      : "\"children\" must be an array");
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number)
            ReadObject(tree, parent, parentNameBytes, number);
    }

    void ReadObject(DirectoryTree &tree, uint32_t parent, size_t parentNameBytes, size_t number)
    {
        enum { Name_, Class, Values, Children };
        const size_t start = cursor_.Offset();
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("an object must be a JSON object");
        unnamedObject_ = number;
        DirectoryObject object;
        object.parent = parent;
        uint32_t index = 0;
        size_t nameBytes = 0;
        size_t childrenAt = std::string_view::npos;
        static constexpr std::string_view Keys[] = {"name", "class", "values", "children"};
        Members members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            switch (member) {
            case Name_: {
                const size_t at = cursor_.Offset();
                const std::string_view rdn = Text("the object name");
                CheckObjectName(rdn, at);
                nameBytes = rdn.size() + (parent == DirectoryTree::Top ? 0 : parentNameBytes + 1);
                if (nameBytes > DirectoryName::MaxNameBytes)
                    cursor_.FailAt(at, "the full name is longer than " + std::to_string(DirectoryName::MaxNameBytes) +
                                           " bytes");
                object.rdn = model_->arena.Store(rdn);
                object.rdnSize = uint16_t(rdn.size());
                object.typeSize = uint16_t(DirectoryName::TypeEnd(rdn));
                index = uint32_t(tree.objects.size());
                if (index == UINT32_MAX)
                    cursor_.FailAt(at, "the tree has too many objects");
                if (!tree.AddObject(object))
                    cursor_.FailAt(at, "a sibling has the same name " + Quoted(object.Value()));
                path_.push_back(object.Rdn());
                unnamedObject_ = 0;
                break;
            }
            case Class: {
                const size_t at = cursor_.Offset();
                const std::string_view name = Text("the class");
                const int32_t id = tree.schema.FindClass(name);
                if (id < 0)
                    cursor_.FailAt(at, "class " + Quoted(name) + " is not defined in the schema");
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
        path_.pop_back();
    }

    void CheckObjectName(std::string_view rdn, size_t at)
    {
        const size_t typeEnd = DirectoryName::TypeEnd(rdn);
        if (typeEnd == std::string_view::npos || typeEnd == 0 || typeEnd + 1 == rdn.size())
            cursor_.FailAt(at, "the object name " + Quoted(rdn) + " is not a typed name such as \"CN=jdoe\"");
        if (DirectoryName::HasBareDotOrTrailingEscape(rdn))
            cursor_.FailAt(at, "the object name " + Quoted(rdn) +
                                   " holds a \".\" without a backslash before it, or ends in a backslash");
    }

    // ---- values

    void ReadValues(const DirectorySchema &schema, DirectoryObject &object)
    {
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("\"values\" must be an object");
        block_.clear();
        seenAttributes_.clear();
        cursor_.BeginObject();
        bool first = true;
        while (cursor_.NextMember(first)) {
            const size_t at = cursor_.Offset();
            const std::string_view name = cursor_.Key(scratch_);
            attribute_.assign(name);
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
                ReadValue(syntax);
                Patch(value, block_.size() - value - sizeof(uint32_t));
                ++count;
            }
            if (count == 0)
                cursor_.FailAt(arrayAt, "the attribute has no value");
            if (syntax == SYN_STREAM && count > 1)
                cursor_.FailAt(arrayAt, "a stream attribute holds one value");
            Patch(entry + sizeof(uint32_t), count);
            Patch(entry + 2 * sizeof(uint32_t), block_.size() - entry - 3 * sizeof(uint32_t));
        }
        attribute_.clear();
        if (block_.size() > UINT32_MAX)
            cursor_.Fail("the object's values are too large");
        object.values = model_->arena.Store(block_.data(), block_.size());
        object.valuesSize = uint32_t(block_.size());
        object.attributeCount = uint32_t(seenAttributes_.size());
    }

    void Patch(size_t offset, size_t value)
    {
        if (value > UINT32_MAX)
            cursor_.Fail("a value is too large");
        const uint32_t number = uint32_t(value);
        std::memcpy(block_.data() + offset, &number, sizeof number);
    }

    static std::string SyntaxLabel(uint32_t syntax) { return "a value of syntax " + std::to_string(syntax); }

    void ReadValue(uint32_t syntax)
    {
        // The common syntaxes first, without building a label unless they fail.
        switch (syntax) {
        case SYN_DIST_NAME:
        case SYN_CE_STRING:
        case SYN_CI_STRING:
        case SYN_PR_STRING:
        case SYN_NU_STRING:
        case SYN_TEL_NUMBER:
        case SYN_CLASS_NAME: {
            if (cursor_.Peek() != JsonCursor::Kind::String)
                cursor_.Fail(SyntaxLabel(syntax) + " must be a text");
            const std::string_view text = cursor_.String(scratch_);
            if (cursor_.HadZero())
                cursor_.Fail(SyntaxLabel(syntax) + " holds a zero character");
            block_.append(text);
            return;
        }
        case SYN_INTEGER:
        case SYN_COUNTER:
        case SYN_TIME:
        case SYN_INTERVAL: {
            if (cursor_.Peek() != JsonCursor::Kind::Number)
                cursor_.Fail(SyntaxLabel(syntax) + " must be a whole number");
            const size_t at = cursor_.Offset();
            const int64_t number = cursor_.Integer();
            if (number < INT32_MIN || number > INT32_MAX)
                cursor_.FailAt(at, SyntaxLabel(syntax) + " must be from " + std::to_string(INT32_MIN) + " to " +
                                       std::to_string(INT32_MAX));
            ValuePacking::AppendU32(block_, uint32_t(int32_t(number)));
            return;
        }
        default:
            break;
        }
        const std::string what = SyntaxLabel(syntax);
        switch (syntax) {
        case SYN_CI_LIST: {
            if (cursor_.Peek() != JsonCursor::Kind::Array)
                cursor_.Fail(what + " must be an array of texts");
            const size_t at = cursor_.Offset();
            const size_t countAt = block_.size();
            ValuePacking::AppendU32(block_, 0);
            uint32_t count = 0;
            cursor_.BeginArray();
            bool first = true;
            while (cursor_.NextItem(first)) {
                ValuePacking::AppendCounted(block_, Text("an item of " + what));
                ++count;
            }
            if (count == 0)
                cursor_.FailAt(at, what + " needs at least one text");
            Patch(countAt, count);
            return;
        }
        case SYN_BOOLEAN: {
            uint8_t byte = 0;
            if (cursor_.Peek() == JsonCursor::Kind::Boolean)
                byte = cursor_.Boolean() ? 1 : 0;
            else if (cursor_.Peek() == JsonCursor::Kind::Number)
                byte = uint8_t(Number(what, 0, 255));
            else
                cursor_.Fail(what + " must be true, false or a number from 0 to 255");
            block_.push_back(char(byte));
            return;
        }
        case SYN_OCTET_STRING:
        case SYN_STREAM: {
            if (cursor_.Peek() != JsonCursor::Kind::Object)
                cursor_.Fail(what + " must be {\"text\": ...} or {\"hex\": ...}");
            std::string bytes;
            ReadBytesForm(what, bytes);
            if (syntax == SYN_STREAM)
                ValuePacking::AppendCounted(block_, bytes);
            else
                block_.append(bytes);
            return;
        }
        case SYN_FAX_NUMBER: {
            if (cursor_.Peek() == JsonCursor::Kind::String) {
                ValuePacking::AppendCounted(block_, Text(what));
                ValuePacking::AppendU32(block_, 0);
                return;
            }
            std::array<Field, 2> fields{{{"number", Field::Text}, {"parameters", Field::Hex, false}}};
            ReadFields(what, fields);
            ValuePacking::AppendCounted(block_, fields[0].text);
            ValuePacking::AppendU32(block_, uint32_t(fields[1].text.size() * 8));
            block_.append(fields[1].text);
            return;
        }
        case SYN_NET_ADDRESS: {
            std::array<Field, 2> fields{{{"type", Field::Number}, {"hex", Field::Hex}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[0].number));
            block_.append(fields[1].text);
            return;
        }
        case SYN_EMAIL_ADDRESS: {
            std::array<Field, 2> fields{{{"type", Field::Number}, {"address", Field::Text}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[0].number));
            block_.append(fields[1].text);
            return;
        }
        case SYN_PATH: {
            std::array<Field, 3> fields{{{"nameSpace", Field::Number}, {"volume", Field::Text}, {"path", Field::Text}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[0].number));
            ValuePacking::AppendCounted(block_, fields[1].text);
            block_.append(fields[2].text);
            return;
        }
        case SYN_REPLICA_POINTER: {
            std::array<Field, 4> fields{{{"server", Field::Text},
                                         {"type", Field::Number, true, INT32_MIN, INT32_MAX},
                                         {"number", Field::Number, true, INT32_MIN, INT32_MAX},
                                         {"count", Field::Number, true, 0, MaxReplicaCount}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(int32_t(fields[1].number)));
            ValuePacking::AppendU32(block_, uint32_t(int32_t(fields[2].number)));
            ValuePacking::AppendU32(block_, uint32_t(fields[3].number));
            block_.append(fields[0].text);
            return;
        }
        case SYN_OBJECT_ACL: {
            std::array<Field, 3> fields{
                {{"protected", Field::Text}, {"subject", Field::Text}, {"privileges", Field::Number}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[2].number));
            ValuePacking::AppendCounted(block_, fields[0].text);
            block_.append(fields[1].text);
            return;
        }
        case SYN_PO_ADDRESS: {
            if (cursor_.Peek() != JsonCursor::Kind::Array)
                cursor_.Fail(what + " must be an array of six texts");
            const size_t at = cursor_.Offset();
            size_t count = 0;
            cursor_.BeginArray();
            bool first = true;
            while (cursor_.NextItem(first)) {
                if (++count > 6)
                    cursor_.FailAt(at, what + " must be an array of six texts");
                ValuePacking::AppendCounted(block_, Text("a line of " + what));
            }
            if (count != 6)
                cursor_.FailAt(at, what + " must be an array of six texts");
            return;
        }
        case SYN_TIMESTAMP: {
            std::array<Field, 2> fields{{{"seconds", Field::Number}, {"event", Field::Number}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[0].number));
            ValuePacking::AppendU32(block_, uint32_t(fields[1].number));
            return;
        }
        case SYN_BACK_LINK: {
            std::array<Field, 2> fields{{{"remoteId", Field::Number}, {"name", Field::Text}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[0].number));
            block_.append(fields[1].text);
            return;
        }
        case SYN_TYPED_NAME: {
            std::array<Field, 3> fields{{{"name", Field::Text}, {"level", Field::Number}, {"interval", Field::Number}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[1].number));
            ValuePacking::AppendU32(block_, uint32_t(fields[2].number));
            block_.append(fields[0].text);
            return;
        }
        case SYN_HOLD: {
            std::array<Field, 2> fields{{{"name", Field::Text}, {"amount", Field::Number}}};
            ReadFields(what, fields);
            ValuePacking::AppendU32(block_, uint32_t(fields[1].number));
            block_.append(fields[0].text);
            return;
        }
        case SYN_OCTET_LIST: {
            // Any value: the items of an array, or the value itself, each as bytes. The
            // record always has a first item, so an empty array gives one empty item.
            const size_t countAt = block_.size();
            ValuePacking::AppendU32(block_, 0);
            uint32_t count = 0;
            if (cursor_.Peek() == JsonCursor::Kind::Array) {
                cursor_.BeginArray();
                bool first = true;
                while (cursor_.NextItem(first)) {
                    ValuePacking::AppendCounted(block_, AnyValueBytes());
                    ++count;
                }
                if (count == 0) {
                    ValuePacking::AppendCounted(block_, {});
                    count = 1;
                }
            } else {
                ValuePacking::AppendCounted(block_, AnyValueBytes());
                count = 1;
            }
            Patch(countAt, count);
            return;
        }
        default:
            // Syntaxes without a value record: any value, kept as bytes.
            block_.append(AnyValueBytes());
            return;
        }
    }

    // The bytes of any value: a text's own bytes, or the JSON text of anything else.
    std::string_view AnyValueBytes()
    {
        if (cursor_.Peek() == JsonCursor::Kind::String)
            return cursor_.String(scratch_);
        return cursor_.Skip();
    }

    void ReadBytesForm(const std::string &what, std::string &bytes)
    {
        std::array<Field, 2> fields{{{"text", Field::Text, false}, {"hex", Field::Hex, false}}};
        const size_t at = cursor_.Offset();
        ReadFields(what, fields, true);
        if (fields[0].present == fields[1].present)
            cursor_.FailAt(at, what + " must be {\"text\": ...} or {\"hex\": ...}");
        bytes = fields[0].present ? fields[0].text : fields[1].text;
    }

    template <size_t N> void ReadFields(const std::string &what, std::array<Field, N> &fields, bool zeroInText = false)
    {
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail(what + " must be an object");
        const size_t start = cursor_.Offset();
        cursor_.BeginObject();
        bool first = true;
        while (cursor_.NextMember(first)) {
            const size_t at = cursor_.Offset();
            const std::string key(cursor_.Key(scratch_));
            Field *field = nullptr;
            for (Field &candidate : fields) {
                if (candidate.key == key)
                    field = &candidate;
            }
            if (!field)
                cursor_.FailAt(at, what + " has no member " + Quoted(key));
            if (field->present)
                cursor_.FailAt(at, "member " + Quoted(key) + " is given twice");
            field->present = true;
            const std::string label = "\"" + key + "\" of " + what;
            if (field->type == Field::Number) {
                field->number = Number(label, field->min, field->max);
            } else {
                const size_t textAt = cursor_.Offset();
                const std::string_view text = Text(label, zeroInText);
                if (field->type == Field::Hex)
                    Hex(text, field->text, textAt);
                else
                    field->text.assign(text);
            }
        }
        for (const Field &field : fields) {
            if (field.required && !field.present)
                cursor_.FailAt(start, what + " needs " + Quoted(field.key));
        }
    }

    // ---- faults

    void ReadFaults(DirectoryTree &tree)
    {
        enum { Function, Result, Object, Attribute, From, EmptyBatch };
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail("\"faults\" must be an array");
        cursor_.BeginArray();
        bool first = true;
        for (size_t number = 1; cursor_.NextItem(first); ++number) {
            section_ = "fault " + std::to_string(number);
            const size_t start = cursor_.Offset();
            if (cursor_.Peek() != JsonCursor::Kind::Object)
                cursor_.Fail("a fault must be an object");
            DirectoryFault fault;
            fault.tree = QString::fromStdString(tree.name);
            std::optional<ClientFunction> function;
            static constexpr std::string_view Keys[] = {"function",  "result", "object",
                                                        "attribute", "from",   "emptyBatch"};
            Members members(cursor_, Keys);
            for (int member; (member = members.Next()) >= 0;) {
                switch (member) {
                case Function: {
                    const size_t at = cursor_.Offset();
                    const std::string_view name = Text("the function");
                    function = ClientFunctionByName(name);
                    if (!function)
                        cursor_.FailAt(at, Quoted(name) + " is not a function of the directory client");
                    fault.function = QString::fromUtf8(name.data(), qsizetype(name.size()));
                    break;
                }
                case Result:
                    fault.result = int32_t(Number("the result", INT32_MIN, INT32_MAX));
                    break;
                case Object: {
                    const std::string_view name = Text("the object");
                    fault.object = QString::fromUtf8(name.data(), qsizetype(name.size()));
                    break;
                }
                case Attribute: {
                    const std::string_view name = Text("the attribute");
                    fault.attribute = QString::fromUtf8(name.data(), qsizetype(name.size()));
                    break;
                }
                case From:
                    fault.from = uint32_t(Number("\"from\"", 1, UINT32_MAX));
                    break;
                case EmptyBatch:
                    if (cursor_.Peek() != JsonCursor::Kind::Boolean)
                        cursor_.Fail("\"emptyBatch\" must be true or false");
                    fault.emptyBatch = cursor_.Boolean();
                    break;
                }
            }
            if (!function)
                cursor_.FailAt(start, "the fault has no \"function\"");
            if (fault.emptyBatch && !ReturnsBatches(*function))
                cursor_.FailAt(start, "an empty batch needs a function that reads in batches");
            if (fault.emptyBatch && members.Seen(Result))
                cursor_.FailAt(start, "a fault has either \"result\" or \"emptyBatch\"");
            if (!fault.emptyBatch && !members.Seen(Result))
                cursor_.FailAt(start, "the fault has no \"result\"");
            tree.faults.push_back(std::move(fault));
        }
        section_.clear();
    }

    JsonCursor cursor_;
    QString fileName_;
    std::unique_ptr<DirectoryModel> model_;
    std::string scratch_;
    std::string block_;
    std::vector<uint32_t> seenAttributes_;
    // The place being read.
    std::string tree_;
    std::vector<std::string_view> path_;
    size_t unnamedObject_ = 0;
    std::string section_;
    std::string attribute_;
};

} // namespace

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadBytes(const QByteArray &json, const QString &fileName,
                                                               QString *error)
{
    std::string_view text(json.constData(), size_t(json.size()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return Loader(text, fileName).Run(error);
}

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: the file cannot be opened: %2").arg(path, file.errorString());
        return nullptr;
    }
    // Large files are mapped rather than copied.
    const qint64 size = file.size();
    if (size > 0) {
        if (uchar *mapped = file.map(0, size)) {
            const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size));
            return ReadBytes(bytes, path, error);
        }
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: the file cannot be read: %2").arg(path, file.errorString());
        return nullptr;
    }
    return ReadBytes(bytes, path, error);
}

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadDemo(QString *error)
{
    InitDemoResource();
    return ReadFile(QStringLiteral(":/demo-directory.json"), error);
}
