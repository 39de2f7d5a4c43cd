#pragma once

#include "directory/DirectoryHooks.h"
#include "directory/TNDSObj.h"
#include "directory/client/NWClient.h"
#include "directory/tNDSAttribut.h"
#include "directory/tNDSClass.h"
#include "directory/tNDSDefList.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One tree the workstation is attached to, with the first connection found to it.
struct tTreeItem {
    QString Name;
    NWCONN_HANDLE Connection = 0;
};

// The item lists of a class definition that GetAllLayouts reads, numbered in the
// directory's order; MandatoryThenOptional joins the two attribute lists.
enum class tLayoutList {
    SuperClasses = 0,
    ContainmentClasses = 1,
    Naming = 2,
    Mandatory = 3,
    Optional = 4,
    MandatoryThenOptional = 5,
};

// Called by EnumObjects for each object of the wanted class: the container name as
// the level was given it, the listing positioned on the entry, the caller's data word
// and the level's stop flag (false on entry; set it to end the level).
using tObjectCallback = std::function<void(const QString &container, const TNDSObj &entry, int32_t data, bool &stop)>;

// The one link to the directory: the client context whose name context is the user's
// position in the tree, the identity, the tree, error reporting and the schema caches.
class tNDS
{
public:
    // Starts the client and the context; failures are reported, and the outcome is in
    // LastError. The client and the hooks must outlive the object.
    tNDS(NWClient &client, DirectoryHooks hooks = {});
    ~tNDS();
    tNDS(const tNDS &) = delete;
    tNDS &operator=(const tNDS &) = delete;

    // Records the code and the text; shows the text through the reporter while ShowErrors,
    // followed on a line of its own by what the server said about the failure when the
    // client tells. Once the directory cannot be reached any more, only the first report
    // is shown.
    void ReportError(int32_t code, const QString &text);
    // Whether the directory cannot be reached any more: the work must stop.
    bool Lost() const { return client_.Lost(); }
    // Tells the client what a run will read of the objects it lists (NWClient::ExpectReads);
    // no attributes: the run is over.
    void ExpectReads(const QStringList &attributes, bool descends);
    // Lets pending window events run.
    void PumpEvents() const;
    // While set (a run), a call that waits for a server lets pending window events run
    // meanwhile and gives up once stopped returns true; failures are then no longer
    // reported: the work is being stopped. Empty: calls wait without either.
    void SetStopCheck(std::function<bool()> stopped);

    // Reads the context's name context into CurrentContext. A failing read is reported
    // ("NWDSGetContext Failed") and leaves CurrentContext as it was; LastError tells.
    void ReadContext();
    // Takes up the context after a tree or context change: typeless, not canonicalised
    // names; the identity into UserName; the name context into CurrentContext; the
    // primary connection's tree into TreeName; and empties both schema caches (they are
    // read again when next needed). false after a reported failing call, which leaves
    // the fields not yet refreshed as they were.
    bool Refresh();
    // Makes name (at most the client's name length) the context's tree and moves to that
    // tree's default context, then refreshes. false when the client refuses either step
    // (not reported: LastError holds the client's result and LastErrorText the report the
    // caller may show) or the refresh fails (reported).
    bool SelectTree(const QString &name);
    // Sets the current name context; ".." means the parent.
    bool ChangeContext(const QString &name);
    // The trees, sorted by name without regard to case, each once.
    std::vector<tTreeItem> GetTrees();
    // ".." (unless at the top), then the containers directly below CurrentContext.
    QStringList GetContainers();

    // Hands every object of className (every object when empty) below container to the
    // callback, also in all sub-containers when recursive. A listing that fails (a server
    // limit hit, the directory lost) is reported ("NWDSList Failed for" the container) and
    // ends the whole enumeration: the result is its code, 0 when nothing failed.
    int32_t EnumObjects(const QString &container, bool recursive, int32_t data, const tObjectCallback &callback,
                        const QString &className);

    // Schema catalogue. Each read reports a failing client call through ReportError and
    // ends there, keeping what it had added; the client's buffers are always freed.
    // Refills ClassDefs with the expanded definitions of all classes; true on success.
    bool GetAllClassesDefinitions();
    // Refills AttributeDefs, leaving out hidden attributes unless includeHidden. A read
    // ending with -603 keeps what it read and gives false without a report.
    bool GetAllAttributeDefinitions(bool includeHidden);
    // A new list of names from the expanded definition of className, in the directory's
    // order, from the list which selects (what the class inherits included). Nothing
    // when a call fails (an undefined class among them).
    std::optional<QStringList> GetAllLayouts(const QString &className, tLayoutList which);
    // The syntax type name of a property ("inconnu" when the schema lacks it), reading
    // the attribute definitions first when none are known. Properties are looked up by
    // name alone, whatever their class.
    QString PropertySyntaxName(const QString &className, const QString &propertyName);

    NWClient &Client() const { return client_; }
    const DirectoryHooks &Hooks() const { return hooks_; }

    NWDSContextHandle Context = 0;
    QString CurrentContext;
    QString TreeName;
    int32_t LastError = 0;
    QString LastErrorText;
    bool ShowErrors = true;
    QString UserName;
    // Schema caches, present once the context exists.
    std::unique_ptr<tNDSDefList<tNDSAttribut>> AttributeDefs;
    std::unique_ptr<tNDSDefList<tNDSClass>> ClassDefs;

private:
    NWClient &client_;
    DirectoryHooks hooks_;
    bool hasContext_ = false;
    bool lostReported_ = false;
    std::function<bool()> stopped_;
};

// The listing primitive. Result 0: a new entry is in the record. -1: the listing is
// over and its context and buffer are freed. ERR_ENTRY_LEFT_OUT: the client left an
// entry out (the server's words say which); the listing goes on at the next ListNext.
// Other: the client's error; the listing is abandoned with its context and buffer freed.
int32_t ListFirst(const tNDS &directory, NWDSContextHandle context, const QString &name, bool containersOnly,
                  TNDSObj &record);
int32_t ListNext(TNDSObj &record);
// Ends a listing early: the next ListNext frees it and returns -1.
void ListStop(TNDSObj &record);

// Text before the first "." (the whole name when it has none), and text after it.
QString FirstNamePart(const QString &name);
QString RestOfName(const QString &name);
