#pragma once

#include "directory/client/ByteArena.h"
#include "directory/simulated/DirectoryTree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A whole simulated directory as a directory file describes it: its trees, the
// workstation's connections to them, and the arena that holds the objects' texts.
// Built by DirectoryFileReader; read-only afterwards.
class DirectoryModel
{
public:
    struct Connection {
        std::string name; // as the connection scan returns it, padding included
        uint32_t tree = 0;
    };

    // The tree of that name, without regard to case and to trailing underscores, or -1.
    int32_t FindTree(std::string_view name) const;

    // The name without its trailing underscores, keeping at least one character.
    static std::string_view WithoutPadding(std::string_view name);

    std::vector<std::unique_ptr<DirectoryTree>> trees;
    std::vector<Connection> connections; // the first is the primary connection
    ByteArena arena;
};
