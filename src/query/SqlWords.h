#pragma once

#include <QString>

// The classes of the SQL text's tokens.
enum class TSqlWord {
    End,
    Word,
    Select,
    From,
    Where,
    Order,
    By,
    Comma,
    Quote,
    OpenParenthesis,
    CloseParenthesis,
    OpenBracket,
    CloseBracket,
    Not,
    And,
    Or,
    Is,
    Like,
    Null,
    Less,
    Greater,
    Equal,
};

// The class of a token text: its upper-case form (locale rules) compared with the SQL
// word table; the empty text is the end, any text not in the table a word.
TSqlWord ClassifyWord(const QString &text);
