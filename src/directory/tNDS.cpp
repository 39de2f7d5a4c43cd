#include "directory/tNDS.h"

#include <algorithm>

namespace {

constexpr size_t kIdentityBytes = 201;
constexpr qsizetype kMaxNameChars = 255;

QString FromArea(const char *area)
{
    return QString::fromUtf8(area);
}

// The tree of one connection, without the underscores that pad it; empty when the
// client cannot tell.
QString ConnectionTreeName(NWClient &client, NWCONN_HANDLE connection)
{
    char area[MAX_TREE_NAME_BYTES] = {};
    if (client.NWCCGetConnRefInfo(connection, NWCC_INFO_TREE_NAME, sizeof area, area) != 0)
        return {};
    area[sizeof area - 1] = '\0';
    QString name = FromArea(area);
    while (name.size() >= 2 && name.endsWith(QLatin1Char('_')))
        name.chop(1);
    return name;
}

} // namespace

tNDS::tNDS(NWClient &client, DirectoryHooks hooks) : client_(client), hooks_(std::move(hooks))
{
    ShowErrors = true;
    LastError = client_.NWCallsInit(nullptr, nullptr);
    if (LastError != 0) {
        ReportError(LastError, QStringLiteral("NWCallsInit Failed\rError Code: %1").arg(LastError));
        return;
    }
    const NWDSContextHandle context = client_.NWDSCreateContext();
    if (context == ERR_CONTEXT_CREATION) {
        ReportError(-1, QStringLiteral("NWDSCreateContext Failed"));
        return;
    }
    Context = context;
    hasContext_ = true;
    AttributeDefs = std::make_unique<tNDSDefList<tNDSAttribut>>();
    ClassDefs = std::make_unique<tNDSDefList<tNDSClass>>();
    Refresh();
}

tNDS::~tNDS()
{
    if (stopped_)
        client_.SetWaitHook({});
    if (hasContext_)
        client_.NWDSFreeContext(Context);
}

void tNDS::ReportError(int32_t code, const QString &text)
{
    LastError = code;
    LastErrorText = text;
    // A directory that cannot be reached any more is reported once, not at every call
    // that fails after it.
    if (lostReported_)
        return;
    lostReported_ = client_.Lost();
    const QString words = QString::fromStdString(client_.TakeServerWords(code));
    if (!ShowErrors || (stopped_ && stopped_()))
        return;
    if (hooks_.WordsReporter)
        hooks_.WordsReporter(text, words);
    else if (hooks_.Reporter)
        hooks_.Reporter(words.isEmpty() ? text : text + QLatin1Char('\r') + words);
}

void tNDS::PumpEvents() const
{
    if (hooks_.EventPump)
        hooks_.EventPump();
}

void tNDS::SetStopCheck(std::function<bool()> stopped)
{
    stopped_ = std::move(stopped);
    if (!stopped_) {
        client_.SetWaitHook({});
        return;
    }
    client_.SetWaitHook([this] {
        PumpEvents();
        return stopped_();
    });
}

void tNDS::ReadContext()
{
    char area[MAX_DN_BYTES] = {};
    const NWDSCCODE result = client_.NWDSGetContext(Context, DCK_NAME_CONTEXT, area);
    if (result != 0) {
        ReportError(result, QStringLiteral("NWDSGetContext Failed"));
        return;
    }
    LastError = 0;
    area[sizeof area - 1] = '\0';
    CurrentContext = FromArea(area);
}

bool tNDS::Refresh()
{
    uint32_t flags = 0;
    NWDSCCODE result = client_.NWDSGetContext(Context, DCK_FLAGS, &flags);
    if (result != 0) {
        ReportError(result, QStringLiteral("NWDSGetContext Failed"));
        return false;
    }
    flags = (flags & ~DCV_CANONICALIZE_NAMES) | DCV_TYPELESS_NAMES;
    result = client_.NWDSSetContext(Context, DCK_FLAGS, &flags);
    if (result != 0) {
        ReportError(result, QStringLiteral("NWDSSetContext Failed"));
        return false;
    }
    char identity[kIdentityBytes] = {};
    result = client_.NWDSWhoAmi(Context, identity, sizeof identity);
    if (result != 0) {
        ReportError(result, QStringLiteral("NWDSWhoAmi Failed"));
        return false;
    }
    identity[sizeof identity - 1] = '\0';
    UserName = FromArea(identity);
    LastError = 0;
    ReadContext();
    NWCONN_HANDLE primary = 0;
    TreeName = client_.NWCCGetPrimConnRef(&primary) == 0 ? ConnectionTreeName(client_, primary) : QString();
    AttributeDefs->Clear();
    ClassDefs->Clear();
    return true;
}

bool tNDS::SelectTree(const QString &name)
{
    const QByteArray tree = name.left(kMaxNameChars).toUtf8();
    const char *failed = "NWDSSetContext";
    NWDSCCODE result = client_.NWDSSetContext(Context, DCK_TREE_NAME, tree.constData());
    if (result == 0) {
        char defaultContext[MAX_DN_BYTES - 1] = {};
        failed = "NWDSGetDefNameContext";
        result = client_.NWDSGetDefNameContext(Context, sizeof defaultContext, defaultContext);
        if (result == 0) {
            defaultContext[sizeof defaultContext - 1] = '\0';
            failed = "NWDSSetContext";
            result = client_.NWDSSetContext(Context, DCK_NAME_CONTEXT, defaultContext);
        }
    }
    LastError = result;
    if (result != 0) {
        LastErrorText = QStringLiteral("%1 Failed\rError Code: %2").arg(QLatin1String(failed)).arg(result);
        return false;
    }
    return Refresh();
}

bool tNDS::ChangeContext(const QString &name)
{
    QString target = name;
    if (name == QLatin1String("..")) {
        const qsizetype dot = CurrentContext.indexOf(QLatin1Char('.'));
        target = dot >= 0 ? CurrentContext.mid(dot + 1).left(kMaxNameChars) : QStringLiteral("[root]");
    }
    const QByteArray context = target.left(MAX_DN_BYTES - 1).toUtf8();
    const NWDSCCODE result = client_.NWDSSetContext(Context, DCK_NAME_CONTEXT, context.constData());
    if (result != 0) {
        ReportError(result, QStringLiteral("NWDSetContext Failed"));
        return false;
    }
    ReadContext();
    return LastError == 0;
}

std::vector<tTreeItem> tNDS::GetTrees()
{
    std::vector<tTreeItem> trees;
    uint32_t scan = 0;
    NWCONN_HANDLE connection = 0;
    while (client_.NWCCScanConnRefs(&scan, &connection) == 0) {
        const QString name = ConnectionTreeName(client_, connection);
        if (name.isEmpty())
            continue;
        const auto known = std::find_if(trees.begin(), trees.end(), [&](const tTreeItem &item) {
            return item.Name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (known == trees.end())
            trees.push_back({name, connection});
    }
    std::stable_sort(trees.begin(), trees.end(), [](const tTreeItem &a, const tTreeItem &b) {
        return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
    });
    return trees;
}

QStringList tNDS::GetContainers()
{
    QStringList containers;
    if (CurrentContext.toUpper() != QLatin1String("[ROOT]"))
        containers.append(QStringLiteral(".."));
    TNDSObj listing;
    for (int32_t result = ListFirst(*this, Context, CurrentContext, true, listing); result == 0;
         result = ListNext(listing)) {
        if (listing.EntryInfo.EntryFlags & DS_CONTAINER_ENTRY)
            containers.append(listing.EntryName);
    }
    return containers;
}

void tNDS::ExpectReads(const QStringList &attributes, bool descends)
{
    std::vector<std::string> names;
    names.reserve(size_t(attributes.size()));
    for (const QString &attribute : attributes)
        names.push_back(attribute.toStdString());
    client_.ExpectReads(names, descends);
}
