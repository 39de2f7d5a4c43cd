#pragma once

class DirectoryFileCursor;
class DirectoryTree;

// Reads the faults of a tree from a directory file: the calls of the simulated client
// that fail (DirectoryFault.h).
class FileFaultReader
{
public:
    explicit FileFaultReader(DirectoryFileCursor &cursor) : cursor_(cursor) {}

    // Reads the value of "faults", which the cursor is on, adding the faults to tree,
    // whose name is already read. A fault of the file throws JsonCursor::Error, the
    // cursor's place naming the fault read.
    void Read(DirectoryTree &tree);

private:
    DirectoryFileCursor &cursor_;
};
