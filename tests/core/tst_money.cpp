// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/money.h"

#include <QRandomGenerator>
#include <QtTest>

#include "support/test_main.h"

class MoneyTest : public QObject {
    Q_OBJECT
private slots:
    void readingAmounts_data();
    void readingAmounts();
    void sumsAreExact();
    void displayForms_data();
    void displayForms();
};

// How every way an amount comes in reads a text: typed (the editor), grouped (the batch
// import) and stored (what the lists and totals count). An empty cell means "not an amount".
void MoneyTest::readingAmounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");    // Money::storedText(text): what the editor stores
    QTest::addColumn<QString>("grouped");  // Money::storedText(text, true): what the import stores
    QTest::addColumn<QString>("counted");  // Money::fromStored(text).exact(): what a stored text adds
    QTest::newRow("integer") << "10" << "10" << "10" << "10";
    QTest::newRow("decimals kept as typed") << "12.50" << "12.50" << "12.50" << "12.5";
    QTest::newRow("bare point") << "12." << "12" << "12" << "12";
    QTest::newRow("leading point") << ".5" << "0.5" << "0.5" << "0.5";
    QTest::newRow("zero") << "0" << "0" << "0" << "0";
    QTest::newRow("leading zeros") << "007" << "7" << "7" << "7";
    QTest::newRow("zero point") << "0.05" << "0.05" << "0.05" << "0.05";
    QTest::newRow("blanks, plus, zeros") << " +007.25 " << "7.25" << "7.25" << "7.25";
    QTest::newRow("negative") << "-4" << "-4" << "-4" << "-4";
    QTest::newRow("minus zero") << "-0.00" << "0.00" << "0.00" << "0";
    QTest::newRow("fifteen digits") << "999999999999999.99" << "999999999999999.99" << "999999999999999.99"
                                    << "999999999999999.99";
    QTest::newRow("sixteen digits") << "1234567890123456" << "" << "" << "1234567890123456";
    QTest::newRow("thousands") << "1,234.50" << "" << "1234.50" << "";
    QTest::newRow("thousands twice") << "-12,345,678" << "" << "-12345678" << "";
    QTest::newRow("comma as point") << "1,5" << "" << "" << "";
    QTest::newRow("uneven groups") << "12,34,5" << "" << "" << "";
    QTest::newRow("comma first") << ",123" << "" << "" << "";
    QTest::newRow("exponent") << "1e5" << "" << "" << "100000";
    QTest::newRow("small exponent") << "2.5E-2" << "" << "" << "0.025";
    QTest::newRow("huge exponent") << "1e300" << "" << "" << "";
    QTest::newRow("hex") << "0x10" << "" << "" << "";
    QTest::newRow("infinity") << "inf" << "" << "" << "";
    QTest::newRow("minus inside") << "12-3" << "" << "" << "";
    QTest::newRow("minus alone") << "-" << "" << "" << "";
    QTest::newRow("point alone") << "." << "" << "" << "";
    QTest::newRow("two points") << "1.2.3" << "" << "" << "";
    QTest::newRow("two signs") << "--3" << "" << "" << "";
    QTest::newRow("full-width digits") << "１２" << "" << "" << "";
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("beyond twelve decimals rounds") << "0.0000000000005" << "0.0000000000005"
                                                   << "0.0000000000005" << "0.000000000001";
}

void MoneyTest::readingAmounts()
{
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QString, grouped);
    QFETCH(QString, counted);
    QCOMPARE(Money::storedText(text).value_or(QString()), typed);
    QCOMPARE(Money::storedText(text, true).value_or(QString()), grouped);
    QCOMPARE(Money::parse(text).has_value(), !typed.isEmpty());
    const std::optional<Money> stored = Money::fromStored(text);
    QCOMPARE(stored ? stored->exact() : QString(), counted);
    // The UTF-8 reader of the data file's functions agrees with the text reader.
    const QByteArray utf8 = text.toUtf8();
    QCOMPARE(Money::fromStored(std::string_view(utf8.constData(), size_t(utf8.size()))), stored);
}

void MoneyTest::sumsAreExact()
{
    auto sum = [](const QStringList &amounts) {
        Money total;
        for (const QString &a : amounts)
            total += *Money::fromStored(a);
        return total;
    };
    QCOMPARE(sum(QStringList(100, QStringLiteral("0.1"))).plain(), QStringLiteral("10"));
    QCOMPARE(sum({"0.1", "0.2"}).plain(), QStringLiteral("0.3"));
    QCOMPARE((sum({"0.1", "0.2"}) - *Money::parse(u"0.3")).fixed(3), QStringLiteral("0.000"));

    // Ten thousand two-decimal amounts: the total is the exact sum in cents, whatever the order.
    QRandomGenerator random(20261207);
    QStringList amounts;
    qint64 cents = 0;
    for (int i = 0; i < 10000; ++i) {
        const qint64 c = qint64(random.bounded(1, 99999999)) * (i % 7 == 0 ? -1 : 1);
        cents += c;
        amounts << QString::asprintf("%s%lld.%02lld", c < 0 ? "-" : "", std::llabs(c) / 100, std::llabs(c) % 100);
    }
    const QString expected = QString::asprintf("%s%lld.%02lld", cents < 0 ? "-" : "", std::llabs(cents) / 100,
                                               std::llabs(cents) % 100);
    QCOMPARE(sum(amounts).fixed(2), expected);
    std::reverse(amounts.begin(), amounts.end());
    QCOMPARE(sum(amounts), sum(QStringList(amounts.rbegin(), amounts.rend())));

    // Far beyond any ledger, a sum saturates instead of wrapping round to the other sign.
    Money huge = *Money::fromStored("9e23");
    for (int i = 0; i < 300; ++i)
        huge += huge;
    QVERIFY(!huge.isNegative());
}

// The forms the windows show: plain (lists' totals, the finance summary), fixed (balances,
// the search) and grouped (reports).
void MoneyTest::displayForms_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("fixed3");
    QTest::addColumn<QString>("grouped");
    QTest::newRow("zero") << "0" << "0" << "0.000" << "0.00";
    QTest::newRow("plain decimal") << "30.5" << "30.5" << "30.500" << "30.50";
    QTest::newRow("negative") << "-20.5" << "-20.5" << "-20.500" << "-20.50";
    QTest::newRow("rounds half away from zero") << "-0.0005" << "-0.0005" << "-0.001" << "0.00";
    QTest::newRow("tiny negative is zero") << "-0.0001" << "-0.0001" << "0.000" << "0.00";
    QTest::newRow("large") << "3300715539.98" << "3300715539.98" << "3300715539.980" << "3,300,715,539.98";
    QTest::newRow("fifteen significant digits") << "1234567890123.456" << "1234567890123.46"
                                                << "1234567890123.456" << "1,234,567,890,123.46";
    QTest::newRow("carry on rounding") << "99999999999999.999" << "100000000000000" << "99999999999999.999"
                                       << "100,000,000,000,000.00";
    QTest::newRow("grouping of a thousand") << "-1000" << "-1000" << "-1000.000" << "-1,000.00";
    QTest::newRow("no group under a thousand") << "999.995" << "999.995" << "999.995" << "1,000.00";
}

void MoneyTest::displayForms()
{
    QFETCH(QString, amount);
    const Money money = *Money::fromStored(amount);
    QTEST(money.plain(), "plain");
    QTEST(money.fixed(3), "fixed3");
    QTEST(money.grouped(), "grouped");
    QCOMPARE(Money::fromStored(money.exact()), money);
}

TALLYRA_TEST(MoneyTest)
#include "tst_money.moc"
