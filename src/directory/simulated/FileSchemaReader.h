#pragma once

class DirectoryFileCursor;
class DirectorySchema;

// Reads the schema of a tree from a directory file: the attribute definitions, then the
// class definitions, whose lists may name classes defined later in the file.
class FileSchemaReader
{
public:
    explicit FileSchemaReader(DirectoryFileCursor &cursor) : cursor_(cursor) {}

    // Reads the value of "schema", which the cursor is on, into an empty schema and
    // expands its classes. A fault of the file throws JsonCursor::Error, the cursor's
    // place naming the definition read.
    void Read(DirectorySchema &schema);

private:
    void ReadAttributeDefs(DirectorySchema &schema);
    void ReadClassDefs(DirectorySchema &schema);

    DirectoryFileCursor &cursor_;
};
