#pragma once

#include "query/TQuerySchema.h"

class tNDS;

// The schema questions of query reading, answered from the directory connection's
// catalogue: the listed classes are the effective ones.
class TDirectorySchema : public TQuerySchema
{
public:
    // The directory must outlive the object.
    explicit TDirectorySchema(tNDS &directory) : directory_(directory) {}

    QString FindClass(const QString &name) override;
    QStringList ClassProperties(const QString &className) override;
    QString PropertySyntaxName(const QString &className, const QString &property) override;
    tDataType SyntaxNameToDataType(const QString &syntaxName) override;

    // True once a read of the catalogue failed and was reported: what the answers lack
    // may be missing from the directory's reply rather than from its schema.
    bool ReadFailed() const { return readFailed_; }

private:
    tNDS &directory_;
    bool classesRead_ = false;
    bool readFailed_ = false;
};
