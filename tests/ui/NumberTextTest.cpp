// Reading numbers typed into the property pages.

#include "NumberText.h"

#include <QTest>

using namespace ruva;

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void wholeNumbers();
    void addresses_data();
    void addresses();
};

void NumberTextTest::wholeNumbers() {
    QCOMPARE(ParseWholeNumber(" -7\t"), std::optional<std::int64_t>(-7));
    QCOMPARE(ParseWholeNumber("+300"), std::optional<std::int64_t>(300));
    QCOMPARE(ParseWholeNumber("-0"), std::optional<std::int64_t>(0));
    QCOMPARE(ParseWholeNumber("007"), std::optional<std::int64_t>(7)); // decimal, not octal
    // Too large to be exact, but never small enough to pass a range check.
    QVERIFY(*ParseWholeNumber("18446744073709551617") > 0xFFFFFFFF);
    QVERIFY(*ParseWholeNumber("-4294967296") < -0xFFFFFFFFLL);
    for (const char* bad : {"", "  ", "+", "- 1", "1 2", "0x10", "1e3", "٣"})
        QVERIFY2(!ParseWholeNumber(bad), bad);
}

void NumberTextTest::addresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value"); // -1: no number
    QTest::newRow("zero") << "0" << qint64{0};
    QTest::newRow("octal zero") << "00" << qint64{0};
    QTest::newRow("plus before hexadecimal") << "+0x10" << qint64{16};
    QTest::newRow("largest octal") << "037777777777" << qint64{0xFFFFFFFF};
    QTest::newRow("octal beyond 32 bits") << "040000000000" << qint64{-1};
    QTest::newRow("largest decimal") << "4294967295" << qint64{0xFFFFFFFF};
    QTest::newRow("leading zeros in hexadecimal") << "0x000000008000" << qint64{0x8000};
    QTest::newRow("prefix alone") << "0x" << qint64{-1};
    QTest::newRow("8 in octal") << "08" << qint64{-1};
    QTest::newRow("hexadecimal digit in decimal") << "12a" << qint64{-1};
    QTest::newRow("upper-case prefix, blanks") << " 0XfFfFfFfF " << qint64{0xFFFFFFFF};
    QTest::newRow("beyond 32 bits") << "4294967296" << qint64{-1};
    QTest::newRow("empty") << "" << qint64{-1};
    QTest::newRow("trailing text") << "0x8000h" << qint64{-1};
    QTest::newRow("negative") << "-1" << qint64{-1};
    QTest::newRow("blank inside") << "0x 10" << qint64{-1};
}

void NumberTextTest::addresses() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    const auto parsed = ParseAddress(text.toStdString());
    if (value < 0)
        QVERIFY(!parsed);
    else
        QCOMPARE(parsed, std::optional<std::uint32_t>(static_cast<std::uint32_t>(value)));
}

QTEST_APPLESS_MAIN(NumberTextTest)
#include "NumberTextTest.moc"
