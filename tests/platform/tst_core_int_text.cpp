// Integer text conversion and trimming: the rules every reader and validator relies on.
#include "platform/Int_Text.h"

#include <QtTest>

class Tst_Int_Text : public QObject {
    Q_OBJECT
private slots:
    void str_to_int_data();
    void str_to_int();
    void trim_data();
    void trim();
};

void Tst_Int_Text::str_to_int_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << "385" << true << 385;
    QTest::newRow("dollar hex") << "$181" << true << 385;
    QTest::newRow("0x hex") << "0x181" << true << 385;
    QTest::newRow("0X hex upper digits") << "0X1AbF" << true << 0x1ABF;
    QTest::newRow("x hex") << "x181" << true << 385;
    QTest::newRow("X hex") << "X181" << true << 385;
    QTest::newRow("leading blanks") << "   7" << true << 7;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("minus sign") << "-1" << true << -1;
    QTest::newRow("blanks then sign") << "  -12" << true << -12;
    QTest::newRow("negative hex") << "-$10" << true << -16;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("eight hex digits top bit negative") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex 0x80000000") << "0x80000000" << true << int(0x80000000u);
    QTest::newRow("hex leading zeros beyond eight") << "$000000001" << true << 1;
    QTest::newRow("29-bit id") << "0x1FFFFFFF" << true << 0x1FFFFFFF;
    // Plain digits of every count up to ten (the UTF-8 form takes short ones a shorter way).
    QTest::newRow("one digit") << "0" << true << 0;
    QTest::newRow("four digits") << "4095" << true << 4095;
    QTest::newRow("five digits") << "12345" << true << 12345;
    QTest::newRow("nine digits") << "999999999" << true << 999999999;
    QTest::newRow("nine digits, leading zeros") << "000000012" << true << 12;
    QTest::newRow("ten digits") << "1000000000" << true << 1000000000;

    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("trailing blank") << "7 " << false << 0;
    QTest::newRow("suffix letter") << "181h" << false << 0;
    QTest::newRow("blank after sign") << "- 7" << false << 0;
    QTest::newRow("tab before") << "\t7" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("prefix only") << "$" << false << 0;
    QTest::newRow("0x only") << "0x" << false << 0;
    QTest::newRow("two signs") << "+-1" << false << 0;
    QTest::newRow("decimal overflow") << "2147483648" << false << 0;
    QTest::newRow("negative overflow") << "-2147483649" << false << 0;
    QTest::newRow("nine hex digits") << "$100000000" << false << 0;
    QTest::newRow("hex digit in decimal") << "12a" << false << 0;
    QTest::newRow("bad hex digit") << "0x1G" << false << 0;
    QTest::newRow("decimal point") << "1.5" << false << 0;
    QTest::newRow("character after the digits' range") << "12:" << false << 0;
    QTest::newRow("character before the digits' range") << "1/2" << false << 0;
    QTest::newRow("letter in eight characters") << "1234567a" << false << 0;
    QTest::newRow("full-width digit") << QString::fromUtf8("\xEF\xBC\x91") << false << 0;
    QTest::newRow("letter beyond ASCII after digits") << QString::fromUtf8("7\xC3\xA9") << false << 0;
}

void Tst_Int_Text::str_to_int()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const std::optional<int32_t> result = Int_Text::Str_To_Int(text);
    QCOMPARE(result.has_value(), ok);
    if (ok) QCOMPARE(*result, value);
    QCOMPARE(Int_Text::Str_To_Int_Def(text, -77), ok ? value : -77);
    // The UTF-8 form of the conversion gives the same result.
    QCOMPARE(Int_Text::Str_To_Int_Utf8(text.toUtf8()), result);
    QCOMPARE(Int_Text::Str_To_Int_Def_Utf8(text.toUtf8(), -77), ok ? value : -77);
}

void Tst_Int_Text::trim_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks") << "  a b  " << "a b";
    QTest::newRow("controls") << "\t\r\n a\x01\x1f" << "a";
    QTest::newRow("nbsp kept") << QString(QChar(0xA0)) + "a" << QString(QChar(0xA0)) + "a";
    QTest::newRow("all blank") << " \t " << "";
    QTest::newRow("empty") << "" << "";
}

void Tst_Int_Text::trim()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(Int_Text::Trim(text), trimmed);
}

QTEST_APPLESS_MAIN(Tst_Int_Text)
#include "tst_core_int_text.moc"
