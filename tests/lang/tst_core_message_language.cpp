// The core's own messages in the user's language: the translator answers the core's texts from
// the live table and nothing else; each family of messages comes out whole in another language;
// without a translator (the command-line tools) every message keeps its English bytes; and no
// text of the core lacks a key.
#include "File_Bytes.h"
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "lang/Lang_Table.h"
#include "lang/Lang_Translator.h"
#include "platform/Core_Text.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"
#include "Config_Text.h"
#include "Shipped_Language.h"
#include "test_config.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <functional>
#include <locale.h>

namespace {


// The first finding of this code.
Check_Finding Finding(const QList<Check_Finding> &findings, const QString &code)
{
    for (const Check_Finding &f : findings)
        if (f.Code == code) return f;
    qFatal("no finding %s", qPrintable(code));
}

// The text of the file error fn throws (an XML file's, or one of the device images').
QString Error_Text(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const File_Error &e) {
        return e.Text();
    }
    qFatal("no error");
}

// Each case writes what it needs into dir (an empty folder).
// The place follows the language; the reason is the XML reader's own, which Qt's catalogue of
// its texts (loaded with the language) translates.
Message Xml_Position(const Lang_Table &t, const QString &)
{
    try {
        Xml_Document::Parse("<a>\n<b></a>", QStringLiteral("f.xml"));
    } catch (const Xml_Error &e) {
        return {e.Text(), QStringLiteral("f.xml: ") + t[STR_Msg_Line_Column].arg(e.Line).arg(e.Column) +
                              QStringLiteral(": ") + e.Reason};
    }
    qFatal("no error");
}

Message Missing_Attribute(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("1") + "<row CobID=\"2\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" Mnemonic=\"\"/>"));
    const QString text = Error_Text([&] { Read_Frame_File(p.CAN_Receive, Direction::Receive); });
    return {text, p.CAN_Receive + QStringLiteral(": ") + t[STR_Msg_Row].arg(2) + QStringLiteral(": ") +
                      t[STR_Msg_Attribute_Missing].arg(QStringLiteral("TimeOut"))};
}

Message Too_Many_Frames(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Repeat(Max_Frame_Records + 1, [](int i) { return Rx_Row(QString::number(i)); })));
    const QString text = Error_Text([&] { Build_Device_Images(p); });
    return {text, p.CAN_Receive + QStringLiteral(": ") + t[STR_Msg_Row].arg(Max_Frame_Records + 1) +
                      QStringLiteral(": ") + t[STR_Msg_Too_Many_Frames].arg(Max_Frame_Records)};
}

Message Too_Many_Mappings(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("1")));
    Write_All(p.Define_CAN_Receive,
              Rx_Maps(Repeat(Max_Map_Records + 1, [](int i) { return Map_Row("0", QString::number(i)); })));
    const QString text = Error_Text([&] { Build_Device_Images(p); });
    return {text, p.Define_CAN_Receive + QStringLiteral(": ") + t[STR_Msg_Row].arg(Max_Map_Records + 1) +
                      QStringLiteral(": ") + t[STR_Msg_Too_Many_Mappings].arg(Max_Map_Records)};
}

Message Folder_Not_Read(const Lang_Table &t, const QString &dir)
{
    QDir(dir).mkdir(QStringLiteral("ParGen.xml"));
    const QString path = dir + QStringLiteral("/ParGen.xml");
    return {Error_Text([&] { Xml_Document::Load(path); }), path + QStringLiteral(": ") + t[STR_Msg_Folder_Not_Read]};
}

Message No_Such_File(const Lang_Table &t, const QString &dir)
{
    const QString path = dir + QStringLiteral("/gone/ParGen.xml");
    return {Error_Text([&] { Xml_Document::Load(path); }), path + QStringLiteral(": ") + t[STR_Msg_Sys_No_Entry]};
}

Message Check_Dimension(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("1", "9")));
    const Check_Finding f = Finding(Check_Configuration(p), QStringLiteral("dimension-out-of-range"));
    return {f.Message, t[STR_Msg_Dimension_Range].arg(9).arg(8).arg(9)};
}

Message Check_Cob_ID_29(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("0x20000000", "8", "CAN 2.0B 29 bits")));
    const Check_Finding f = Finding(Check_Configuration(p), QStringLiteral("identifier-out-of-range"));
    return {f.Message, t[STR_Msg_CobID_Range_29].arg(QStringLiteral("0x20000000"), QStringLiteral("0x1FFFFFFF"))};
}

Message Check_Not_A_Number(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("one")));
    const Check_Finding f = Finding(Check_Configuration(p), QStringLiteral("not-a-number"));
    return {f.Message, t[STR_Msg_Not_A_Number].arg(QStringLiteral("CobID"), QStringLiteral("one"), t[STR_Msg_Identifier_Zero])};
}

Message Check_Unplaced(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("1")));
    Write_All(p.Define_CAN_Receive, Rx_Maps(Map_Row("5", "10")));
    const Check_Finding f = Finding(Check_Configuration(p), QStringLiteral("unplaced-mapping"));
    const QString why = t[STR_Msg_Num_Frame_No_Frame].arg(QStringLiteral("5"), QStringLiteral("CAN_Receive.xml"),
                                                          t[STR_Msg_One_Frame], QStringLiteral("0"));
    return {f.Message, t[STR_Msg_Mapping_Left_Out].arg(why)};
}

Message Check_Map_File_Unread(const Lang_Table &t, const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(QString()));
    Write_All(p.Define_CAN_Receive, Rx_Maps("<row Num_Frame=\"0\""));
    const Check_Finding f = Finding(Check_Configuration(p), QStringLiteral("unplaced-mapping"));
    try {
        Xml_Document::Load(p.Define_CAN_Receive);
    } catch (const Xml_Error &e) {
        const QString reason = t[STR_Msg_Line_Column].arg(e.Line).arg(e.Column) + QStringLiteral(": ") + e.Reason;
        return {f.Message, t[STR_Msg_Nor_Could_It].arg(t[STR_Msg_Receive_Map_Unread], reason)};
    }
    qFatal("the mapping file was read");
}

const Message_Cases &Cases()
{
    static const Message_Cases cases = {
        {"XML error with its position", Xml_Position},
        {"row without an attribute", Missing_Attribute},
        {"too many frames for the image", Too_Many_Frames},
        {"too many mappings for the image", Too_Many_Mappings},
        {"a folder where a file belongs", Folder_Not_Read},
        {"a file that is not there", No_Such_File},
        {"check: dimension", Check_Dimension},
        {"check: 29-bit identifier", Check_Cob_ID_29},
        {"check: not a number", Check_Not_A_Number},
        {"check: mapping of no frame", Check_Unplaced},
        {"check: unread mapping file", Check_Map_File_Unread},
    };
    return cases;
}

// The C library's own words for an error number, whatever the locale of the test.
QString C_Locale_Error_Text(int error_number)
{
    const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const QString text = QString::fromUtf8(strerror_l(error_number, c));
    freelocale(c);
    return text;
}

// The %1 to %9 a text holds, in order.
QString Placeholders(const QString &text)
{
    QStringList found;
    static const QRegularExpression place(QStringLiteral("%[1-9]"));
    for (const QRegularExpressionMatch &m : place.globalMatch(text)) found << m.captured();
    found.sort();
    return found.join(u' ');
}

// A C++ string literal's text from its opening quote at i; i ends after the closing quote.
std::optional<QString> Read_Literal(const QString &code, qsizetype &i)
{
    if (i >= code.size() || code[i] != u'"') return std::nullopt;
    QString text;
    for (++i; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            ++i;
            return text;
        }
        if (c == u'\\' && i + 1 < code.size()) {
            const QChar e = code[++i];
            text += e == u'n' ? QChar(u'\n') : e == u't' ? QChar(u'\t') : e;
        } else {
            text += c;
        }
    }
    return std::nullopt;
}

void Skip_Blanks(const QString &code, qsizetype &i)
{
    while (i < code.size() && code[i].isSpace()) ++i;
}

// Every text the sources give to Core_Text, with where it stands; a call whose argument is not
// a string literal is reported as an empty text.
QList<std::pair<QString, QString>> Core_Texts_In_Sources()
{
    QList<std::pair<QString, QString>> found;
    static const QRegularExpression call(QStringLiteral("\\bCore_Text\\("));
    for (const char *folder : {"src", "tools"}) {
        QDirIterator it(QStringLiteral(QCX_SOURCE_DIR "/") + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
            const QString code = QString::fromUtf8(file.readAll());
            for (const QRegularExpressionMatch &m : call.globalMatch(code)) {
                const QString where = QDir(QStringLiteral(QCX_SOURCE_DIR)).relativeFilePath(path) +
                                      QStringLiteral(":%1").arg(code.left(m.capturedStart()).count(u'\n') + 1);
                qsizetype i = m.capturedEnd();
                Skip_Blanks(code, i);
                // The definition itself takes the text as a parameter.
                if (code.mid(i).startsWith(QStringLiteral("const char *"))) continue;
                QString text;
                bool literal = false;
                while (const std::optional<QString> piece = Read_Literal(code, i)) {
                    text += *piece;
                    literal = true;
                    Skip_Blanks(code, i);
                }
                found.append({where, literal && i < code.size() && code[i] == u')' ? text : QString()});
            }
        }
    }
    return found;
}

}  // namespace

class Tst_Message_Language : public QObject {
    Q_OBJECT
private slots:
    void translator_answers_the_core_texts_only();
    void translator_follows_the_live_table();
    void messages_keep_their_english_without_translator_data() { Messages_Data(); }
    void messages_keep_their_english_without_translator();
    void messages_come_out_in_german_data();
    void messages_come_out_in_german();
    void system_reasons_are_the_system_own_words();
    void file_name_with_percent_stays_whole();
    void every_core_text_has_a_key();
    void shipped_translations_keep_the_placeholders_data();
    void shipped_translations_keep_the_placeholders();

private:
    static void Messages_Data();
};

void Tst_Message_Language::translator_answers_the_core_texts_only()
{
    Lang_Table table;
    Load_Default_Language(table);
    table.Items[STR_Msg_Row] = QStringLiteral("Reihe %1");
    table.Items[STR_Msg_Line_Column] = QStringLiteral("Zeile %1");  // lost its column
    table.Items[STR_Msg_Is_Folder] = QString();                   // lost its words
    table.Items[STR_Msg2_Dbc_No_Data] = QStringLiteral("keine Datenbytes");
    const Lang_Translator tr(table);

    QCOMPARE(tr.translate(Core_Text_Context, "row %1"), QStringLiteral("Reihe %1"));
    // The second block of the core's keys is answered like the first.
    QCOMPARE(tr.translate(Core_Text_Context, "no data bytes"), QStringLiteral("keine Datenbytes"));
    QCOMPARE(tr.translate(Core_Text_Context, "the attribute \"%1\" is missing"),
             QStringLiteral("the attribute \"%1\" is missing"));
    // Not a text of the core, or another context's text that happens to be the same: the
    // other translators (Qt's own) answer.
    QVERIFY(tr.translate(Core_Text_Context, "no such message").isNull());
    QVERIFY(tr.translate(Core_Text_Context, "Step 1").isNull());
    QVERIFY(tr.translate("QXmlStream", "row %1").isNull());
    QVERIFY(tr.translate(nullptr, "row %1").isNull());
    // A broken entry gives the English text rather than a message that says less.
    QVERIFY(tr.translate(Core_Text_Context, "line %1, column %2").isNull());
    QVERIFY(tr.translate(Core_Text_Context, "is a folder").isNull());
    // Before the first load the table is empty.
    const Lang_Table empty;
    QVERIFY(Lang_Translator(empty).translate(Core_Text_Context, "row %1").isNull());
}

void Tst_Message_Language::translator_follows_the_live_table()
{
    Lang_Table table;
    Load_Default_Language(table);
    const Installed_Translator installed(table);
    QCOMPARE(Core_Text("row %1").arg(3), QStringLiteral("row 3"));

    QString language = QStringLiteral("Italiano");
    Load_Language(table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR), language);
    QCOMPARE(Core_Text("row %1").arg(3), table[STR_Msg_Row].arg(3));
    QVERIFY(Core_Text("row %1") != QStringLiteral("row %1"));

    language = QStringLiteral("English");
    Load_Language(table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR), language);
    QCOMPARE(Core_Text("row %1").arg(3), QStringLiteral("row 3"));
}

// Each case's message in English; {dir} stands for the test's folder.
static QStringList English_Messages()
{
    return {
        "f.xml: line 2, column 7: Opening and ending tag mismatch.",
        "{dir}/CAN_Receive.xml: row 2: the attribute \"TimeOut\" is missing",
        "{dir}/CAN_Receive.xml: row 513: more than 512 frame records, receive and transmit together; the device "
        "image holds no more",
        "{dir}/Define_CAN_Receive.xml: row 4097: more than 4096 mapping records, receive and transmit together; the "
        "device image holds no more",
        "{dir}/ParGen.xml: is a folder, not a regular file; it is not read",
        "{dir}/gone/ParGen.xml: No such file or directory",
        "Dimension 9 lies outside 1 to 8; the device gets 9",
        "Cob-ID 0x20000000 lies outside the range of a 29-bit frame (0 to 0x1FFFFFFF)",
        "CobID \"one\" is not a number; the device gets identifier 0",
        "Num_Frame 5 names no frame: CAN_Receive.xml holds 1 frame (Num_Frame 0 to 0); the build leaves the mapping out",
        "there are no receive frames, so the build does not read this file (nor could it: line 1, column 35: "
        "Expected '>' or '/', but got '<'.)",
    };
}

void Tst_Message_Language::Messages_Data() { Add_English_Rows(Cases(), English_Messages()); }

void Tst_Message_Language::messages_keep_their_english_without_translator() { Check_English_Message(Cases()); }

void Tst_Message_Language::messages_come_out_in_german_data()
{
    Add_Language_Rows(Cases(), English_Messages(), {QStringLiteral("Deutsch")});
}

void Tst_Message_Language::messages_come_out_in_german() { Check_Translated_Message(Cases()); }

void Tst_Message_Language::system_reasons_are_the_system_own_words()
{
    for (int error : {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EROFS, EISDIR, ENOTDIR, ELOOP, ENAMETOOLONG, EIO})
        QCOMPARE(System_Error_Text(error), C_Locale_Error_Text(error));
}

void Tst_Message_Language::file_name_with_percent_stays_whole()
{
    // A folder may be called anything, "%2" included: the name must not take a number's place.
    const QString file = QStringLiteral("/data/100%2 %1/CAN_Receive.xml");
    QCOMPARE(Xml_Error(file, 3, 4, QStringLiteral("reason %1")).Text(),
             file + QStringLiteral(": line 3, column 4: reason %1"));
    QCOMPARE(Row_Error(file, 5, QStringLiteral("what %2")).Text(), file + QStringLiteral(": row 5: what %2"));
    QCOMPARE(QString::fromUtf8(File_Access_Error(file, QStringLiteral("why %1")).what()), file + QStringLiteral(": why %1"));
}

void Tst_Message_Language::every_core_text_has_a_key()
{
    const QList<std::pair<QString, QString>> texts = Core_Texts_In_Sources();
    QVERIFY(texts.size() > 50);
    QSet<Lang_Key> used;
    for (const auto &[where, text] : texts) {
        QVERIFY2(!text.isEmpty(), qPrintable(where + QStringLiteral(": Core_Text takes one string literal")));
        const std::optional<Lang_Key> key = Core_Text_Key(text.toUtf8());
        QVERIFY2(key, qPrintable(where + QStringLiteral(": no key has the English text \"") + text + u'"'));
        used.insert(*key);
    }
    // Every key of the core is used, and no two share an English text (the lookup goes by it).
    QSet<QString> english;
    for (Lang_Key key : Core_Text_Keys()) {
        const QString text = QString::fromUtf16(Lang_Default_Texts[key]);
        QVERIFY2(used.contains(key), qPrintable(QStringLiteral("STR%1 \"%2\" is no text of the code").arg(key).arg(text)));
        QVERIFY2(!english.contains(text), qPrintable(QStringLiteral("two keys for \"%1\"").arg(text)));
        english.insert(text);
    }
}

void Tst_Message_Language::shipped_translations_keep_the_placeholders_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &name : Shipped_Language_Names) QTest::newRow(qPrintable(name)) << name;
}

void Tst_Message_Language::shipped_translations_keep_the_placeholders()
{
    // A translation that drops a %2 or writes %3 for it puts values in the wrong place.
    QFETCH(QString, language);
    const Lang_Table table = Shipped_Table(language);
    Lang_Table english;
    Load_Default_Language(english);
    for (int i = 0; i < Lang_Default_Count; ++i)
        QVERIFY2(Placeholders(table[i]) == Placeholders(english[i]),
                 qPrintable(QStringLiteral("STR%1: \"%2\"").arg(i).arg(table[i])));
}

QTEST_GUILESS_MAIN(Tst_Message_Language)
#include "tst_core_message_language.moc"
