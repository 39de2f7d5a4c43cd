#include "SimulatedClient.h"

#include "CaseFold.h"
#include "DirectoryBuffer.h"
#include "DirectoryFileReader.h"
#include "DirectoryName.h"
#include "ValuePacking.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Operation of a request naming attributes whose definitions are read.
constexpr uint32_t DSV_READ_ATTR_DEF = 12;
// Information types of schema reads besides those the interface names.
constexpr uint32_t DS_CLASS_DEFS = 1;
constexpr uint32_t DS_INFO_CLASS_DEFS = 3;
// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;
// The handle NWDSCreateContext returns on failure is never a context.
constexpr size_t UnusableSlot = size_t(ERR_CONTEXT_CREATION) - 1;
// Containers whose names are kept resolved.
constexpr size_t ResolvedContainerCount = 65536;
// Freed buffer storage kept for reuse: a reader holds a request and a result buffer,
// and every level of a listing one more.
constexpr size_t SpareStorageCount = 8;

constexpr const char *NoObject = "\x02";

NWDSCCODE CopyOut(std::string_view text, char *area, size_t size)
{
    if (!area)
        return ERR_INVALID_REQUEST;
    if (text.size() >= size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(area, text.data(), text.size());
    area[text.size()] = '\0';
    return 0;
}

// A text handed to a key of the context: at most MAX_DN_BYTES, terminator included.
bool ReadKeyText(const void *value, std::string_view &text)
{
    const char *chars = static_cast<const char *>(value);
    const size_t size = strnlen(chars, MAX_DN_BYTES);
    if (size == MAX_DN_BYTES)
        return false;
    text = {chars, size};
    return true;
}

uint32_t ReadU32(const uint8_t *at)
{
    uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void WriteU32(uint8_t *&at, uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

void WriteText(uint8_t *&at, std::string_view text)
{
    const uint16_t size = uint16_t(text.size());
    std::memcpy(at, &size, sizeof size);
    at += sizeof size;
    std::memcpy(at, text.data(), text.size());
    at += text.size();
}

// A batch position from an iteration handle: -1 is the start; anything else must be a
// position no further than the end.
bool StartOf(int32_t handle, size_t end, size_t &position)
{
    if (handle == -1) {
        position = 0;
        return true;
    }
    if (handle < 0 || size_t(handle) > end)
        return false;
    position = size_t(handle);
    return true;
}

} // namespace

SimulatedClient::SimulatedClient(std::unique_ptr<DirectoryModel> model)
{
    Adopt(std::move(model));
}

SimulatedClient::~SimulatedClient() = default;

std::unique_ptr<SimulatedClient> SimulatedClient::FromFile(const QString &path, QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadFile(path, error);
    return model ? std::make_unique<SimulatedClient>(std::move(model)) : nullptr;
}

std::unique_ptr<SimulatedClient> SimulatedClient::FromBytes(const QByteArray &json, const QString &fileName,
                                                            QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadBytes(json, fileName, error);
    return model ? std::make_unique<SimulatedClient>(std::move(model)) : nullptr;
}

std::unique_ptr<SimulatedClient> SimulatedClient::FromDemo(QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadDemo(error);
    return model ? std::make_unique<SimulatedClient>(std::move(model)) : nullptr;
}

bool SimulatedClient::Load(const QString &path, QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadFile(path, error);
    if (!model)
        return false;
    Adopt(std::move(model));
    return true;
}

bool SimulatedClient::LoadBytes(const QByteArray &json, const QString &fileName, QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadBytes(json, fileName, error);
    if (!model)
        return false;
    Adopt(std::move(model));
    return true;
}

bool SimulatedClient::LoadDemo(QString *error)
{
    std::unique_ptr<DirectoryModel> model = DirectoryFileReader::ReadDemo(error);
    if (!model)
        return false;
    Adopt(std::move(model));
    return true;
}

void SimulatedClient::Adopt(std::unique_ptr<DirectoryModel> model)
{
    model_ = std::move(model);
    for (ResolvedName &entry : resolved_)
        entry = ResolvedName{};
    containers_.clear();
    faults_.Clear();
    for (const auto &tree : model_->trees) {
        for (const DirectoryFault &fault : tree->faults)
            faults_.Add(fault, *model_, nullptr);
    }
    const uint32_t tree = PrimaryTree();
    for (Context &context : contexts_) {
        context.tree = tree;
        context.nameContext = model_->trees[tree]->defaultContext;
    }
}

bool SimulatedClient::AddFault(const DirectoryFault &fault, QString *error)
{
    return faults_.Add(fault, *model_, error);
}

void SimulatedClient::ClearFaults()
{
    faults_.Clear();
}

uint32_t SimulatedClient::PrimaryTree() const
{
    return model_->connections.empty() ? 0 : model_->connections.front().tree;
}

SimulatedClient::Context *SimulatedClient::Find(NWDSContextHandle handle)
{
    if (handle <= 0 || size_t(handle) > contexts_.size())
        return nullptr;
    Context &context = contexts_[size_t(handle) - 1];
    return context.open ? &context : nullptr;
}

int32_t SimulatedClient::TreeIndexOf(NWDSContextHandle handle)
{
    const Context *context = Find(handle);
    return context ? int32_t(context->tree) : -1;
}

NWDSContextHandle SimulatedClient::OpenContext(const Context &settings)
{
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

template <class HasAttribute>
std::optional<FaultTable::Outcome> SimulatedClient::Fault(ClientFunction function, int32_t tree, const char *object,
                                                          int64_t objectIndex, HasAttribute hasAttribute)
{
    if (faults_.None(function))
        return std::nullopt;
    const auto objectKey = [&]() -> std::string {
        if (object)
            return DirectoryName::Key(object);
        // A buffer filled before another directory was loaded may name what is gone.
        if (tree >= 0 && size_t(tree) < model_->trees.size() && objectIndex >= 0 &&
            size_t(objectIndex) < model_->trees[size_t(tree)]->objects.size())
            return DirectoryName::Key(model_->trees[size_t(tree)]->FullName(uint32_t(objectIndex)));
        return NoObject;
    };
    return faults_.Match(function, tree, objectKey, hasAttribute);
}

NWDSCCODE SimulatedClient::CheckBuffer(NWDSContextHandle context, const Buf_T *buffer,
                                       std::initializer_list<Buf_T::Content> contents)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    for (const Buf_T::Content content : contents) {
        if (buffer->content == content)
            return 0;
    }
    return ERR_BAD_VERB;
}

int64_t SimulatedClient::Resolve(uint32_t tree, std::string_view name)
{
    for (const ResolvedName &entry : resolved_) {
        if (entry.used && entry.tree == tree && entry.name == name)
            return entry.object;
    }
    ResolvedName &entry = resolved_[nextResolved_];
    nextResolved_ = (nextResolved_ + 1) % resolved_.size();
    entry.used = true;
    entry.tree = tree;
    entry.name.assign(name);
    entry.object = ResolveInContainer(tree, name);
    return entry.object;
}

int64_t SimulatedClient::ResolveInContainer(uint32_t tree, std::string_view name)
{
    const DirectoryTree &directoryTree = *model_->trees[tree];
    std::string_view rest = name;
    if (!rest.empty() && rest.front() == '.')
        rest.remove_prefix(1);
    const size_t dot = DirectoryName::FirstDot(rest);
    // Names with an empty part, with one part, or too long to have all their parts
    // counted, take the whole way.
    if (name.size() > DirectoryName::MaxNameBytes || dot == 0 || dot == std::string_view::npos ||
        dot + 1 == rest.size() || rest[dot + 1] == '.')
        return directoryTree.Resolve(name);
    const std::string_view leaf = rest.substr(0, dot);
    rest.remove_prefix(dot + 1);
    containerKey_.assign(reinterpret_cast<const char *>(&tree), sizeof tree);
    containerKey_.append(rest);
    int64_t container = 0;
    if (const auto known = containers_.find(containerKey_); known != containers_.end()) {
        container = known->second;
    } else {
        container = directoryTree.Resolve(rest);
        if (containers_.size() >= ResolvedContainerCount)
            containers_.clear();
        containers_.emplace(containerKey_, container);
    }
    return container < 0 ? -1 : directoryTree.ResolvePart(uint32_t(container), leaf);
}

void SimulatedClient::AttributesOf(const DirectoryObject &object, std::vector<AttributeRef> &attributes)
{
    attributes.clear();
    const uint8_t *at = object.values;
    const uint8_t *end = at + object.valuesSize;
    while (at && end - at >= 12) {
        AttributeRef attribute;
        attribute.id = ReadU32(at);
        attribute.count = ReadU32(at + 4);
        attribute.size = ReadU32(at + 8);
        attribute.values = at + 12;
        attributes.push_back(attribute);
        at += 12 + attribute.size;
    }
}

// ---- start and contexts

NWDSCCODE SimulatedClient::NWCallsInit(void *, void *)
{
    if (const auto fault = Fault(ClientFunction::NWCallsInit, -1))
        return fault->result;
    return 0;
}

NWDSContextHandle SimulatedClient::NWDSCreateContext()
{
    if (const auto fault = Fault(ClientFunction::NWDSCreateContext, -1))
        return fault->result;
    Context settings;
    settings.tree = PrimaryTree();
    settings.flags = DCV_CANONICALIZE_NAMES;
    settings.nameContext = model_->trees[settings.tree]->defaultContext;
    return OpenContext(settings);
}

NWDSCCODE SimulatedClient::NWDSFreeContext(NWDSContextHandle context)
{
    if (const auto fault = Fault(ClientFunction::NWDSFreeContext, TreeIndexOf(context)))
        return fault->result;
    Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    found->open = false;
    freeContexts_.push_back(uint32_t(context - 1));
    return 0;
}

NWDSCCODE SimulatedClient::NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *destination)
{
    if (const auto fault = Fault(ClientFunction::NWDSDuplicateContextHandle, TreeIndexOf(source)))
        return fault->result;
    const Context *found = Find(source);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!destination)
        return ERR_INVALID_REQUEST;
    const Context copy = *found;
    *destination = OpenContext(copy);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetContext(NWDSContextHandle context, int key, void *value)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetContext, TreeIndexOf(context)))
        return fault->result;
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
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
        name_.clear();
        TreeOf(*found).AppendName(name_, found->nameContext, DirectoryTree::Top, Typeless(*found));
        return CopyOut(name_, static_cast<char *>(value), MAX_DN_BYTES);
    case DCK_TREE_NAME:
        return CopyOut(TreeOf(*found).name, static_cast<char *>(value), MAX_DN_BYTES);
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE SimulatedClient::NWDSSetContext(NWDSContextHandle context, int key, const void *value)
{
    const char *object = key == DCK_NAME_CONTEXT && value ? static_cast<const char *>(value) : nullptr;
    if (!faults_.None(ClientFunction::NWDSSetContext)) {
        std::string_view name;
        if (object && !ReadKeyText(object, name))
            object = nullptr;
        if (const auto fault = Fault(ClientFunction::NWDSSetContext, TreeIndexOf(context), object))
            return fault->result;
    }
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
        std::string_view name;
        if (!ReadKeyText(value, name))
            return ERR_INVALID_REQUEST;
        const int64_t object = Resolve(found->tree, name);
        if (object < 0)
            return ERR_NO_SUCH_ENTRY;
        found->nameContext = uint32_t(object);
        return 0;
    }
    case DCK_TREE_NAME: {
        std::string_view name;
        if (!ReadKeyText(value, name))
            return ERR_INVALID_REQUEST;
        const int32_t tree = model_->FindTree(name);
        if (tree < 0)
            return ERR_CONNECTION_UNKNOWN;
        found->tree = uint32_t(tree);
        found->nameContext = DirectoryTree::Top;
        return 0;
    }
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE SimulatedClient::NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size)
{
    if (const auto fault = Fault(ClientFunction::NWDSWhoAmi, TreeIndexOf(context)))
        return fault->result;
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    const DirectoryTree &tree = TreeOf(*found);
    // An identity that names an object is handed out like any name; another is
    // handed out as the file gives it.
    const int64_t object = tree.Resolve(tree.identity);
    if (object <= 0)
        return CopyOut(tree.identity, name, size);
    name_.clear();
    tree.AppendName(name_, uint32_t(object), DirectoryTree::Top, Typeless(*found));
    return CopyOut(name_, name, size);
}

NWDSCCODE SimulatedClient::NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetDefNameContext, TreeIndexOf(context)))
        return fault->result;
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    const DirectoryTree &tree = TreeOf(*found);
    name_.clear();
    tree.AppendName(name_, tree.defaultContext, DirectoryTree::Top, Typeless(*found));
    return CopyOut(name_, nameContext, size);
}

// ---- buffers

NWDSCCODE SimulatedClient::NWDSAllocBuf(size_t size, Buf_T **buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSAllocBuf, -1))
        return fault->result;
    if (!buffer || size == 0)
        return ERR_INVALID_REQUEST;
    try {
        const auto spare = std::find_if(spareStorage_.begin(), spareStorage_.end(),
                                        [size](const SpareStorage &storage) { return storage.size == size; });
        if (spare != spareStorage_.end()) {
            *buffer = new Buf_T(size, std::move(spare->bytes));
            spareStorage_.erase(spare);
        } else {
            *buffer = new Buf_T(size);
        }
    } catch (const std::bad_alloc &) {
        *buffer = nullptr;
        return ERR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

NWDSCCODE SimulatedClient::NWDSFreeBuf(Buf_T *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSFreeBuf, -1))
        return fault->result;
    if (buffer && buffer->Size() > 0 && spareStorage_.size() < SpareStorageCount) {
        const size_t size = buffer->Size();
        spareStorage_.push_back({size, buffer->TakeStorage()});
    }
    delete buffer;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSInitBuf, TreeIndexOf(context)))
        return fault->result;
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    if (operation != DSV_READ && operation != DSV_READ_CLASS_DEF && operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    if (buffer->Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    buffer->Start(Buf_T::Content::Request, operation);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (const auto fault =
            Fault(ClientFunction::NWDSPutAttrName, TreeIndexOf(context), nullptr, -1,
                  [name](std::string_view attribute) { return name && CaseFold::Equal(name, attribute); }))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ && buffer->operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    if (!name || std::strlen(name) >= MAX_SCHEMA_NAME_BYTES)
        return ERR_INVALID_REQUEST;
    if (!buffer->PutText(name))
        return ERR_BUFFER_FULL;
    buffer->PatchU32(0, buffer->ReadU32At(0) + 1);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (const auto fault = Fault(ClientFunction::NWDSPutClassName, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ_CLASS_DEF)
        return ERR_BAD_VERB;
    if (!name || std::strlen(name) >= MAX_SCHEMA_NAME_BYTES)
        return ERR_INVALID_REQUEST;
    if (!buffer->PutText(name))
        return ERR_BUFFER_FULL;
    buffer->PatchU32(0, buffer->ReadU32At(0) + 1);
    return 0;
}

// ---- reading an object

NWDSCCODE SimulatedClient::NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                                    Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo)
{
    const Context *found = Find(context);
    const int32_t treeIndex = found ? int32_t(found->tree) : -1;
    if (!faults_.None(ClientFunction::NWDSRead)) {
        const auto hasAttribute = [&](std::string_view attribute) {
            if (!allAttrs) {
                size_t offset = 0;
                std::string_view name;
                while (attrNames && attrNames->content == Buf_T::Content::Request &&
                       attrNames->NextName(offset, name)) {
                    if (CaseFold::Equal(name, attribute))
                        return true;
                }
                return false;
            }
            if (!found || !object)
                return false;
            const DirectoryTree &tree = TreeOf(*found);
            const int64_t index = Resolve(found->tree, object);
            const int32_t id = tree.schema.FindAttribute(attribute);
            if (index <= 0 || id < 0)
                return false;
            AttributesOf(tree.objects[size_t(index)], attributes_);
            for (const AttributeRef &present : attributes_) {
                if (present.id == uint32_t(id))
                    return true;
            }
            return false;
        };
        if (const auto fault = Fault(ClientFunction::NWDSRead, treeIndex, object, -1, hasAttribute)) {
            if (!fault->emptyBatch)
                return fault->result;
            if (!iterationHandle || !objectInfo)
                return ERR_INVALID_REQUEST;
            objectInfo->Start(infoType == DS_ATTRIBUTE_NAMES ? Buf_T::Content::AttributeNames
                                                             : Buf_T::Content::AttributeValues);
            if (*iterationHandle == -1)
                *iterationHandle = 0;
            return 0;
        }
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !objectInfo || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    if (!allAttrs && (attrNames->content != Buf_T::Content::Request || attrNames->operation != DSV_READ))
        return ERR_BAD_VERB;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t index = Resolve(found->tree, object);
    if (index <= 0)
        return ERR_NO_SUCH_ENTRY;

    AttributesOf(tree.objects[size_t(index)], attributes_);
    const std::vector<AttributeRef> *chosen = &attributes_;
    if (!allAttrs) {
        std::vector<AttributeRef> &selected = selected_;
        selected.clear();
        size_t offset = 0;
        std::string_view name;
        bool asked = false;
        while (attrNames->NextName(offset, name)) {
            asked = true;
            const int32_t id = tree.schema.FindAttribute(name);
            for (const AttributeRef &attribute : attributes_) {
                if (attribute.id == uint32_t(id))
                    selected.push_back(attribute);
            }
        }
        if (asked && selected.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
        chosen = &selected;
    }
    const std::vector<AttributeRef> &attributes = *chosen;

    const bool withValues = infoType == DS_ATTRIBUTE_VALUES;
    size_t total = 0;
    for (const AttributeRef &attribute : attributes)
        total += withValues ? attribute.count : 1;
    size_t position = 0;
    if (!StartOf(*iterationHandle, total, position))
        return ERR_INVALID_HANDLE;

    Buf_T &out = *objectInfo;
    out.Start(withValues ? Buf_T::Content::AttributeValues : Buf_T::Content::AttributeNames);
    out.tree = treeIndex;
    out.object = index;
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    // Find the attribute and the value the batch starts with.
    size_t first = 0;
    size_t skip = position;
    while (first < attributes.size() && skip >= (withValues ? attributes[first].count : 1)) {
        skip -= withValues ? attributes[first].count : 1;
        ++first;
    }
    for (size_t a = first; a < attributes.size(); ++a, skip = 0) {
        const AttributeRef &attribute = attributes[a];
        const DirectorySchema::Attribute &definition = tree.schema.Attributes()[attribute.id];
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(definition.name) || !out.PutU32(definition.syntax) ||
            !out.PutU32(0)) {
            out.DropEntry(mark);
            break;
        }
        if (!withValues) {
            out.EndEntry(mark);
            ++position;
            continue;
        }
        const size_t countAt = out.Length() - sizeof(uint32_t);
        const uint8_t *value = attribute.values;
        for (size_t v = 0; v < skip; ++v)
            value += sizeof(uint32_t) + ReadU32(value);
        uint32_t written = 0;
        for (size_t v = skip; v < attribute.count; ++v) {
            const uint32_t size = ReadU32(value);
            const size_t carried = ValuePacking::CarriedSize(definition.syntax, size);
            uint8_t *at = out.Append(sizeof(uint32_t) + carried);
            if (!at)
                break;
            WriteU32(at, uint32_t(carried));
            std::memcpy(at, value + sizeof(uint32_t), carried);
            value += sizeof(uint32_t) + size;
            ++written;
        }
        if (written == 0) {
            out.DropEntry(mark);
            break;
        }
        out.PatchU32(countAt, written);
        out.EndEntry(mark);
        position += written;
        if (skip + written < attribute.count)
            break;
    }
    if (position < total && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < total ? int32_t(position) : -1;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer) {
        if (const auto fault = Fault(ClientFunction::NWDSGetAttrCount, TreeIndexOf(context), nullptr, buffer->object))
            return fault->result;
    }
    if (const NWDSCCODE result = CheckBuffer(
            context, buffer,
            {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues, Buf_T::Content::AttributeDefinitions});
        result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                           uint32_t *valueCount, uint32_t *syntaxID)
{
    if (const NWDSCCODE result =
            CheckBuffer(context, buffer, {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues});
        result != 0)
        return result;
    std::string_view attribute;
    uint32_t syntax = 0;
    uint32_t count = 0;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(syntax) || !buffer->GetU32(count))
        return ERR_BUFFER_EMPTY;
    buffer->itemAttribute = attribute;
    buffer->itemSyntax = syntax;
    buffer->itemsLeft = count;
    if (const auto fault = Fault(ClientFunction::NWDSGetAttrName, buffer->tree, nullptr, buffer->object,
                                 [attribute](std::string_view wanted) { return CaseFold::Equal(attribute, wanted); }))
        return fault->result;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (valueCount)
        *valueCount = count;
    if (syntaxID)
        *syntaxID = syntax;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                                                  size_t *size)
{
    if (buffer) {
        const std::string_view attribute = buffer->itemAttribute;
        if (const auto fault =
                Fault(ClientFunction::NWDSComputeAttrValSize, TreeIndexOf(context), nullptr, buffer->object,
                      [attribute](std::string_view wanted) { return CaseFold::Equal(attribute, wanted); }))
            return fault->result;
    }
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeValues}); result != 0)
        return result;
    if (!size)
        return ERR_INVALID_REQUEST;
    if (buffer->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != buffer->itemSyntax)
        return ERR_BAD_SYNTAX;
    const size_t cursor = buffer->Cursor();
    uint32_t carried = 0;
    const uint8_t *value = nullptr;
    const bool read = buffer->GetU32(carried) && buffer->GetBytes(carried, value);
    buffer->SetCursor(cursor);
    if (!read)
        return ERR_BUFFER_EMPTY;
    const int64_t recordSize = ValuePacking::RecordSize(syntaxID, value, carried);
    if (recordSize < 0)
        return ERR_BAD_SYNTAX;
    *size = size_t(recordSize);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value)
{
    if (buffer) {
        const std::string_view attribute = buffer->itemAttribute;
        if (const auto fault =
                Fault(ClientFunction::NWDSGetAttrVal, TreeIndexOf(context), nullptr, buffer->object,
                      [attribute](std::string_view wanted) { return CaseFold::Equal(attribute, wanted); }))
            return fault->result;
    }
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeValues}); result != 0)
        return result;
    if (!value)
        return ERR_INVALID_REQUEST;
    if (buffer->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != buffer->itemSyntax)
        return ERR_BAD_SYNTAX;
    uint32_t carried = 0;
    const uint8_t *bytes = nullptr;
    if (!buffer->GetU32(carried) || !buffer->GetBytes(carried, bytes))
        return ERR_BUFFER_EMPTY;
    --buffer->itemsLeft;
    return ValuePacking::WriteRecord(syntaxID, bytes, carried, value) ? 0 : ERR_BAD_SYNTAX;
}

NWDSCCODE SimulatedClient::NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute,
                                          uint32_t flags, int *fileHandle)
{
    if (const auto fault =
            Fault(ClientFunction::NWDSOpenStream, TreeIndexOf(context), object, -1,
                  [attribute](std::string_view wanted) { return attribute && CaseFold::Equal(attribute, wanted); }))
        return fault->result;
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !attribute || !fileHandle || (flags & DS_WRITE_STREAM))
        return ERR_INVALID_REQUEST;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t index = Resolve(found->tree, object);
    if (index <= 0)
        return ERR_NO_SUCH_ENTRY;
    const int32_t id = tree.schema.FindAttribute(attribute);
    if (id < 0)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (tree.schema.Attributes()[size_t(id)].syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    std::string_view content;
    bool present = false;
    AttributesOf(tree.objects[size_t(index)], attributes_);
    for (const AttributeRef &stored : attributes_) {
        if (stored.id == uint32_t(id) && stored.count > 0) {
            content = ValuePacking::StreamContent(stored.values + sizeof(uint32_t), ReadU32(stored.values));
            present = true;
        }
    }
    if (!present)
        return ERR_NO_SUCH_ATTRIBUTE;
    const int fd = memfd_create("veltrane-stream", MFD_CLOEXEC);
    if (fd < 0)
        return ERR_NOT_ENOUGH_MEMORY;
    for (size_t written = 0; written < content.size();) {
        const ssize_t count = write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            close(fd);
            return ERR_NOT_ENOUGH_MEMORY;
        }
        written += size_t(count);
    }
    if (lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return ERR_NOT_ENOUGH_MEMORY;
    }
    *fileHandle = fd;
    return 0;
}

// ---- listings

NWDSCCODE SimulatedClient::NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                    Buf_T *subordinates)
{
    return List(ClientFunction::NWDSList, context, object, iterationHandle, subordinates, false);
}

NWDSCCODE SimulatedClient::NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                              Buf_T *subordinates)
{
    return List(ClientFunction::NWDSListContainers, context, object, iterationHandle, subordinates, true);
}

NWDSCCODE SimulatedClient::List(ClientFunction function, NWDSContextHandle context, const char *object,
                                int32_t *iterationHandle, Buf_T *subordinates, bool containersOnly)
{
    const Context *found = Find(context);
    if (!faults_.None(function)) {
        if (const auto fault = Fault(function, found ? int32_t(found->tree) : -1, object)) {
            if (!fault->emptyBatch)
                return fault->result;
            if (!iterationHandle || !subordinates)
                return ERR_INVALID_REQUEST;
            subordinates->Start(Buf_T::Content::Entries);
            if (*iterationHandle == -1)
                *iterationHandle = 0;
            return 0;
        }
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !subordinates)
        return ERR_INVALID_REQUEST;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t listed = Resolve(found->tree, object);
    if (listed < 0)
        return ERR_NO_SUCH_ENTRY;
    const std::span<const uint32_t> children = tree.Children(uint32_t(listed));
    size_t position = 0;
    if (!StartOf(*iterationHandle, children.size(), position))
        return ERR_INVALID_HANDLE;

    Buf_T &out = *subordinates;
    out.Start(Buf_T::Content::Entries);
    out.tree = int32_t(found->tree);
    out.object = listed;
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    const bool typeless = Typeless(*found);
    // The usual case: entries relative to the listed container are their leaf names.
    const bool leafNames = found->nameContext == uint32_t(listed);
    const auto &classes = tree.schema.Classes();
    uint32_t entries = 0;
    for (; position < children.size(); ++position) {
        const uint32_t child = children[position];
        const DirectoryObject &entry = tree.objects[child];
        const DirectorySchema::Class &definition = classes[entry.classId];
        const bool container = (definition.flags & DS_CONTAINER_CLASS) != 0;
        if (containersOnly && !container)
            continue;
        std::string_view name;
        if (leafNames) {
            name = typeless ? entry.Value() : entry.Rdn();
        } else {
            name_.clear();
            tree.AppendName(name_, child, found->nameContext, typeless);
            name = name_;
        }
        const size_t size = 6 * sizeof(uint32_t) + 2 * sizeof(uint16_t) + name.size() + definition.name.size();
        uint8_t *at = out.Append(size);
        if (!at)
            break;
        WriteU32(at, uint32_t(size - sizeof(uint32_t)));
        WriteU32(at, child);
        WriteU32(at, container ? DS_CONTAINER_ENTRY : 0);
        WriteU32(at, uint32_t(tree.Children(child).size()));
        WriteU32(at, 0);
        WriteU32(at, entry.attributeCount);
        WriteText(at, name);
        WriteText(at, definition.name);
        ++entries;
    }
    out.PatchU32(0, entries);
    if (position < children.size() && entries == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < children.size() ? int32_t(position) : -1;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetObjectCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer && !faults_.None(ClientFunction::NWDSGetObjectCount)) {
        if (const auto fault = Fault(ClientFunction::NWDSGetObjectCount, TreeIndexOf(context), nullptr, buffer->object))
            return fault->result;
    }
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Entries}); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetObjectName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                             uint32_t *attrCount, Object_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Entries}); result != 0)
        return result;
    uint32_t object = 0;
    uint32_t flags = 0;
    uint32_t subordinates = 0;
    uint32_t modified = 0;
    uint32_t attributes = 0;
    std::string_view entryName;
    std::string_view className;
    if (!buffer->NextEntry() || !buffer->GetU32(object) || !buffer->GetU32(flags) || !buffer->GetU32(subordinates) ||
        !buffer->GetU32(modified) || !buffer->GetU32(attributes) || !buffer->GetText(entryName) ||
        !buffer->GetText(className))
        return ERR_BUFFER_EMPTY;
    if (!faults_.None(ClientFunction::NWDSGetObjectName)) {
        if (const auto fault = Fault(ClientFunction::NWDSGetObjectName, buffer->tree, nullptr, object))
            return fault->result;
    }
    if (const NWDSCCODE result = CopyOut(entryName, name, size); result != 0)
        return result;
    if (attrCount)
        *attrCount = attributes;
    if (info) {
        info->EntryFlags = flags;
        info->SubordinateCount = subordinates;
        info->ModificationTime = modified;
        const size_t length = std::min(className.size(), sizeof info->BaseClass - 1);
        std::memcpy(info->BaseClass, className.data(), length);
        info->BaseClass[length] = '\0';
    }
    return 0;
}

// ---- schema

NWDSCCODE SimulatedClient::NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses,
                                            Buf_T *classNames, int32_t *iterationHandle, Buf_T *classDefs)
{
    const Context *found = Find(context);
    if (const auto fault = Fault(ClientFunction::NWDSReadClassDef, found ? int32_t(found->tree) : -1)) {
        if (!fault->emptyBatch)
            return fault->result;
        if (!iterationHandle || !classDefs)
            return ERR_INVALID_REQUEST;
        classDefs->Start(Buf_T::Content::ClassDefinitions, infoType);
        if (*iterationHandle == -1)
            *iterationHandle = 0;
        return 0;
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !classDefs || (!allClasses && !classNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_CLASS_DEFS && infoType != DS_EXPANDED_CLASS_DEFS && infoType != DS_INFO_CLASS_DEFS)
        return ERR_INVALID_REQUEST;
    const DirectorySchema &schema = TreeOf(*found).schema;
    std::vector<uint32_t> selected;
    if (allClasses) {
        selected.resize(schema.Classes().size());
        for (uint32_t id = 0; id < selected.size(); ++id)
            selected[id] = id;
    } else {
        if (classNames->content != Buf_T::Content::Request || classNames->operation != DSV_READ_CLASS_DEF)
            return ERR_BAD_VERB;
        size_t offset = 0;
        std::string_view name;
        while (classNames->NextName(offset, name)) {
            const int32_t id = schema.FindClass(name);
            if (id < 0)
                return ERR_NO_SUCH_CLASS;
            selected.push_back(uint32_t(id));
        }
    }
    size_t position = 0;
    if (!StartOf(*iterationHandle, selected.size(), position))
        return ERR_INVALID_HANDLE;
    Buf_T &out = *classDefs;
    out.Start(Buf_T::Content::ClassDefinitions, infoType);
    out.tree = int32_t(found->tree);
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const DirectorySchema::Class &definition = schema.Classes()[selected[position]];
        size_t mark = 0;
        bool fits = out.BeginEntry(mark) && out.PutText(definition.name) && out.PutU32(definition.flags) &&
                    out.PutBytes(&noIdentifier, sizeof noIdentifier);
        if (infoType != DS_INFO_CLASS_DEFS) {
            const auto &lists = infoType == DS_EXPANDED_CLASS_DEFS ? definition.expanded : definition.own;
            for (size_t list = 0; fits && list < DirectorySchema::ListCount; ++list) {
                fits = out.PutU32(uint32_t(lists[list].size()));
                for (size_t i = 0; fits && i < lists[list].size(); ++i)
                    fits = out.PutText(schema.ItemName(DirectorySchema::List(list), lists[list][i]));
            }
        }
        if (!fits) {
            out.DropEntry(mark);
            break;
        }
        out.EndEntry(mark);
    }
    if (position < selected.size() && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < selected.size() ? int32_t(position) : -1;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassDefCount, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                           Class_Info_T *info)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassDef, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view className;
    uint32_t flags = 0;
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(className) || !buffer->GetU32(flags) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    buffer->listsLeft = buffer->operation == DS_INFO_CLASS_DEFS ? 0 : uint32_t(DirectorySchema::ListCount);
    if (const NWDSCCODE result = CopyOut(className, name, size); result != 0)
        return result;
    if (info) {
        info->classFlags = flags;
        std::memcpy(&info->asn1ID, identifier, sizeof info->asn1ID);
    }
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassItemCount, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    // Items of the previous list that were not read are stepped over.
    for (std::string_view skipped; buffer->itemsLeft > 0; --buffer->itemsLeft) {
        if (!buffer->GetText(skipped))
            return ERR_BUFFER_EMPTY;
    }
    uint32_t items = 0;
    if (buffer->listsLeft == 0 || !buffer->GetU32(items))
        return ERR_BUFFER_EMPTY;
    --buffer->listsLeft;
    buffer->itemsLeft = items;
    *count = items;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassItem, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view item;
    if (buffer->itemsLeft == 0 || !buffer->GetText(item))
        return ERR_BUFFER_EMPTY;
    --buffer->itemsLeft;
    return CopyOut(item, name, size);
}

NWDSCCODE SimulatedClient::NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs,
                                           Buf_T *attrNames, int32_t *iterationHandle, Buf_T *attrDefs)
{
    const Context *found = Find(context);
    const auto named = [&](std::string_view attribute) {
        size_t offset = 0;
        std::string_view name;
        while (!allAttrs && attrNames && attrNames->content == Buf_T::Content::Request &&
               attrNames->NextName(offset, name)) {
            if (CaseFold::Equal(name, attribute))
                return true;
        }
        return false;
    };
    if (const auto fault =
            Fault(ClientFunction::NWDSReadAttrDef, found ? int32_t(found->tree) : -1, nullptr, -1, named)) {
        if (!fault->emptyBatch)
            return fault->result;
        if (!iterationHandle || !attrDefs)
            return ERR_INVALID_REQUEST;
        attrDefs->Start(Buf_T::Content::AttributeDefinitions);
        if (*iterationHandle == -1)
            *iterationHandle = 0;
        return 0;
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !attrDefs || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTR_DEFS)
        return ERR_INVALID_REQUEST;
    const DirectorySchema &schema = TreeOf(*found).schema;
    std::vector<uint32_t> selected;
    if (allAttrs) {
        selected.resize(schema.Attributes().size());
        for (uint32_t id = 0; id < selected.size(); ++id)
            selected[id] = id;
    } else {
        if (attrNames->content != Buf_T::Content::Request ||
            (attrNames->operation != DSV_READ_ATTR_DEF && attrNames->operation != DSV_READ))
            return ERR_BAD_VERB;
        size_t offset = 0;
        std::string_view name;
        while (attrNames->NextName(offset, name)) {
            const int32_t id = schema.FindAttribute(name);
            if (id < 0)
                return ERR_NO_SUCH_ATTRIBUTE;
            selected.push_back(uint32_t(id));
        }
    }
    size_t position = 0;
    if (!StartOf(*iterationHandle, selected.size(), position))
        return ERR_INVALID_HANDLE;
    Buf_T &out = *attrDefs;
    out.Start(Buf_T::Content::AttributeDefinitions);
    out.tree = int32_t(found->tree);
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const DirectorySchema::Attribute &definition = schema.Attributes()[selected[position]];
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(definition.name) || !out.PutU32(definition.flags) ||
            !out.PutU32(definition.syntax) || !out.PutU32(0) || !out.PutU32(0) ||
            !out.PutBytes(&noIdentifier, sizeof noIdentifier)) {
            out.DropEntry(mark);
            break;
        }
        out.EndEntry(mark);
    }
    if (position < selected.size() && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < selected.size() ? int32_t(position) : -1;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                          Attr_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeDefinitions}); result != 0)
        return result;
    std::string_view attribute;
    Attr_Info_T read{};
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(read.attrFlags) ||
        !buffer->GetU32(read.attrSyntaxID) || !buffer->GetU32(read.attrLower) || !buffer->GetU32(read.attrUpper) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    if (const auto fault = Fault(ClientFunction::NWDSGetAttrDef, buffer->tree, nullptr, -1,
                                 [attribute](std::string_view wanted) { return CaseFold::Equal(attribute, wanted); }))
        return fault->result;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (info) {
        std::memcpy(&read.asn1ID, identifier, sizeof read.asn1ID);
        *info = read;
    }
    return 0;
}

// ---- connections

NWDSCCODE SimulatedClient::NWCCGetPrimConnRef(NWCONN_HANDLE *connection)
{
    if (const auto fault = Fault(ClientFunction::NWCCGetPrimConnRef, -1))
        return fault->result;
    if (!connection)
        return ERR_INVALID_REQUEST;
    if (model_->connections.empty())
        return ERR_CONNECTION_UNKNOWN;
    *connection = 1;
    return 0;
}

NWDSCCODE SimulatedClient::NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection)
{
    if (const auto fault = Fault(ClientFunction::NWCCScanConnRefs, -1))
        return fault->result;
    if (!scanIterator || !connection)
        return ERR_INVALID_REQUEST;
    if (*scanIterator >= model_->connections.size())
        return NWE_NO_MORE_ENTRIES;
    *connection = ++*scanIterator;
    return 0;
}

NWDSCCODE SimulatedClient::NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWCCGetConnRefInfo, -1))
        return fault->result;
    if (connection == 0 || connection > model_->connections.size())
        return ERR_CONNECTION_UNKNOWN;
    if (infoType != NWCC_INFO_TREE_NAME)
        return ERR_INVALID_REQUEST;
    return CopyOut(model_->connections[connection - 1].name, static_cast<char *>(buffer), size);
}
