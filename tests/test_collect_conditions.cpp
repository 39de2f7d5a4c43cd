#include "FakeQuerySchema.h"

#include "engine/Operators.h"
#include "query/CollectConditions.h"
#include "query/TQueryDefinition.h"

#include <QTest>

namespace {

FakeQuerySchema Schema()
{
    FakeQuerySchema schema;
    schema.classes["User"] = {{"CN", "String"}, {"Login Grace Limit", "Long"}, {"Surname", "String"}};
    return schema;
}

tCondition Row(uint8_t op, tDataType tip, const QString &v1, const QString &tn = "String", bool disp = true)
{
    return tCondition(op, tip, v1, {}, tn, disp);
}

TQueryDefinition Query(const QStringList &properties)
{
    TQueryDefinition query;
    query.className = "User";
    query.Properties = properties;
    return query;
}

} // namespace

class TestCollectConditions : public QObject
{
    Q_OBJECT
private slots:
    void propertyChosenTwiceTakesTheRowsOfThatNameInTurn()
    {
        FakeQuerySchema schema = Schema();
        TQueryDefinition query = Query({"CN", "Surname", "cn"});
        query.Filters.Add("CN", Row(opEgal, dtString, "A"));
        query.Filters.Add("CN", Row(opCommencePar, dtString, "B"));
        QVERIFY(CollectConditions(query, schema).IsOk());
        QCOMPARE(query.Filters.Count(), 3);
        QCOMPARE(query.Filters.Property(0), QStringLiteral("CN"));
        QCOMPARE(query.Filters.Condition(0).v1, QStringLiteral("A"));
        // A property without a row of its name is shown without a condition.
        QCOMPARE(query.Filters.Condition(1).op, uint8_t(opAucune));
        QVERIFY(query.Filters.Condition(1).disp);
        QCOMPARE(query.Filters.Property(2), QStringLiteral("cn"));
        QCOMPARE(query.Filters.Condition(2).op, uint8_t(opCommencePar));
        QCOMPARE(query.Filters.Condition(2).v1, QStringLiteral("B"));
    }

    void failingRowKeepsTheExistingRows()
    {
        FakeQuerySchema schema = Schema();
        TQueryDefinition query = Query({"CN", "Login Grace Limit"});
        query.Filters.Add("CN", Row(opEgal, dtString, "A"));
        query.Filters.Add("Login Grace Limit", Row(opEgal, dtInteger, "six", "Long"));
        const TQueryStatus status = CollectConditions(query, schema);
        QCOMPARE(status.kind, TQueryStatus::InvalidCondition);
        QCOMPARE(status.message, QStringLiteral("'SIX' n'est pas une valeur entière correcte"));
        QCOMPARE(query.Filters.Count(), 2);
        QCOMPARE(query.Filters.Condition(1).v1, QStringLiteral("SIX"));
    }

    void valueKindsComeFromTheSchema()
    {
        FakeQuerySchema schema = Schema();
        TQueryDefinition query = Query({"Login Grace Limit", "Title"});
        // Stored as a text, but the schema says the property is a number.
        query.Filters.Add("Login Grace Limit", Row(opSuperieur, dtString, "x", "String"));
        const TQueryStatus status = CollectConditions(query, schema);
        QCOMPARE(status.kind, TQueryStatus::InvalidCondition);

        query.Filters.Clear();
        query.Filters.Add("Login Grace Limit", Row(opSuperieur, dtString, "5", "String"));
        QVERIFY(CollectConditions(query, schema).IsOk());
        QCOMPARE(query.Filters.Condition(0).tip, dtInteger);
        // A property the schema does not hold has no known kind.
        QCOMPARE(query.Filters.Condition(1).tip, dtUnknown);
    }
};

QTEST_GUILESS_MAIN(TestCollectConditions)
#include "test_collect_conditions.moc"
