#pragma once

#include "directory/tDataType.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

// The operator codes of a condition: the index of the operator in OperatorNames and
// the value stored in query files.
enum tOperator : uint8_t {
    opAucune = 0,
    opExiste = 1,
    opNExistePas = 2,
    opEgal = 3,
    opDifferent = 4,
    opCommencePar = 5,
    opContient = 6,
    opNeContientPas = 7,
    opEntre = 8,
    opInferieur = 9,
    opInferieurOuEgal = 10,
    opSuperieur = 11,
    opSuperieurOuEgal = 12,
};

inline constexpr int OperatorCount = 13;

// The French operator names indexed by operator code, in the order the conditions
// grid offers them.
extern const std::array<QString, OperatorCount> OperatorNames;

// The name of operator code op; an empty text for a code past the table.
QString OperatorName(uint8_t op);

// The code of the first operator whose name equals name exactly (case and accents
// included); 0 ("aucune") for any other text.
uint8_t OperatorFromName(QStringView name);

// The operator code of an SQL comparison keyword, compared exactly and case-sensitively:
// "IS" 2, "IS NOT" 1, "=" 3, "<>" 4, "LIKE" 6, "NOT LIKE" 7, "<" 9, "<=" 10, ">" 11,
// ">=" 12; 0 for anything else. A LIKE whose pattern does not begin with "%" is for the
// caller to turn into 5 ("commence par"); "entre" has no keyword.
uint8_t OperatorFromSQL(QStringView keyword);

// The text with every "%" removed (LIKE patterns read back from SQL text).
QString StripWildcards(const QString &text);

// Whether operator op may be used on a property of value kind tip. Codes 0 to 2 are
// allowed for every kind; above them, integers and dates take 3, 4 and 8 to 12, texts
// 3 to 12, booleans 3 and 4, and unknown kinds (any value past dtDate included) none.
bool OperatorAllowed(uint8_t op, tDataType tip);
