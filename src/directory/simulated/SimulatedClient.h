#pragma once

#include "directory/client/CaseFold.h"
#include "directory/client/ClientBase.h"
#include "directory/simulated/DirectoryFault.h"
#include "directory/simulated/DirectoryModel.h"
#include "directory/simulated/DirectoryName.h"
#include "directory/simulated/FaultTable.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

// The directory client that serves a directory file (docs/directory-format.md) from
// memory, honouring the calls, keys, codes and iteration rule of NWClient.
//
// What it adds to the interface's rules:
// - names are read as full names from the top, typed or typeless, in any letter case,
//   with or without a leading dot; an empty name and "[Root]" stand for the top;
// - names handed out are typed or typeless as the flag word of the context asks
//   (DCV_TYPELESS_NAMES); listed entries are relative to the context's name context
//   (the leaf name when the listed container is the name context); attribute values
//   are handed out as the file gives them;
// - a new context has the flag word DCV_CANONICALIZE_NAMES (typed names), confidence
//   0, and is on the primary connection's tree at its default context; setting
//   another tree moves the name context to the top of that tree;
// - batches are cut by the size of the result buffer; iteration handles are positions
//   (an object's subordinates, values or attributes, definitions) and any other value
//   is refused with ERR_INVALID_HANDLE; a value or definition that does not fit an
//   empty buffer gives ERR_INSUFFICIENT_BUFFER;
// - NWDSRead of named attributes gives ERR_NO_SUCH_ATTRIBUTE when the object has none
//   of them, otherwise those it has, in the order asked; with names only
//   (DS_ATTRIBUTE_NAMES) the value count handed out is 0;
// - NWDSOpenStream gives a descriptor of an anonymous in-memory file holding the
//   stream's content, positioned at its start;
// - connection handles are 1, 2, ... in scan order; handle 1 is the primary one.
//
// Not thread-safe: one thread uses a client at a time.
class SimulatedClient : public ClientBase<uint32_t>
{
public:
    // Serves model, with the faults its file gives.
    explicit SimulatedClient(std::unique_ptr<DirectoryModel> model);
    ~SimulatedClient() override;
    SimulatedClient(const SimulatedClient &) = delete;
    SimulatedClient &operator=(const SimulatedClient &) = delete;

    // A client serving a directory file, the bytes of one (fileName names them in
    // messages), or the built-in demo directory; null with *error when it is refused.
    static std::unique_ptr<SimulatedClient> FromFile(const QString &path, QString *error);
    static std::unique_ptr<SimulatedClient> FromBytes(const QByteArray &json, const QString &fileName, QString *error);
    static std::unique_ptr<SimulatedClient> FromDemo(QString *error);

    // Serves another directory. On success the faults are those of the new file, and
    // every open context moves to the new primary tree's default context (keeping its
    // flag word and confidence). On failure nothing changes and *error tells why.
    bool Load(const QString &path, QString *error);
    bool LoadBytes(const QByteArray &json, const QString &fileName, QString *error);
    bool LoadDemo(QString *error);

    // Adds a fault (DirectoryFault tells how it applies); false with *error when it
    // names an unknown function or tree, or asks an empty batch of a call that does not
    // read in batches. Faults are checked in the order added; the first that fires
    // decides.
    bool AddFault(const DirectoryFault &fault, QString *error = nullptr);
    // Removes every fault, the file's included.
    void ClearFaults();

    const DirectoryModel &Model() const { return *model_; }

    NWDSCCODE NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size) override;
    NWDSCCODE NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext) override;

    NWDSCCODE NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                       Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo) override;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute, uint32_t flags,
                             int *fileHandle) override;

    NWDSCCODE NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                       Buf_T *subordinates) override;
    NWDSCCODE NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                 Buf_T *subordinates) override;

    NWDSCCODE NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses, Buf_T *classNames,
                               int32_t *iterationHandle, Buf_T *classDefs) override;
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs, Buf_T *attrNames,
                              int32_t *iterationHandle, Buf_T *attrDefs) override;

    NWDSCCODE NWCCGetPrimConnRef(NWCONN_HANDLE *connection) override;
    NWDSCCODE NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection) override;
    NWDSCCODE NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer) override;

protected:
    // The faults of the file and those added, for the calls the base implements.
    std::optional<NWDSCCODE> Injected(ClientFunction function, const CallSite &site) override;
    uint32_t PrimaryTree() const override;
    uint32_t DefaultNameContext(uint32_t tree) override { return model_->trees[tree]->defaultContext; }
    std::string TreeName(uint32_t tree) const override { return model_->trees[tree]->name; }
    int32_t FindTree(std::string_view name) const override { return model_->FindTree(name); }
    NWDSCCODE CopyNameContext(const Context &context, char *area, size_t size) override
    {
        return CopyName(context, context.nameContext, area, size);
    }
    NWDSCCODE ResolveNameContext(uint32_t tree, std::string_view name, uint32_t &found) override;

private:
    // One attribute of an object as its value block holds it.
    struct AttributeRef {
        uint32_t id = 0;
        uint32_t count = 0;
        const uint8_t *values = nullptr;
        uint32_t size = 0;
    };

    struct BlockAttributes;

    void Adopt(std::unique_ptr<DirectoryModel> model);
    // Adopts model; false when there is none (its reader was refused).
    bool AdoptRead(std::unique_ptr<DirectoryModel> model);
    const DirectoryTree &TreeOf(const Context &context) const { return *model_->trees[context.tree]; }

    // The fault for a call, if one fires. object is a name given to the call, or null;
    // objectIndex the object the call concerns in tree (-1: none).
    template <class HasAttribute>
    std::optional<FaultTable::Outcome> Fault(ClientFunction function, int32_t tree, const char *object,
                                             int64_t objectIndex, HasAttribute hasAttribute);
    std::optional<FaultTable::Outcome> Fault(ClientFunction function, int32_t tree, const char *object = nullptr,
                                             int64_t objectIndex = -1)
    {
        // Inline: without faults, every call of a read pays for this test alone.
        if (faults_.None(function))
            return std::nullopt;
        return Fault(function, tree, object, objectIndex, NoAttribute{});
    }
    // The key of the object of a call that names none and concerns none.
    static constexpr const char *NoObject = "\x02";
    // For calls that concern no attribute.
    struct NoAttribute {
        bool operator()(std::string_view) const { return false; }
    };
    // What a fault that fired gives a call reading in batches: its result, or an empty
    // batch of content in out (ERR_INVALID_REQUEST without a handle or a buffer).
    static NWDSCCODE FaultResult(const FaultTable::Outcome &fault, int32_t *iterationHandle, Buf_T *out,
                                 Buf_T::Content content, uint32_t operation = 0);
    // Whether request is a request buffer naming name, in any letter case.
    static bool Asks(const Buf_T *request, std::string_view name);
    // DirectoryTree::Resolve, remembering the last few names.
    int64_t Resolve(uint32_t tree, std::string_view name);
    // DirectoryTree::Resolve, remembering the containers of the names.
    int64_t ResolveInContainer(uint32_t tree, std::string_view name);
    // Replaces attributes with those of the object's value block, in its order.
    static void AttributesOf(const DirectoryObject &object, std::vector<AttributeRef> &attributes);
    NWDSCCODE List(ClientFunction function, NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                   Buf_T *subordinates, bool containersOnly);
    // CopyOut of the full name of object in the context's tree, typed or typeless as it asks.
    NWDSCCODE CopyName(const Context &context, uint32_t object, char *area, size_t size);
    static uint32_t ReadU32(const uint8_t *at)
    {
        uint32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return value;
    }

    std::unique_ptr<DirectoryModel> model_;
    FaultTable faults_;
    std::string name_; // scratch for names handed out
    // Scratch of NWDSRead: the object's attributes, and those asked for.
    std::vector<AttributeRef> attributes_;
    std::vector<AttributeRef> selected_;

    // Names resolved lately: a reader asks for one object several times in a row, and
    // resolving a name looks up each of its parts. Emptied when the model changes.
    struct ResolvedName {
        bool used = false;
        uint32_t tree = 0;
        std::string name;
        int64_t object = -1;
    };
    std::array<ResolvedName, 4> resolved_;
    size_t nextResolved_ = 0;
    // Containers resolved so far, keyed by tree (4 bytes) and name; many objects share
    // one. Emptied when the model changes, or when it grows large.
    std::unordered_map<std::string, int64_t> containers_;
    std::string containerKey_;
};

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
