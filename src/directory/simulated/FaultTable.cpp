#include "directory/simulated/FaultTable.h"

#include "directory/simulated/DirectoryName.h"

bool FaultTable::Add(const DirectoryFault &fault, const DirectoryModel &model, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QByteArray functionName = fault.function.toUtf8();
    const std::optional<ClientFunction> function =
        ClientFunctionByName(std::string_view(functionName.constData(), size_t(functionName.size())));
    if (!function)
        return fail(QStringLiteral("\"%1\" is not a function of the directory client").arg(fault.function));
    if (fault.emptyBatch && !ReturnsBatches(*function))
        return fail(
            QStringLiteral("%1 does not read in batches, so it cannot return an empty batch").arg(fault.function));
    if (fault.from == 0)
        return fail(QStringLiteral("a fault applies from the first matching call on at the earliest"));
    Rule rule;
    rule.result = fault.result;
    rule.emptyBatch = fault.emptyBatch;
    rule.from = fault.from;
    if (!fault.tree.isEmpty()) {
        const QByteArray tree = fault.tree.toUtf8();
        rule.tree = model.FindTree(std::string_view(tree.constData(), size_t(tree.size())));
        if (rule.tree < 0)
            return fail(QStringLiteral("the directory has no tree \"%1\"").arg(fault.tree));
    }
    if (!fault.object.isEmpty()) {
        const QByteArray object = fault.object.toUtf8();
        rule.hasObject = true;
        rule.object = DirectoryName::Key(std::string_view(object.constData(), size_t(object.size())));
    }
    rule.attribute = fault.attribute.toStdString();
    rules_[size_t(*function)].push_back(std::move(rule));
    return true;
}

void FaultTable::Clear()
{
    for (std::vector<Rule> &rules : rules_)
        rules.clear();
}
