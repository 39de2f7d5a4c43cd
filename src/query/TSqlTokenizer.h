#pragma once

#include <QString>

// Cuts an SQL text into tokens, one current token at a time. Characters up to the
// blank separate tokens; an identifier is a letter or underscore followed by letters,
// digits and underscores (ASCII only); a number starts with a digit or a minus sign;
// "$" starts a hexadecimal number; an apostrophe or "#" starts a quoted string of
// 'text' and #code pieces, whose token text is the decoded string; any other character
// is a token of its own. At the end of the text the token is empty.
class TSqlTokenizer
{
public:
    enum class Kind { End, Identifier, Number, HexNumber, String, Sign };

    // Starts on the first token of text.
    explicit TSqlTokenizer(QString text);

    // Moves to the next token. A quoted string broken by a line end or the end of the
    // text is an error: the token becomes the end for good and Error() tells why.
    void Next();

    // With the current token "[": takes the text up to the next "]" on the same line,
    // blanks around it removed, and makes that "]" the current token. False, with
    // nothing consumed, when the line has no "]".
    bool ReadBracketedName(QString &name);
    // With the current token a double quote: takes the text up to the closing double
    // quote on the same line, two double quotes in a row standing for one, and makes the
    // closing quote the current token. False, with nothing consumed, when the line does
    // not close the quote.
    bool ReadQuotedValue(QString &value);

    Kind TokenKind() const { return kind; }
    const QString &TokenText() const { return token; }
    // The line of the current position, from 1.
    int Line() const { return line; }
    bool HasError() const { return !error.isEmpty(); }
    // "Constante chaîne incorrecte à la ligne 3" and the like; empty without error.
    const QString &Error() const { return error; }

private:
    void ReadString();
    void SetSign(QChar sign);

    QString text;
    qsizetype pos = 0;
    int line = 1;
    Kind kind = Kind::End;
    QString token;
    QString error;
};
