#include "query/SqlWords.h"

#include "directory/LocaleFormats.h"

#include <array>
#include <utility>

TSqlWord ClassifyWord(const QString &text)
{
    static const std::array<std::pair<QString, TSqlWord>, 21> table = {{
        {QString(), TSqlWord::End},
        {QStringLiteral("SELECT"), TSqlWord::Select},
        {QStringLiteral("FROM"), TSqlWord::From},
        {QStringLiteral("WHERE"), TSqlWord::Where},
        {QStringLiteral("ORDER"), TSqlWord::Order},
        {QStringLiteral("BY"), TSqlWord::By},
        {QStringLiteral(","), TSqlWord::Comma},
        {QStringLiteral("\""), TSqlWord::Quote},
        {QStringLiteral("("), TSqlWord::OpenParenthesis},
        {QStringLiteral(")"), TSqlWord::CloseParenthesis},
        {QStringLiteral("["), TSqlWord::OpenBracket},
        {QStringLiteral("]"), TSqlWord::CloseBracket},
        {QStringLiteral("NOT"), TSqlWord::Not},
        {QStringLiteral("AND"), TSqlWord::And},
        {QStringLiteral("OR"), TSqlWord::Or},
        {QStringLiteral("IS"), TSqlWord::Is},
        {QStringLiteral("LIKE"), TSqlWord::Like},
        {QStringLiteral("NULL"), TSqlWord::Null},
        {QStringLiteral("<"), TSqlWord::Less},
        {QStringLiteral(">"), TSqlWord::Greater},
        {QStringLiteral("="), TSqlWord::Equal},
    }};
    const QString upper = LocaleFormats::UpperCase(text);
    for (const auto &[entry, word] : table) {
        if (upper == entry)
            return word;
    }
    return TSqlWord::Word;
}
