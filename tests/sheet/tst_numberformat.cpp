#include "NumberFormat.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <random>
#include <string>

using quorvel::FormatNumber;
using quorvel::NumberFormat;

Q_DECLARE_METATYPE(NumberFormat)

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void writesThePattern_data();
    void writesThePattern();
    void fastPathAgreesWithDecimalText();
};

void TestNumberFormat::writesThePattern_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<NumberFormat>("format");
    QTest::addColumn<QString>("expected");

    constexpr auto Two = NumberFormat::TwoDecimals;
    constexpr auto One = NumberFormat::OneDecimal;
    constexpr auto Bare = NumberFormat::TwoDecimalsNoLeadingZero;
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("two: zero") << 0.0 << Two << "0.00";
    QTest::newRow("two: rounds") << 4.567 << Two << "4.57";
    QTest::newRow("two: pads") << 123.5 << Two << "123.50";
    QTest::newRow("one: zero") << 0.0 << One << "0.0";
    QTest::newRow("one: rounds") << 87.26 << One << "87.3";
    QTest::newRow("one: negative") << -3.04 << One << "-3.0";
    QTest::newRow("bare: zero") << 0.0 << Bare << ".00";
    QTest::newRow("bare: fraction") << 0.456 << Bare << ".46";
    QTest::newRow("bare: integer part") << 2.456 << Bare << "2.46";
    QTest::newRow("bare: rounds up to one") << 0.999 << Bare << "1.00";
    QTest::newRow("bare: rounds down to zero") << 0.004 << Bare << ".00";
    // 2.675 is stored a hair below; taken to 15 digits first it is a half.
    QTest::newRow("two: half away from zero") << 2.675 << Two << "2.68";
    QTest::newRow("two: 1.005") << 1.005 << Two << "1.01";
    QTest::newRow("one: a quarter") << 0.25 << One << "0.3";
    QTest::newRow("one: negative half") << -0.25 << One << "-0.3";
    QTest::newRow("one: just below a half stays") << 0.2499999 << One << "0.2";
    QTest::newRow("one: spare laps error") << 9.6 - 7.8 << One << "1.8";
    QTest::newRow("two: carries into a new digit") << 9.995 << Two << "10.00";
    QTest::newRow("two: small negative has no minus") << -0.004 << Two << "0.00";
    QTest::newRow("one: small negative has no minus") << -0.04 << One << "0.0";
    QTest::newRow("two: negative zero") << -0.0 << Two << "0.00";
    QTest::newRow("bare: negative") << -0.456 << Bare << "-.46";
    QTest::newRow("two: large") << 1e20 << Two << "100000000000000000000.00";
    QTest::newRow("two: beyond 15 digits")
        << 123456789012345678.0 << Two << "123456789012346000.00";
    QTest::newRow("one: tiny") << 1e-300 << One << "0.0";
    QTest::newRow("infinity is blank") << inf << Two << "";
    QTest::newRow("minus infinity is blank") << -inf << One << "";
    QTest::newRow("nan is blank") << std::nan("") << Bare << "";
}

void TestNumberFormat::writesThePattern()
{
    QFETCH(double, value);
    QFETCH(NumberFormat, format);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(FormatNumber(value, format)), expected);
}

void TestNumberFormat::fastPathAgreesWithDecimalText()
{
    // The exact integer arithmetic of the everyday path against the slow
    // decimal-text reference, over every magnitude a race can produce and
    // over values that sit on a rounding half.
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-6, 24);
    const auto check = [](double value) {
        for (const NumberFormat format : {NumberFormat::TwoDecimals, NumberFormat::OneDecimal,
                                          NumberFormat::TwoDecimalsNoLeadingZero}) {
            quorvel::FormattedNumber fast{};
            quorvel::FormattedNumber reference{};
            const std::string a(fast.data(), FormatNumber(value, format, fast));
            const std::string b(reference.data(),
                                quorvel::FormatNumberByDecimalText(value, format, reference));
            if (a != b)
                QFAIL(qPrintable(QStringLiteral("%1: %2 against %3")
                                     .arg(value, 0, 'g', 17)
                                     .arg(QString::fromStdString(a), QString::fromStdString(b))));
        }
    };
    for (int i = 0; i < 200000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        check(i % 2 ? value : -value);
    }
    for (int cents = 0; cents < 200000; ++cents) {
        check(cents / 100.0 + 0.005);
        check(cents / 10.0 + 0.05);
        check(std::nextafter(cents / 100.0 + 0.005, 0.0));
    }
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
