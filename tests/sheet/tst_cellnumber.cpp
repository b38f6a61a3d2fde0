#include "CellNumber.h"

#include <QTest>

#include <string>

using quorvel::CellNumber;

class TestCellNumber : public QObject
{
    Q_OBJECT

private slots:
    void readsTheLeadingNumber_data();
    void readsTheLeadingNumber();
    void roundsLongTextsCorrectly();
    void neverReturnsInfinity();
};

void TestCellNumber::readsTheLeadingNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("blanks only") << QByteArray(" \t\n ") << 0.0;
    QTest::newRow("plain") << QByteArray("12.5") << 12.5;
    QTest::newRow("gallons mode marker") << QByteArray("-99") << -99.0;
    QTest::newRow("followed by a word") << QByteArray("12.5 laps") << 12.5;
    QTest::newRow("followed by a letter") << QByteArray("1.50x") << 1.5;
    QTest::newRow("starts with a letter") << QByteArray("x12") << 0.0;
    QTest::newRow("blanks inside the number") << QByteArray(" 1 2 . 5") << 12.5;
    QTest::newRow("blanks after the sign") << QByteArray("\t-\n3") << -3.0;
    QTest::newRow("plus sign") << QByteArray("+7") << 7.0;
    QTest::newRow("two signs") << QByteArray("--5") << 0.0;
    QTest::newRow("sign alone") << QByteArray("-") << 0.0;
    QTest::newRow("point first") << QByteArray(".5") << 0.5;
    QTest::newRow("negative point first") << QByteArray("-.5") << -0.5;
    QTest::newRow("point alone") << QByteArray(".") << 0.0;
    QTest::newRow("second point stops") << QByteArray("1.2.3") << 1.2;
    QTest::newRow("comma stops") << QByteArray("1,5") << 1.0;
    QTest::newRow("exponent") << QByteArray("1e3") << 1000.0;
    QTest::newRow("capital exponent with sign") << QByteArray("1E+2") << 100.0;
    QTest::newRow("negative exponent") << QByteArray("-.5e-3") << -0.0005;
    QTest::newRow("E without digits") << QByteArray("2e") << 2.0;
    QTest::newRow("E and sign without digits") << QByteArray("2e-x") << 2.0;
    QTest::newRow("blanks in the exponent") << QByteArray("1 e 2") << 100.0;
    QTest::newRow("leading zeros") << QByteArray("000.0720") << 0.072;
    QTest::newRow("beyond a double") << QByteArray("1e400") << 0.0;
    QTest::newRow("beyond a double, negative") << QByteArray("-9e999999999999") << 0.0;
    QTest::newRow("below a double") << QByteArray("1e-400") << 0.0;
    QTest::newRow("largest double")
        << QByteArray("1.7976931348623157e308") << 1.7976931348623157e308;
    QTest::newRow("comma decimal is not a point") << QByteArray("0,72") << 0.0;
}

void TestCellNumber::readsTheLeadingNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    // Exact: the crew's 0.72 must be the double 0.72, not something near it.
    QCOMPARE(CellNumber(text.toStdString()), expected);
}

void TestCellNumber::roundsLongTextsCorrectly()
{
    // More digits than the fast path takes go through the careful one.
    QCOMPARE(CellNumber("3.14159265358979323846264338327950288"), 3.141592653589793);
    QCOMPARE(CellNumber("0.1000000000000000000000000001"), 0.1);
    // Exactly halfway between two doubles: to the even one; a hair above:
    // up, even when the hair lies beyond the digits the reader keeps.
    QCOMPARE(CellNumber("9007199254740993"), 9007199254740992.0);
    const std::string aboveHalf = "9007199254740993." + std::string(1000, '0') + "1";
    QCOMPARE(CellNumber(aboveHalf), 9007199254740994.0);
    // Many digits in front of the point keep their magnitude.
    QCOMPARE(CellNumber("1" + std::string(300, '0')), 1e300);
    QCOMPARE(CellNumber("0." + std::string(300, '0') + "1"), 1e-301);
}

void TestCellNumber::neverReturnsInfinity()
{
    QCOMPARE(CellNumber("1" + std::string(400, '0')), 0.0);
    QCOMPARE(CellNumber("-1" + std::string(400, '0')), 0.0);
}

QTEST_APPLESS_MAIN(TestCellNumber)
#include "tst_cellnumber.moc"
