#include "directory/simulated/SimulatedClient.h"

#include "directory/simulated/DirectoryFileReader.h"
#include "directory/simulated/DirectoryName.h"

#include <cstring>

namespace {

// Containers whose names are kept resolved.
constexpr size_t ResolvedContainerCount = 65536;

std::unique_ptr<SimulatedClient> Served(std::unique_ptr<DirectoryModel> model)
{
    return model ? std::make_unique<SimulatedClient>(std::move(model)) : nullptr;
}

} // namespace

SimulatedClient::SimulatedClient(std::unique_ptr<DirectoryModel> model) : ClientBase(ERR_BAD_SYNTAX)
{
    Adopt(std::move(model));
}

SimulatedClient::~SimulatedClient() = default;

std::unique_ptr<SimulatedClient> SimulatedClient::FromFile(const QString &path, QString *error)
{
    return Served(DirectoryFileReader::ReadFile(path, error));
}

std::unique_ptr<SimulatedClient> SimulatedClient::FromBytes(const QByteArray &json, const QString &fileName,
                                                            QString *error)
{
    return Served(DirectoryFileReader::ReadBytes(json, fileName, error));
}

std::unique_ptr<SimulatedClient> SimulatedClient::FromDemo(QString *error)
{
    return Served(DirectoryFileReader::ReadDemo(error));
}

bool SimulatedClient::Load(const QString &path, QString *error)
{
    return AdoptRead(DirectoryFileReader::ReadFile(path, error));
}

bool SimulatedClient::LoadBytes(const QByteArray &json, const QString &fileName, QString *error)
{
    return AdoptRead(DirectoryFileReader::ReadBytes(json, fileName, error));
}

bool SimulatedClient::LoadDemo(QString *error)
{
    return AdoptRead(DirectoryFileReader::ReadDemo(error));
}

bool SimulatedClient::AdoptRead(std::unique_ptr<DirectoryModel> model)
{
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
    for (Context &context : Contexts()) {
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

bool SimulatedClient::Asks(const Buf_T *request, std::string_view name)
{
    if (!request || request->content != Buf_T::Content::Request)
        return false;
    size_t offset = 0;
    std::string_view asked;
    while (request->NextName(offset, asked)) {
        if (CaseFold::Equal(asked, name))
            return true;
    }
    return false;
}

NWDSCCODE SimulatedClient::FaultResult(const FaultTable::Outcome &fault, int32_t *iterationHandle, Buf_T *out,
                                       Buf_T::Content content, uint32_t operation)
{
    if (!fault.emptyBatch)
        return fault.result;
    if (!iterationHandle || !out)
        return ERR_INVALID_REQUEST;
    out->Start(content, operation);
    if (*iterationHandle == -1)
        *iterationHandle = 0;
    return 0;
}

std::optional<NWDSCCODE> SimulatedClient::Injected(ClientFunction function, const CallSite &site)
{
    if (faults_.None(function))
        return std::nullopt;
    const auto concerns = [&site](std::string_view wanted) {
        return site.attribute && CaseFold::Equal(*site.attribute, wanted);
    };
    const auto fault = Fault(function, site.tree, site.object, site.objectIndex, concerns);
    if (!fault)
        return std::nullopt;
    return fault->result;
}
