// The monitor's Modbus module: loaded as a plugin from exactly the folder it is asked in, and
// refused, with a reason that names the file, when it is not one of ours or of another version.
#include "monitor/Modbus_Link.h"

#include "test_config.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Fake_Dir = QStringLiteral(QCX_BUILD_DIR "/test_modules/fake");
const QString Other_Version_Dir = QStringLiteral(QCX_BUILD_DIR "/test_modules/other_version");

}  // namespace

class Tst_Modbus_Module : public QObject {
    Q_OBJECT
private slots:
    void makes_links_with_the_module_of_its_folder();
    void refuses_what_it_cannot_use_data();
    void refuses_what_it_cannot_use();
    void never_searches_the_library_path();
    void the_real_module_makes_a_client();
};

void Tst_Modbus_Module::makes_links_with_the_module_of_its_folder()
{
    // The first folder that holds the module is the one used; an empty entry is passed over.
    QTemporaryDir empty;
    QString why = QStringLiteral("untouched");
    std::unique_ptr<Modbus_Link> link = Load_Modbus_Link({QString(), empty.path(), Fake_Dir}, 1000, &why);
    QVERIFY2(link, qPrintable(why));

    // The link is the module's own: the fake's registers answer, through the interface.
    QList<Modbus_Link::State> states;
    link->On_State = [&states](Modbus_Link::State s) { states.append(s); };
    QVERIFY(link->Connect_To(QStringLiteral("127.0.0.1"), 502));
    QCOMPARE(states, QList<Modbus_Link::State>{Modbus_Link::State::Connected});
    QList<uint16_t> values;
    QVERIFY(link->Write_Register(1, 41, 7, [](const Modbus_Link::Answer &) {}));
    QVERIFY(link->Read_Registers(3, 1, 40, 3, [&values](const Modbus_Link::Answer &a) { values = a.Values; }));
    QCOMPARE(values, (QList<uint16_t>{40, 7, 42}));

    // Each call makes a link of its own.
    std::unique_ptr<Modbus_Link> second = Load_Modbus_Link({Fake_Dir}, 1000, nullptr);
    QVERIFY(second);
    QCOMPARE(second->Link_State(), Modbus_Link::State::Unconnected);
}

void Tst_Modbus_Module::refuses_what_it_cannot_use_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("no module") << "none" << QStringList{"qcx3310_modbus not found in"};
    QTest::newRow("another version")
        << "other_version"
        << QStringList{"/qcx3310_modbus.so: the module belongs to another version of the program",
                       "org.qcx3310.Modbus_Link_Factory/0", QCX_MODBUS_LINK_FACTORY_IID};
    QTest::newRow("not a plugin") << "junk" << QStringList{"/qcx3310_modbus.so: "};
    QTest::newRow("a folder of that name") << "folder" << QStringList{"qcx3310_modbus not found in"};
}

void Tst_Modbus_Module::refuses_what_it_cannot_use()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, said);
    QTemporaryDir temp;
    QString dir = temp.path();
    if (kind == u"other_version") {
        dir = Other_Version_Dir;
    } else if (kind == u"junk") {
        QFile junk(temp.filePath(QStringLiteral("qcx3310_modbus.so")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("\x7f" "ELF but nothing more");
    } else if (kind == u"folder") {
        QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("qcx3310_modbus.so")));
    }
    QString why;
    QVERIFY(!Load_Modbus_Link({dir}, 1000, &why));
    for (const QString &part : said) QVERIFY2(why.contains(part), qPrintable(why));
    QVERIFY2(why.contains(QDir::toNativeSeparators(dir)), qPrintable(why));
    // Nothing is tried after a module that was found and refused: that is the user's module.
    if (kind == u"other_version") {
        QVERIFY(!Load_Modbus_Link({dir, Fake_Dir}, 1000, &why));
        QVERIFY2(why.contains(QLatin1String("another version")), qPrintable(why));
    }
}

void Tst_Modbus_Module::never_searches_the_library_path()
{
    // A module of that name on Qt's library path is never taken for the one the program's
    // folder lacks.
    QTemporaryDir empty;
    QCoreApplication::addLibraryPath(Fake_Dir);
    QString why;
    const std::unique_ptr<Modbus_Link> link = Load_Modbus_Link({empty.path()}, 1000, &why);
    QCoreApplication::removeLibraryPath(Fake_Dir);
    QVERIFY(!link);
    QVERIFY2(why.contains(QLatin1String("qcx3310_modbus not found in")) && why.contains(empty.path()), qPrintable(why));
    QVERIFY(!Load_Modbus_Link({}, 1000, &why));
}

void Tst_Modbus_Module::the_real_module_makes_a_client()
{
    // The module built beside the program: a client that has not connected yet, and that says
    // why when it cannot reach a server (port 9 on loopback: nothing listens there).
    QString why;
    std::unique_ptr<Modbus_Link> link = Load_Modbus_Link({QStringLiteral(QCX_WORKSPACE_DIR)}, 1000, &why);
    QVERIFY2(link, qPrintable(why));
    QCOMPARE(link->Link_State(), Modbus_Link::State::Unconnected);
    QList<Modbus_Link::State> states;
    link->On_State = [&states](Modbus_Link::State s) { states.append(s); };
    QVERIFY(link->Connect_To(QStringLiteral("127.0.0.1"), 9));
    QTRY_VERIFY_WITH_TIMEOUT(states.contains(Modbus_Link::State::Unconnected), 10000);
    QCOMPARE(link->Last_Fault().What, Link_Fault::Kind::Refused);
}

QTEST_GUILESS_MAIN(Tst_Modbus_Module)
#include "tst_core_modbus_module.moc"
