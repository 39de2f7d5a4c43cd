#pragma once

#include <QString>

// What an export run shows while it works, and where its result lines go. The
// progress window and the command-line tool are two implementations.
class TExportObserver
{
public:
    virtual ~TExportObserver() = default;

    // Whether the labels and the running count of lines are shown while the run works:
    // a run makes their texts, for every object, only then.
    virtual bool ShowsLabels() const { return true; }
    virtual void SetCaption(const QString &) {}
    // The upper label (the current object) and the lower one (property or count found).
    virtual void SetL1(const QString &) {}
    virtual void SetL2(const QString &) {}
    virtual void SetProgressVisible(bool) {}
    virtual void SetProgressMaximum(int) {}
    virtual void SetProgressPosition(int) {}
    // The two counters of the results page.
    virtual void SetHitsCount(const QString &) {}
    virtual void SetObjectsScanned(const QString &) {}
    // An information message (" Aucun objet trouvé").
    virtual void ShowInfo(const QString &) {}
    // The busy cursor, shown while the directory is searched.
    virtual void SetBusy(bool) {}
    // Empties the results before the run writes anything.
    virtual void ClearResults() {}
    // Appends one result line; false when it could not be written.
    virtual bool AddLine(const QString &line) = 0;
};
