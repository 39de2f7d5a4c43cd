#include "directory/simulated/DirectoryFileLoader.h"

#include "directory/client/NWClient.h"
#include "directory/simulated/FileFaultReader.h"
#include "directory/simulated/FileObjectReader.h"
#include "directory/simulated/FileSchemaReader.h"
#include "directory/simulated/JsonMembers.h"

namespace {

constexpr size_t MaxTreeNameBytes = MAX_TREE_NAME_BYTES - 1;

} // namespace

std::unique_ptr<DirectoryModel> DirectoryFileLoader::Load(QString *error)
{
    try {
        if (cursor_.Peek() == JsonCursor::Kind::End)
            cursor_.Fail("the file is empty");
        ReadDocument();
        return std::move(model_);
    } catch (const JsonCursor::Error &fault) {
        if (error) {
            std::string place = cursor_.place.Text();
            *error = QStringLiteral("%1, line %2: %3%4")
                         .arg(fileName_)
                         .arg(cursor_.LineOf(fault.offset))
                         .arg(QString::fromStdString(place.empty() ? place : place + ": "),
                              QString::fromStdString(fault.message));
        }
        return nullptr;
    }
}

void DirectoryFileLoader::ReadDocument()
{
    enum { Connections, Trees };
    size_t connectionsAt = std::string_view::npos;
    model_ = std::make_unique<DirectoryModel>();
    static constexpr std::string_view Keys[] = {"connections", "trees"};
    JsonMembers members(cursor_, Keys);
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

void DirectoryFileLoader::ReadConnections()
{
    std::string &section = cursor_.place.section;
    if (cursor_.Peek() != JsonCursor::Kind::Array)
        cursor_.Fail("\"connections\" must be an array of tree names");
    cursor_.BeginArray();
    bool first = true;
    for (size_t number = 1; cursor_.NextItem(first); ++number) {
        section = "connection " + std::to_string(number);
        const size_t at = cursor_.Offset();
        std::string name = cursor_.Name("the tree name", MaxTreeNameBytes);
        const int32_t tree = model_->FindTree(name);
        if (tree < 0)
            cursor_.FailAt(at, DirectoryFileCursor::Quoted(name) + " names no tree of the file");
        model_->connections.push_back({std::move(name), uint32_t(tree)});
    }
    section.clear();
}

void DirectoryFileLoader::ReadTrees()
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

// Members come in any order. The schema is read once the name is known, so that its
// messages name the tree, and the objects once the schema is read; a member met before
// then is skipped and read at the end, as are the faults.
void DirectoryFileLoader::ReadTree(size_t number)
{
    enum { Name_, Identity, DefaultContext, Schema, Objects, Faults };
    cursor_.place.tree = "tree " + std::to_string(number);
    const size_t start = cursor_.Offset();
    auto tree = std::make_unique<DirectoryTree>();
    size_t schemaAt = std::string_view::npos;
    size_t objectsAt = std::string_view::npos;
    size_t faultsAt = std::string_view::npos;
    size_t defaultContextAt = 0;
    std::string defaultContext;
    bool schemaRead = false;
    bool objectsRead = false;
    static constexpr std::string_view Keys[] = {"name", "identity", "defaultContext", "schema", "objects", "faults"};
    JsonMembers members(cursor_, Keys);
    for (int member; (member = members.Next()) >= 0;) {
        switch (member) {
        case Name_: {
            const size_t at = cursor_.Offset();
            tree->name = cursor_.Name("the tree name", MaxTreeNameBytes);
            if (model_->FindTree(tree->name) >= 0)
                cursor_.FailAt(at, "tree " + DirectoryFileCursor::Quoted(tree->name) + " is defined twice");
            cursor_.place.tree = "tree " + DirectoryFileCursor::Quoted(tree->name);
            break;
        }
        case Identity:
            tree->identity = std::string(cursor_.Text("the identity"));
            break;
        case DefaultContext:
            defaultContextAt = cursor_.Offset();
            defaultContext = std::string(cursor_.Text("the default context"));
            break;
        case Schema:
            schemaAt = cursor_.Offset();
            if (members.Seen(Name_)) {
                FileSchemaReader(cursor_).Read(tree->schema);
                schemaRead = true;
            } else {
                cursor_.Skip();
            }
            break;
        case Objects:
            objectsAt = cursor_.Offset();
            if (schemaRead) {
                FileObjectReader(cursor_, model_->arena).Read(*tree);
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
        FileSchemaReader(cursor_).Read(tree->schema);
    }
    if (!objectsRead) {
        cursor_.Seek(objectsAt);
        FileObjectReader(cursor_, model_->arena).Read(*tree);
    }
    if (faultsAt != std::string_view::npos) {
        cursor_.Seek(faultsAt);
        FileFaultReader(cursor_).Read(*tree);
    }
    if (members.Seen(DefaultContext)) {
        const int64_t object = tree->Resolve(defaultContext);
        if (object < 0)
            cursor_.FailAt(defaultContextAt, "the default context " + DirectoryFileCursor::Quoted(defaultContext) +
                                                 " names no object of the tree");
        tree->defaultContext = uint32_t(object);
    }
    cursor_.Seek(end);
    tree->IndexChildren();
    model_->trees.push_back(std::move(tree));
    cursor_.place.tree.clear();
}
