#pragma once

#include "directory/client/ClientBuffers.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The base of a client: the buffer calls (ClientBuffers) and the table of contexts with
// the context calls, alike for every client. A context is on one tree of the
// connection scan and holds its flag word, its confidence and its name context, which
// the client keeps as NameContext: what stands for a container in that client (its
// value-initialised NameContext stands for the top of the tree).
//
// - A new context is on the primary tree at its default context, with typed names
//   (DCV_CANONICALIZE_NAMES) and confidence 0; a duplicate copies every key.
// - Keys 1 and 2 take a uint32_t; keys 3 and 11 a text of at most MAX_DN_BYTES with its
//   terminator (a longer one is ERR_INVALID_REQUEST). Setting the name context resolves
//   the text (ResolveNameContext); setting the tree moves the name context to its top.
// - Handles count from 1; ERR_CONTEXT_CREATION is never one; freed handles are used again.
//
// The client says what differs: the primary tree and the tree names, the default name
// context of a tree, and how a name context reads and resolves.
template <class NameContext> class ClientBase : public ClientBuffers
{
public:
    NWDSContextHandle NWDSCreateContext() override;
    NWDSCCODE NWDSFreeContext(NWDSContextHandle context) override;
    NWDSCCODE NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *destination) override;
    NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void *value) override;
    NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void *value) override;

protected:
    struct Context {
        bool open = false;
        uint32_t tree = 0;
        uint32_t flags = 0;
        uint32_t confidence = 0;
        NameContext nameContext{};
    };

    using ClientBuffers::ClientBuffers;

    virtual uint32_t PrimaryTree() const = 0;
    virtual NameContext DefaultNameContext(uint32_t tree) = 0;
    // The tree's name as the connection scan gives it, and the tree of a name (any letter
    // case), -1 for none.
    virtual std::string TreeName(uint32_t tree) const = 0;
    virtual int32_t FindTree(std::string_view name) const = 0;
    // The context's name context as handed out (typed or typeless as it asks), copied to
    // area of size bytes.
    virtual NWDSCCODE CopyNameContext(const Context &context, char *area, size_t size) = 0;
    // The name context a dotted name stands for in the tree; a directory error when none.
    virtual NWDSCCODE ResolveNameContext(uint32_t tree, std::string_view name, NameContext &found) = 0;

    const Context *Find(NWDSContextHandle handle) const
    {
        if (handle <= 0 || size_t(handle) > contexts_.size())
            return nullptr;
        const Context &context = contexts_[size_t(handle) - 1];
        return context.open ? &context : nullptr;
    }
    Context *Find(NWDSContextHandle handle)
    {
        return const_cast<Context *>(static_cast<const ClientBase *>(this)->Find(handle));
    }
    bool Opened(NWDSContextHandle context) const override { return Find(context) != nullptr; }
    int32_t TreeIndexOf(NWDSContextHandle handle) const override
    {
        const Context *context = Find(handle);
        return context ? int32_t(context->tree) : -1;
    }
    static bool Typeless(const Context &context) { return (context.flags & DCV_TYPELESS_NAMES) != 0; }
    // Injected for a call on handle, else ERR_BAD_CONTEXT when handle is no open
    // context, else 0 with the context in found.
    NWDSCCODE OpenFor(ClientFunction function, NWDSContextHandle handle, Context *&found)
    {
        if (const auto injected = Injected(function, {TreeIndexOf(handle), nullptr, -1, std::nullopt}))
            return *injected;
        found = Find(handle);
        return found ? 0 : ERR_BAD_CONTEXT;
    }
    // Every open context, for a client whose trees change under them.
    std::vector<Context> &Contexts() { return contexts_; }

private:
    // A text handed to a key of the context.
    static bool ReadKeyText(const void *value, std::string_view &text)
    {
        const char *chars = static_cast<const char *>(value);
        const size_t size = strnlen(chars, MAX_DN_BYTES);
        if (size == MAX_DN_BYTES)
            return false;
        text = {chars, size};
        return true;
    }
    NWDSContextHandle OpenContext(const Context &settings);

    std::vector<Context> contexts_; // handle = index + 1
    std::vector<uint32_t> freeContexts_;
};

template <class NameContext> NWDSContextHandle ClientBase<NameContext>::OpenContext(const Context &settings)
{
    // The handle NWDSCreateContext returns on failure is never a context.
    constexpr size_t UnusableSlot = size_t(ERR_CONTEXT_CREATION) - 1;
    size_t slot = 0;
    if (!freeContexts_.empty()) {
        slot = freeContexts_.back();
        freeContexts_.pop_back();
    } else {
        if (contexts_.size() == UnusableSlot)
            contexts_.emplace_back(); // stays closed for good
        slot = contexts_.size();
        contexts_.emplace_back();
    }
    contexts_[slot] = settings;
    contexts_[slot].open = true;
    return NWDSContextHandle(slot + 1);
}

template <class NameContext> NWDSContextHandle ClientBase<NameContext>::NWDSCreateContext()
{
    if (const auto injected = Injected(ClientFunction::NWDSCreateContext, {}))
        return *injected;
    Context settings;
    settings.tree = PrimaryTree();
    settings.flags = DCV_CANONICALIZE_NAMES;
    settings.nameContext = DefaultNameContext(settings.tree);
    return OpenContext(settings);
}

template <class NameContext> NWDSCCODE ClientBase<NameContext>::NWDSFreeContext(NWDSContextHandle context)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSFreeContext, context, found); result != 0)
        return result;
    *found = Context{};
    freeContexts_.push_back(uint32_t(context - 1));
    return 0;
}

template <class NameContext>
NWDSCCODE ClientBase<NameContext>::NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *destination)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSDuplicateContextHandle, source, found); result != 0)
        return result;
    if (!destination)
        return ERR_INVALID_REQUEST;
    const Context copy = *found;
    *destination = OpenContext(copy);
    return 0;
}

template <class NameContext>
NWDSCCODE ClientBase<NameContext>::NWDSGetContext(NWDSContextHandle context, int key, void *value)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSGetContext, context, found); result != 0)
        return result;
    if (!value)
        return ERR_INVALID_REQUEST;
    switch (key) {
    case DCK_FLAGS:
        std::memcpy(value, &found->flags, sizeof found->flags);
        return 0;
    case DCK_CONFIDENCE:
        std::memcpy(value, &found->confidence, sizeof found->confidence);
        return 0;
    case DCK_NAME_CONTEXT:
        return CopyNameContext(*found, static_cast<char *>(value), MAX_DN_BYTES);
    case DCK_TREE_NAME:
        return CopyOut(TreeName(found->tree), static_cast<char *>(value), MAX_DN_BYTES);
    default:
        return ERR_BAD_KEY;
    }
}

template <class NameContext>
NWDSCCODE ClientBase<NameContext>::NWDSSetContext(NWDSContextHandle context, int key, const void *value)
{
    CallSite site{TreeIndexOf(context), nullptr, -1, std::nullopt};
    std::string_view text;
    if (key == DCK_NAME_CONTEXT && value && ReadKeyText(value, text))
        site.object = static_cast<const char *>(value);
    if (const auto injected = Injected(ClientFunction::NWDSSetContext, site))
        return *injected;
    Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!value)
        return ERR_INVALID_REQUEST;
    switch (key) {
    case DCK_FLAGS:
        std::memcpy(&found->flags, value, sizeof found->flags);
        return 0;
    case DCK_CONFIDENCE:
        std::memcpy(&found->confidence, value, sizeof found->confidence);
        return 0;
    case DCK_NAME_CONTEXT: {
        if (!ReadKeyText(value, text))
            return ERR_INVALID_REQUEST;
        NameContext resolved{};
        if (const NWDSCCODE result = ResolveNameContext(found->tree, text, resolved); result != 0)
            return result;
        found->nameContext = std::move(resolved);
        return 0;
    }
    case DCK_TREE_NAME: {
        if (!ReadKeyText(value, text))
            return ERR_INVALID_REQUEST;
        const int32_t tree = FindTree(text);
        if (tree < 0)
            return ERR_CONNECTION_UNKNOWN;
        found->tree = uint32_t(tree);
        found->nameContext = NameContext{};
        return 0;
    }
    default:
        return ERR_BAD_KEY;
    }
}
