#pragma once

#include "query/SqlWords.h"
#include "query/TConditionList.h"
#include "query/TQueryStatus.h"
#include "query/TSqlTokenizer.h"

#include <QHash>
#include <QString>

#include <vector>

// Reads the clauses of an SQL text (SELECT, FROM, optional WHERE, optional ORDER BY)
// into a class name, a sort flag and condition rows. Each clause reader starts on the
// token that ended the one before. The schema is not consulted here.
class TSqlReader
{
public:
    // Far more rows than any class has properties: a text asking for more is refused
    // rather than held in memory row by row.
    static constexpr int MaxRows = 100000;

    explicit TSqlReader(const QString &text);

    // Reads the whole text. False on the first error, which Status() then describes: a
    // tokenizer error (it wins over the clause error it may cause), more than MaxRows
    // rows (SqlSyntaxError, naming the line), or the clause's message followed by the
    // text of the token at fault.
    bool Read();

    const TQueryStatus &Status() const { return status; }
    const QString &ClassName() const { return className; }
    bool SortFlag() const { return sortFlag; }
    // The rows: the SELECT columns in order, then the rows WHERE added.
    TConditionList &Rows() { return rows; }

private:
    bool ParseSelect();
    bool ParseFrom();
    bool ParseWhere();
    bool ParseOrderBy();

    TSqlWord Current() const;
    bool Fail(const QString &clauseMessage);
    // Applies one complete WHERE condition to the rows; false when a row would be one
    // too many.
    bool ApplyCondition(const QString &property, const QString &opText, QString value);
    bool AddRow(const QString &property, const tCondition &condition);

    // The rows of one property name, in order, and the first of them no condition has
    // been applied to yet (rows are only appended and only ever become matched).
    struct NamedRows {
        std::vector<int> rows;
        size_t firstUnmatched = 0;
    };

    TSqlTokenizer tokenizer;
    TConditionList rows;
    QHash<QString, NamedRows> rowsByName;
    QString className;
    bool sortFlag = false;
    TQueryStatus status;
};
