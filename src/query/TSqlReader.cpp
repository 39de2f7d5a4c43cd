#include "query/TSqlReader.h"

#include "engine/Operators.h"
#include "engine/ShownName.h"

TSqlReader::TSqlReader(const QString &text) : tokenizer(text) {}

bool TSqlReader::Read()
{
    const bool read = ParseSelect();
    if (tokenizer.HasError()) {
        status = TQueryStatus::Error(TQueryStatus::SqlSyntaxError, tokenizer.Error());
        return false;
    }
    return read;
}

TSqlWord TSqlReader::Current() const
{
    // A quoted string is a value whatever it spells.
    if (tokenizer.TokenKind() == TSqlTokenizer::Kind::String)
        return TSqlWord::Word;
    if (tokenizer.TokenKind() == TSqlTokenizer::Kind::End)
        return TSqlWord::End;
    return ClassifyWord(tokenizer.TokenText());
}

bool TSqlReader::Fail(const QString &clauseMessage)
{
    status = TQueryStatus::Error(TQueryStatus::SqlClauseError, clauseMessage + ShownName(tokenizer.TokenText()));
    return false;
}

bool TSqlReader::ParseSelect()
{
    enum { Start, ExpectColumn, ColumnRead, InBrackets } state = Start;
    const QString message = QStringLiteral("erreur dans SELECT ");
    QString name;
    const auto addColumn = [this](const QString &column) {
        return AddRow(column.trimmed(), tCondition(opAucune, dtString, QString(), QString(), QString(), true));
    };
    for (;;) {
        const TSqlWord word = Current();
        if (state == Start && word == TSqlWord::Select) {
            state = ExpectColumn;
        } else if (state == ExpectColumn && word == TSqlWord::Word) {
            if (!addColumn(tokenizer.TokenText()))
                return false;
            state = ColumnRead;
        } else if (state == ExpectColumn && word == TSqlWord::OpenBracket) {
            if (!tokenizer.ReadBracketedName(name))
                return Fail(message);
            state = InBrackets;
            continue; // the closing bracket is now the current token
        } else if (state == InBrackets && word == TSqlWord::CloseBracket) {
            if (!addColumn(name))
                return false;
            state = ColumnRead;
        } else if (state == ColumnRead && word == TSqlWord::Comma) {
            state = ExpectColumn;
        } else if (state == ColumnRead && word == TSqlWord::From) {
            return ParseFrom();
        } else {
            return Fail(message);
        }
        tokenizer.Next();
    }
}

bool TSqlReader::ParseFrom()
{
    enum { Start, ExpectClass, ClassRead, InBrackets } state = Start;
    const QString message = QStringLiteral("erreur dans FROM ");
    QString name;
    for (;;) {
        const TSqlWord word = Current();
        if (state == Start && word == TSqlWord::From) {
            state = ExpectClass;
        } else if (state == ExpectClass && word == TSqlWord::Word) {
            className = tokenizer.TokenText().trimmed();
            state = ClassRead;
        } else if (state == ExpectClass && word == TSqlWord::OpenBracket) {
            if (!tokenizer.ReadBracketedName(name))
                return Fail(message);
            state = InBrackets;
            continue;
        } else if (state == InBrackets && word == TSqlWord::CloseBracket) {
            className = name;
            state = ClassRead;
        } else if (state == ClassRead && word == TSqlWord::End) {
            return true;
        } else if (state == ClassRead && word == TSqlWord::Where) {
            return ParseWhere();
        } else if (state == ClassRead && word == TSqlWord::Order) {
            return ParseOrderBy();
        } else {
            return Fail(message);
        }
        tokenizer.Next();
    }
}

bool TSqlReader::ParseWhere()
{
    enum State {
        Start,
        ExpectProperty,
        InBrackets,
        PropertyRead,
        AfterEqual,
        AfterLess,
        AfterGreater,
        AfterLike,
        AfterNot,
        AfterIs,
        AfterNotLike,
        AfterIsNot,
        AfterLessGreater,
        AfterLessEqual,
        AfterGreaterEqual,
        InQuotes,
        ConditionDone,
    } state = Start;
    const QString message = QStringLiteral("erreur dans WHERE ");
    QString property;
    QString opText;
    QString value;
    const auto expectsValue = [](State s) { return s >= AfterEqual && s <= AfterGreaterEqual && s != AfterNot; };
    const auto transit = [&](State next, const char *text) {
        state = next;
        opText = QLatin1String(text);
    };

    for (;;) {
        const TSqlWord word = Current();
        if (state == Start && word == TSqlWord::Where) {
            state = ExpectProperty;
        } else if (state == ExpectProperty && word == TSqlWord::Word) {
            property = tokenizer.TokenText();
            state = PropertyRead;
        } else if (state == ExpectProperty && word == TSqlWord::OpenBracket) {
            if (!tokenizer.ReadBracketedName(property))
                return Fail(message);
            state = InBrackets;
            continue; // the closing bracket is now the current token
        } else if (state == InBrackets && word == TSqlWord::CloseBracket) {
            state = PropertyRead;
        } else if (state == PropertyRead && word == TSqlWord::Equal) {
            transit(AfterEqual, "=");
        } else if (state == PropertyRead && word == TSqlWord::Less) {
            transit(AfterLess, "<");
        } else if (state == PropertyRead && word == TSqlWord::Greater) {
            transit(AfterGreater, ">");
        } else if (state == PropertyRead && word == TSqlWord::Like) {
            transit(AfterLike, "LIKE");
        } else if (state == PropertyRead && word == TSqlWord::Not) {
            transit(AfterNot, "");
        } else if (state == PropertyRead && word == TSqlWord::Is) {
            transit(AfterIs, "IS");
        } else if (state == AfterNot && word == TSqlWord::Like) {
            transit(AfterNotLike, "NOT LIKE");
        } else if (state == AfterIs && word == TSqlWord::Not) {
            transit(AfterIsNot, "IS NOT");
        } else if ((state == AfterIs || state == AfterIsNot) && word == TSqlWord::Null) {
            if (!ApplyCondition(property, opText, QStringLiteral("NULL")))
                return false;
            state = ConditionDone;
        } else if (state == AfterLess && word == TSqlWord::Greater) {
            transit(AfterLessGreater, "<>");
        } else if (state == AfterLess && word == TSqlWord::Equal) {
            transit(AfterLessEqual, "<=");
        } else if (state == AfterGreater && word == TSqlWord::Equal) {
            transit(AfterGreaterEqual, ">=");
        } else if (expectsValue(state) && word == TSqlWord::Word) {
            if (!ApplyCondition(property, opText, tokenizer.TokenText()))
                return false;
            state = ConditionDone;
        } else if (expectsValue(state) && word == TSqlWord::Quote) {
            if (!tokenizer.ReadQuotedValue(value))
                return Fail(message);
            state = InQuotes;
            continue; // the closing quote is now the current token
        } else if (state == InQuotes && word == TSqlWord::Quote) {
            if (!ApplyCondition(property, opText, value))
                return false;
            state = ConditionDone;
        } else if (state == ConditionDone && word == TSqlWord::And) {
            state = ExpectProperty;
        } else if (state == ConditionDone && word == TSqlWord::End) {
            return true;
        } else if (state == ConditionDone && word == TSqlWord::Order) {
            return ParseOrderBy();
        } else {
            return Fail(message);
        }
        tokenizer.Next();
    }
}

bool TSqlReader::ParseOrderBy()
{
    enum { Start, ExpectBy, ExpectColumn, ColumnRead, InBrackets } state = Start;
    const QString message = QStringLiteral("erreur dans ORDER ");
    QString column;
    for (;;) {
        const TSqlWord word = Current();
        if (state == Start && word == TSqlWord::Order) {
            state = ExpectBy;
        } else if (state == ExpectBy && word == TSqlWord::By) {
            state = ExpectColumn;
        } else if (state == ExpectColumn && word == TSqlWord::Word) {
            state = ColumnRead;
        } else if (state == ExpectColumn && word == TSqlWord::OpenBracket) {
            if (!tokenizer.ReadBracketedName(column))
                return Fail(message);
            state = InBrackets;
            continue;
        } else if (state == InBrackets && word == TSqlWord::CloseBracket) {
            state = ColumnRead;
        } else if (state == ColumnRead && word == TSqlWord::End) {
            sortFlag = true;
            return true;
        } else {
            return Fail(message);
        }
        tokenizer.Next();
    }
}

bool TSqlReader::ApplyCondition(const QString &property, const QString &opText, QString value)
{
    const QString key = property.trimmed();
    uint8_t code = OperatorFromSQL(opText);
    // A quoted value is kept exactly as written, blanks included, so that it reads back.
    if (code == opExiste || code == opNExistePas)
        value.clear();
    if (code == opContient && !value.startsWith(QLatin1Char('%')))
        code = opCommencePar;
    value = StripWildcards(value);

    NamedRows &named = rowsByName[key];
    while (named.firstUnmatched < named.rows.size() && rows.Condition(named.rows[named.firstUnmatched]).matched)
        ++named.firstUnmatched;
    if (named.firstUnmatched < named.rows.size()) {
        tCondition &row = rows.Condition(named.rows[named.firstUnmatched]);
        if (row.op == opSuperieurOuEgal && code == opInferieurOuEgal) {
            row.op = opEntre;
            row.v2 = value;
        } else {
            row.op = code;
            row.v1 = value;
        }
        row.matched = true;
        return true;
    }
    if (code == opInferieurOuEgal && !named.rows.empty() && rows.Condition(named.rows.back()).op == opSuperieurOuEgal) {
        tCondition &row = rows.Condition(named.rows.back());
        row.op = opEntre;
        row.v2 = value;
        return true;
    }
    return AddRow(key, tCondition(code, dtString, value, QString(), QString(), false));
}

bool TSqlReader::AddRow(const QString &property, const tCondition &condition)
{
    if (rows.Count() >= MaxRows) {
        status = TQueryStatus::Error(TQueryStatus::SqlSyntaxError,
                                     QStringLiteral("Trop de propriétés et de conditions (plus de %1) à la ligne %2")
                                         .arg(MaxRows)
                                         .arg(tokenizer.Line()));
        return false;
    }
    rowsByName[property].rows.push_back(rows.Count());
    rows.Add(property, condition);
    return true;
}
