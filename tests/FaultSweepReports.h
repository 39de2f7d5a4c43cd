#pragma once

// The reports of the fault sweep: every text that a failing client call may give on
// veltrane-cli's standard error, each a whole line, and what it says the run missed.

#include "FaultSweepRuns.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

// The texts a failing call may report, whole lines, and what each says was missed.
class FaultSweepReports
{
public:
    // The code every failing call returns (NWDSCreateContext: its failing handle): not -1,
    // which a listing takes for its end.
    static constexpr int kCode = -641;

    explicit FaultSweepReports(const QString &function)
    {
        const QString f = QRegularExpression::escape(function);
        const QString code = QStringLiteral(" Error Code: %1").arg(kCode);
        const QString object = QStringLiteral("(?<object>[^ ]+)");
        const QString attribute = QStringLiteral("(?<attribute>[A-Za-z ]+)");
        const QString names = QStringLiteral("While reading attributes for %1\\. ").arg(object);
        const QString values = QStringLiteral("While reading attribute %1 for object %2\\. ").arg(attribute, object);
        const QStringList onNames = {"NWDSAllocBuf", "NWDSInitBuf", "NWDSRead", "NWDSGetAttrCount", "NWDSGetAttrName"};
        if (onNames.contains(function))
            Add(Names, names + f + " Failed" + code);
        if (onNames.contains(function) || function == "NWDSComputeAttrValSize" || function == "NWDSGetAttrVal")
            Add(Values, values + f + " Failed" + code);
        if (function == "NWDSPutAttrName")
            Add(Values, values + "NWDSPutAttrName Failed for\\k<attribute>" + code);
        if (function == "NWDSOpenStream")
            Add(Values, values + QStringLiteral("NWDSOpenStream returned: %1").arg(kCode));
        if (QStringList{"NWDSDuplicateContextHandle", "NWDSAllocBuf", "NWDSList", "NWDSGetObjectCount",
                        "NWDSGetObjectName"}
                .contains(function))
            Add(Stop, "NWDSList Failed for (Acme|Sales\\.Acme|Team\\.Sales\\.Acme)" + code);
        // The settings of a listing's own context are not checked: with its name context
        // unset, the names it hands out cannot be read back and the next listing fails.
        if (function == "NWDSSetContext") {
            Add(Names, names + "The Requested object could not be read!");
            Add(Stop, "NWDSList Failed for [^ ]+ Error Code: -601");
        }
        const QStringList classReads = {"NWDSReadClassDef", "NWDSGetClassDefCount", "NWDSGetClassDef",
                                        "NWDSGetClassItemCount", "NWDSGetClassItem"};
        if (classReads.contains(function))
            Add(Noted, f + " Failed  in GetAllClassesDefinitions" + code);
        if (function == "NWDSAllocBuf")
            Add(Noted, "NWDSAllocBuf Outbuf\\(\\*8\\) Failed in GetAllClassesDefinitions" + code);
        if (function == "NWDSInitBuf")
            Add(Noted, "NWDSInitBuf Failed in GetAllClassesDefinitions" + code);
        const QString attributeRead = function == "NWDSReadAttrDef" ? QStringLiteral("NWDSRead") : f;
        if (QStringList{"NWDSAllocBuf", "NWDSReadAttrDef", "NWDSGetAttrCount", "NWDSGetAttrDef"}.contains(function))
            Add(Noted, attributeRead + " Failed in GetAllAttributeDefinitions" + code);
        if (function == "NWCallsInit")
            Add(Stop, "NWCallsInit Failed" + code);
        if (QStringList{"NWDSCreateContext", "NWDSGetContext", "NWDSSetContext", "NWDSWhoAmi"}.contains(function))
            Add(Noted, f + " Failed");
        if (function == "NWDSSetContext")
            Add(Noted, "NWDSetContext Failed");
        Add(Stop,
            QStringLiteral("veltrane-cli: the directory client did not start \\(error code (-1|%1)\\)").arg(kCode));
        Add(Stop, "veltrane-cli: La classe User n'est pas dans votre shéma");
        Add(Stop, "veltrane-cli: Type de données 'inconnu' invalide pour l'opérateur 'inférieur ou égal'");
    }

    // Reads the reports among the lines; false when a line is none of the texts.
    bool Read(const QStringList &lines, const FaultSweepRuns &runs, SweepMissed &missed, bool &stopped,
              QStringList &counters) const
    {
        static const QRegularExpression counter(QStringLiteral("^(\\d+ objets analysés|\\d+ lignes trouvées)$"));
        for (const QString &line : lines) {
            if (counter.match(line).hasMatch()) {
                counters << line;
                continue;
            }
            const auto text = std::find_if(texts_.begin(), texts_.end(),
                                           [&line](const Text &t) { return t.pattern.match(line).hasMatch(); });
            if (text == texts_.end())
                return false;
            const QRegularExpressionMatch match = text->pattern.match(line);
            const QString object = match.captured(QStringLiteral("object"));
            switch (text->kind) {
            case Names:
                missed.objects << runs.Listed(object);
                break;
            case Values: {
                const std::pair<QString, QString> where{object, match.captured(QStringLiteral("attribute"))};
                if (!missed.attributes.contains(where))
                    missed.attributes[where] = runs.ValueCount(where.first, where.second) - 1;
                break;
            }
            case Stop:
                stopped = true;
                break;
            case Noted:
                break;
            }
        }
        return true;
    }

private:
    // Noted: a report after which the work goes on with what was read.
    enum Kind { Names, Values, Stop, Noted };
    struct Text {
        Kind kind;
        QRegularExpression pattern;
    };

    void Add(Kind kind, const QString &pattern)
    {
        texts_.push_back({kind, QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'))});
    }

    std::vector<Text> texts_;
};
