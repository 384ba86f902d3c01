// The communication settings' checks and defaults, without a window.
#include "editing/Par_Gen_Check.h"

#include <QtTest>

class Tst_Par_Gen_Check : public QObject {
    Q_OBJECT
private slots:
    void first_failing_field_data();
    void first_failing_field();
    void stored_texts_win_over_defaults();
    void baud_code_and_gateway_texts_data();
    void baud_code_and_gateway_texts();
    void same_texts_data();
    void same_texts();
};

// Field keys: IP1..IP4, SM1..SM4, GAT1..GAT4, PORT, EN_GAT.
static QString &Field(Par_Gen_Texts &t, const QString &key)
{
    const int n = key.right(1).toInt() - 1;
    if (key.startsWith("IP")) return t.IP[n];
    if (key.startsWith("SM")) return t.SM[n];
    if (key.startsWith("GAT")) return t.GAT[n];
    if (key == "EN_GAT") return t.EN_GAT;
    return t.Port;
}

void Tst_Par_Gen_Check::first_failing_field_data()
{
    // Each row changes the defaults with "KEY=text" pairs; -1 means every field is valid.
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<int>("str");

    QTest::newRow("defaults") << QStringList{} << -1;
    QTest::newRow("IP1 256") << QStringList{"IP1=256"} << 84;
    QTest::newRow("IP2 -1") << QStringList{"IP2=-1"} << 85;
    QTest::newRow("IP3 abc") << QStringList{"IP3=abc"} << 86;
    QTest::newRow("IP4 empty") << QStringList{"IP4="} << 87;
    QTest::newRow("IP4 trailing blank") << QStringList{"IP4=7 "} << 87;
    QTest::newRow("leading blank and hex pass") << QStringList{"IP1= 7", "IP2=0x10", "SM3=$FF"} << -1;
    QTest::newRow("hex 0x100 is 256") << QStringList{"SM1=0x100"} << 88;
    QTest::newRow("SM2 256") << QStringList{"SM2=256"} << 89;
    QTest::newRow("SM3 empty") << QStringList{"SM3="} << 90;
    QTest::newRow("SM4 -1") << QStringList{"SM4=-1"} << 91;
    QTest::newRow("mask need not be contiguous") << QStringList{"SM1=0", "SM4=255"} << -1;
    QTest::newRow("IP before mask") << QStringList{"SM1=x", "IP4=x"} << 87;
    QTest::newRow("gateway off: 999 passes") << QStringList{"GAT1=999", "GAT4=abc"} << -1;
    QTest::newRow("gateway on: GAT1") << QStringList{"EN_GAT=1", "GAT1=999"} << 92;
    QTest::newRow("gateway on: GAT2") << QStringList{"EN_GAT=1", "GAT2=256"} << 93;
    QTest::newRow("gateway on: GAT3") << QStringList{"EN_GAT=1", "GAT3="} << 94;
    QTest::newRow("gateway on: GAT4") << QStringList{"EN_GAT=1", "GAT4=-1"} << 95;
    QTest::newRow("gateway \"true\" is off") << QStringList{"EN_GAT=true", "GAT1=999"} << -1;
    QTest::newRow("mask before gateway") << QStringList{"EN_GAT=1", "GAT1=999", "SM4=999"} << 91;
    QTest::newRow("gateway before port") << QStringList{"EN_GAT=1", "GAT4=999", "PORT=x"} << 95;
    QTest::newRow("port 0") << QStringList{"PORT=0"} << -1;
    QTest::newRow("port 65535") << QStringList{"PORT=65535"} << -1;
    QTest::newRow("port 65536") << QStringList{"PORT=65536"} << 96;
    QTest::newRow("port -1") << QStringList{"PORT=-1"} << 96;
    QTest::newRow("port empty") << QStringList{"PORT="} << 96;
    QTest::newRow("port $FFFF") << QStringList{"PORT=$FFFF"} << -1;
    QTest::newRow("port beyond 32 bits") << QStringList{"PORT=4294967798"} << 96;
}

void Tst_Par_Gen_Check::first_failing_field()
{
    QFETCH(QStringList, changes);
    QFETCH(int, str);
    Par_Gen_Texts t = Par_Gen_Defaults();
    for (const QString &change : changes) {
        const qsizetype eq = change.indexOf('=');
        Field(t, change.left(eq)) = change.mid(eq + 1);
    }
    const std::optional<int> failed = Par_Gen_Check(t);
    QCOMPARE(failed.value_or(-1), str);
}

void Tst_Par_Gen_Check::stored_texts_win_over_defaults()
{
    Par_Gen_Fields<std::optional<QString>> stored;
    stored.IP[3] = QString(" 7");
    stored.GAT[0] = QString("");
    stored.EN_GAT = QString("true");
    const Par_Gen_Texts t = Par_Gen_Merge_Defaults(stored);
    QCOMPARE(t.CAN_BAUDRATE, QString("5"));
    QCOMPARE((QStringList{t.IP[0], t.IP[1], t.IP[2], t.IP[3]}), (QStringList{"192", "168", "0", " 7"}));
    QCOMPARE((QStringList{t.SM[0], t.SM[1], t.SM[2], t.SM[3]}), (QStringList{"255", "255", "255", "0"}));
    QCOMPARE((QStringList{t.GAT[0], t.GAT[1], t.GAT[2], t.GAT[3]}), (QStringList{"", "168", "0", "1"}));
    QCOMPARE(t.EN_GAT, QString("true"));
    QCOMPARE(t.Port, QString("502"));
}

void Tst_Par_Gen_Check::baud_code_and_gateway_texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<bool>("gateway");
    QTest::newRow("1") << "1" << 1 << true;
    QTest::newRow("0") << "0" << 0 << false;
    QTest::newRow(" 1") << " 1" << 1 << false;
    QTest::newRow("01") << "01" << 1 << false;
    QTest::newRow("true") << "true" << 5 << false;
    QTest::newRow("empty") << "" << 5 << false;
    QTest::newRow("12") << "12" << 12 << false;
    QTest::newRow("$8") << "$8" << 8 << false;
}

void Tst_Par_Gen_Check::baud_code_and_gateway_texts()
{
    QFETCH(QString, text);
    QFETCH(int, baud);
    QFETCH(bool, gateway);
    QCOMPARE(Par_Gen_Baud_Index(text), baud);
    QCOMPARE(Par_Gen_Gateway_On(text), gateway);
}

void Tst_Par_Gen_Check::same_texts_data()
{
    // "KEY=text" changes to the defaults; whether the result still counts as the same settings.
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<bool>("same");
    QTest::newRow("nothing") << QStringList{} << true;
    QTest::newRow("same text again") << QStringList{"IP1=192"} << true;
    QTest::newRow("baud rate") << QStringList{"CAN_BAUDRATE=6"} << false;
    QTest::newRow("last IP part") << QStringList{"IP4=11"} << false;
    QTest::newRow("last mask part") << QStringList{"SM4=1"} << false;
    QTest::newRow("gateway flag") << QStringList{"EN_GAT=1"} << false;
    QTest::newRow("last gateway part") << QStringList{"GAT4=2"} << false;
    QTest::newRow("port") << QStringList{"Port=503"} << false;
    QTest::newRow("a blank more") << QStringList{"Port=502 "} << false;
}

void Tst_Par_Gen_Check::same_texts()
{
    QFETCH(QStringList, changes);
    QFETCH(bool, same);
    Par_Gen_Texts t = Par_Gen_Defaults();
    for (const QString &change : changes) {
        const QString key = change.section('=', 0, 0);
        (key == "CAN_BAUDRATE" ? t.CAN_BAUDRATE : Field(t, key)) = change.section('=', 1);
    }
    QCOMPARE(Par_Gen_Same(Par_Gen_Defaults(), t), same);
    QCOMPARE(Par_Gen_Same(t, Par_Gen_Defaults()), same);
}

QTEST_GUILESS_MAIN(Tst_Par_Gen_Check)
#include "tst_core_par_gen_check.moc"
