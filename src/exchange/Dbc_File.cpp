#include "exchange/Dbc_File.h"

#include "exchange/Dbc_Lexer.h"
#include "lang/Lang_Table.h"
#include "platform/Core_Text.h"
#include "platform/Safe_File.h"

#include <QStringDecoder>
#include <QSet>
#include <cmath>

namespace {

using namespace Dbc_Text;

class Parser {
public:
    Parser(const QString &text, const QString &file) : lex_(text, file), file_(file) { Take(); }

    Dbc_Database Run()
    {
        while (tok_.Kind != Tok::End) {
            QString kw;
            try {
                if (tok_.Kind != Tok::Ident || !Is_Statement_Word(tok_.Text)) {
                    name_ = tok_.Text;
                    Fail(Core_Text("'%1' does not begin a statement").arg(tok_.Text));
                }
                name_ = kw = Take().Text;
                Read_Statement(kw);
            } catch (const Dbc_Error &e) {
                db_.Skipped.append({name_, e.Line, e.Column, e.Reason});
                // A message that cannot be read takes its signals with it.
                if (kw == u"BO_") lost_message_ = true;
                Recover();
            }
        }
        Apply_Cycle_Times();
        Apply_Frame_Formats();
        if (db_.Messages.isEmpty()) {
            if (!db_.Skipped.isEmpty()) {
                const Dbc_Skipped &first = db_.Skipped.first();
                throw Dbc_Error(file_, first.Line, first.Column, first.Reason);
            }
            throw Dbc_Error(file_, 0, 0, Core_Text("the file holds no message: it is no CAN database"));
        }
        return db_;
    }

private:
    void Read_Statement(const QString &kw)
    {
        {
            if (kw == u"VERSION") {
                db_.Version = Expect_String();
            } else if (kw == u"NS_") {
                Expect_Punct(':');
                // The list of new symbols: indented names, one a line.
                while (tok_.Kind == Tok::Ident && !(tok_.Line_Start && tok_.Column == 1)) Take();
            } else if (kw == u"BS_") {
                Expect_Punct(':');
                Skip_Rest_Of_Line();
            } else if (kw == u"BU_") {
                Expect_Punct(':');
                // Some tools carry a long node list on over several lines; a word that begins a
                // statement ends it.
                while ((tok_.Kind == Tok::Ident || Is_Name_Token()) && !Begins_Statement()) db_.Nodes << Take().Text;
            } else if (kw == u"BO_") {
                Read_Message();
            } else if (kw == u"SG_") {
                Read_Signal();
            } else if (kw == u"CM_") {
                Read_Comment();
            } else if (kw == u"BA_DEF_") {
                Read_Attribute_Def();
            } else if (kw == u"BA_DEF_DEF_") {
                Read_Attribute_Default();
            } else if (kw == u"BA_") {
                Read_Attribute();
            } else if (kw == u"VAL_") {
                Read_Values();
            } else if (kw == u"SIG_VALTYPE_") {
                Read_Value_Type();
            } else {
                Skip_Statement();
            }
        }
    }

    // After a fault: on to the next statement, past everything of the faulty one.
    void Recover()
    {
        while (tok_.Kind != Tok::End && !(tok_.Line_Start && tok_.Kind == Tok::Ident && Is_Statement_Word(tok_.Text))) {
            try {
                Take();
            } catch (const Dbc_Error &e) {
                db_.Skipped.append({name_, e.Line, e.Column, e.Reason});
            }
        }
    }

    // The first word of a line that begins a statement: one the reader knows anywhere, or one
    // that looks like one at the start of the line.
    bool Begins_Statement() const
    {
        return tok_.Line_Start && tok_.Kind == Tok::Ident &&
               (Is_Keyword(tok_.Text) || (tok_.Column == 1 && Is_Statement_Word(tok_.Text)));
    }
    // A name that begins with a digit ("2017_5", "0_COUNTER") comes as a number token.
    bool Is_Name_Token() const
    {
        if (tok_.Kind != Tok::Number || tok_.Text.isEmpty() || !tok_.Text[0].isDigit()) return false;
        bool letter = false;
        for (const QChar c : tok_.Text) {
            if (!(c.isLetterOrNumber() || c == u'_') || c.unicode() > 127) return false;
            letter = letter || !c.isDigit();
        }
        return letter;
    }
    [[noreturn]] void Fail(const QString &reason, const Token *at = nullptr) const
    {
        const Token &t = at ? *at : tok_;
        throw Dbc_Error(file_, t.Line, t.Column,
                        t.Kind == Tok::End ? Core_Text("%1 (the file ends here)").arg(reason) : reason);
    }

    Token Take()
    {
        Token t = tok_;
        tok_ = lex_.Next();
        return t;
    }

    bool Is_Punct(char c) const { return tok_.Kind == Tok::Punct && tok_.Text == QLatin1Char(c); }
    void Expect_Punct(char c)
    {
        if (!Is_Punct(c)) Fail(Core_Text("'%1' expected").arg(QLatin1Char(c)));
        Take();
    }
    QString Expect_Ident(const QString &what)
    {
        if (tok_.Kind != Tok::Ident && !Is_Name_Token()) Fail(Core_Text("%1 expected").arg(what));
        return Take().Text;
    }
    QString Expect_String()
    {
        if (tok_.Kind != Tok::String) Fail(Core_Text("a text in quotes expected"));
        return Take().Text;
    }
    double Expect_Number(const QString &what)
    {
        if (tok_.Kind != Tok::Number) Fail(Core_Text("%1 expected").arg(what));
        bool ok = false;
        const double v = tok_.Text.toDouble(&ok);
        if (!ok || !std::isfinite(v)) Fail(Core_Text("'%1' is not a number").arg(tok_.Text));
        Take();
        return v;
    }
    int64_t Expect_Integer(const QString &what, int64_t low, int64_t high)
    {
        if (tok_.Kind != Tok::Number) Fail(Core_Text("%1 expected").arg(what));
        bool ok = false;
        const qlonglong v = tok_.Text.toLongLong(&ok);
        if (!ok) Fail(Core_Text("'%1' is not a whole number").arg(tok_.Text));
        if (v < low || v > high)
            Fail(Core_Text("%1 %2 lies outside %3..%4").arg(what, tok_.Text).arg(low).arg(high));
        Take();
        return v;
    }
    // Some tools leave out the ';' after a comment or a value table: the next statement on a line
    // of its own ends it as well.
    void Expect_Semicolon()
    {
        if (Begins_Statement() || tok_.Kind == Tok::End) return;
        Expect_Punct(';');
    }

    void Skip_Rest_Of_Line()
    {
        while (tok_.Kind != Tok::End && !tok_.Line_Start) Take();
    }
    // A statement the configurator has no use for: up to its semicolon, or up to the next
    // statement for those written without one.
    void Skip_Statement()
    {
        while (tok_.Kind != Tok::End) {
            if (tok_.Line_Start && tok_.Kind == Tok::Ident && Is_Statement_Word(tok_.Text)) return;
            const Token t = Take();
            if (t.Kind == Tok::Punct && t.Text == u";") return;
        }
    }

    Dbc_Message *Message_By_Id(int64_t id, const Token &at)
    {
        // Large databases name thousands of messages in comments and attributes: look them up.
        const auto it = by_id_.constFind(uint32_t(id));
        if (it != by_id_.constEnd()) return &db_.Messages[*it];
        Fail(Core_Text("no message has the identifier %1").arg(id), &at);
    }
    Dbc_Signal *Signal_By_Name(Dbc_Message &m, const QString &name, const Token &at)
    {
        // Comments, value tables and attributes name signals by the ten thousand: look them up.
        const qsizetype index = &m - db_.Messages.data();
        const auto it = signal_index_[index].constFind(name);
        if (it != signal_index_[index].constEnd()) return &m.Signals[*it];
        Fail(Core_Text("message %1 has no signal %2").arg(m.Name, name), &at);
    }

    void Read_Message()
    {
        lost_message_ = false;
        Dbc_Message m;
        m.Line = tok_.Line;
        const Token id_at = tok_;
        m.Raw_Id = uint32_t(Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL));
        m.Name = Expect_Ident(Core_Text("a message name"));
        name_ = m.Name;
        Expect_Punct(':');
        m.Length = int(Expect_Integer(Core_Text("a message length"), 0, 64));
        m.Sender = Expect_Ident(Core_Text("a sending node"));
        if (by_id_.contains(m.Raw_Id))
            Fail(Core_Text("the identifier %1 is given twice").arg(m.Raw_Id), &id_at);
        by_id_.insert(m.Raw_Id, int(db_.Messages.size()));
        db_.Messages.append(m);
        signal_index_.append(QHash<QString, int>());
    }

    void Read_Signal()
    {
        if (lost_message_) {
            // A signal of a message that was left out goes with it, without a word of its own.
            Skip_Rest_Of_Line();
            return;
        }
        const Token at = tok_;
        if (db_.Messages.isEmpty()) Fail(Core_Text("a signal before any message"), &at);
        Dbc_Signal s;
        s.Line = tok_.Line;
        s.Name = Expect_Ident(Core_Text("a signal name"));
        name_ = db_.Messages.last().Name + QLatin1Char('.') + s.Name;
        if (tok_.Kind == Tok::Ident) {
            // M: the multiplexer; mN: present while the multiplexer holds N; mNM: both. A lone
            // m, as some tools write, marks a multiplexed signal without its switch value.
            const Token mux = Take();
            QString text = mux.Text;
            if (text == u"M") {
                s.Is_Multiplexer = true;
            } else if (text == u"m") {
                s.Mux_Without_Value = true;
            } else if (text.startsWith(u'm') && text.size() > 1) {
                if (text.endsWith(u'M')) {
                    s.Is_Multiplexer = true;
                    text.chop(1);
                }
                bool ok = false;
                s.Mux_Value = text.mid(1).toLongLong(&ok);
                if (!ok) Fail(Core_Text("'%1' is no multiplexer mark").arg(mux.Text), &mux);
            } else {
                Fail(Core_Text("'%1' is no multiplexer mark").arg(mux.Text), &mux);
            }
        }
        Expect_Punct(':');
        s.Start_Bit = int(Expect_Integer(Core_Text("a start bit"), 0, 511));
        Expect_Punct('|');
        s.Length = int(Expect_Integer(Core_Text("a signal length"), 1, 512));
        Expect_Punct('@');
        const int64_t o = Expect_Integer(Core_Text("a byte order (0 or 1)"), 0, 1);
        s.Little_Endian = o == 1;
        if (Is_Punct('+') || Is_Punct('-')) {
            s.Is_Signed = Take().Text == u"-";
        } else {
            Fail(Core_Text("'+' or '-' expected"));
        }
        Expect_Punct('(');
        s.Factor = Expect_Number(Core_Text("a factor"));
        Expect_Punct(',');
        s.Offset = Expect_Number(Core_Text("an offset"));
        Expect_Punct(')');
        Expect_Punct('[');
        s.Minimum = Expect_Number(Core_Text("a minimum"));
        Expect_Punct('|');
        s.Maximum = Expect_Number(Core_Text("a maximum"));
        Expect_Punct(']');
        s.Unit = Expect_String();
        while (tok_.Kind == Tok::Ident && !tok_.Line_Start) {
            s.Receivers << Take().Text;
            if (Is_Punct(',') && !tok_.Line_Start) Take();
        }
        Dbc_Message &m = db_.Messages.last();
        // A signal must lie inside its message. A message of no bytes holds signals that belong to
        // no frame (some tools keep unplaced signals so); those are kept as they are.
        if (m.Length > 0 && Last_Bit(s) >= m.Length * 8)
            Fail(Core_Text("signal %1 lies outside the %2 bytes of message %3").arg(s.Name).arg(m.Length).arg(m.Name), &at);
        QHash<QString, int> &index = signal_index_.last();
        if (index.contains(s.Name)) Fail(Core_Text("message %1 has a signal %2 already").arg(m.Name, s.Name), &at);
        index.insert(s.Name, int(m.Signals.size()));
        m.Signals.append(s);
    }

    // The last bit a signal takes, counting the message's bits one after another from the first
    // byte. A little-endian signal starts at its least significant bit and runs upwards; a
    // big-endian one starts at its most significant bit (bit 7 of a byte is its first) and runs
    // on into the next bytes.
    static int Last_Bit(const Dbc_Signal &s)
    {
        if (s.Little_Endian) return s.Start_Bit + s.Length - 1;
        return (s.Start_Bit / 8) * 8 + (7 - s.Start_Bit % 8) + s.Length - 1;
    }

    void Read_Comment()
    {
        if (tok_.Kind == Tok::String) {
            db_.Comment = Take().Text;
        } else {
            const Token kind = tok_;
            const QString object = Expect_Ident(Core_Text("BU_, BO_, SG_, EV_ or a text in quotes"));
            if (object == u"BO_") {
                const Token at = tok_;
                const int64_t id = Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL);
                Dbc_Message *m = Message_By_Id(id, at);
                m->Comment = Expect_String();
            } else if (object == u"SG_") {
                const Token at = tok_;
                const int64_t id = Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL);
                Dbc_Message *m = Message_By_Id(id, at);
                const Token name_at = tok_;
                const QString name = Expect_Ident(Core_Text("a signal name"));
                Signal_By_Name(*m, name, name_at)->Comment = Expect_String();
            } else if (object == u"BU_" || object == u"EV_") {
                Expect_Ident(Core_Text("a name"));
                Expect_String();
            } else {
                Fail(Core_Text("BU_, BO_, SG_, EV_ or a text in quotes expected"), &kind);
            }
        }
        Expect_Semicolon();
    }

    void Read_Attribute_Def()
    {
        Dbc_Attribute_Def def;
        if (tok_.Kind == Tok::Ident) {
            def.Object = Take().Text;
            if (def.Object != u"BU_" && def.Object != u"BO_" && def.Object != u"SG_" && def.Object != u"EV_")
                Fail(Core_Text("BU_, BO_, SG_ or EV_ expected"));
        }
        def.Name = Expect_String();
        const Token type_at = tok_;
        def.Type = Expect_Ident(Core_Text("an attribute type"));
        if (def.Type == u"INT" || def.Type == u"HEX" || def.Type == u"FLOAT") {
            def.Minimum = Expect_Number(Core_Text("a minimum"));
            def.Maximum = Expect_Number(Core_Text("a maximum"));
        } else if (def.Type == u"ENUM") {
            if (tok_.Kind == Tok::String) {
                def.Enum_Values << Take().Text;
                while (Is_Punct(',')) {
                    Take();
                    def.Enum_Values << Expect_String();
                }
            }
        } else if (def.Type != u"STRING") {
            Fail(Core_Text("unknown attribute type '%1'").arg(def.Type), &type_at);
        }
        Expect_Semicolon();
        db_.Attribute_Defs.append(def);
    }

    QString Value_Text()
    {
        if (tok_.Kind == Tok::String || tok_.Kind == Tok::Number) return Take().Text;
        Fail(Core_Text("a value expected"));
    }

    void Read_Attribute_Default()
    {
        const Token at = tok_;
        const QString name = Expect_String();
        const QString value = Value_Text();
        Expect_Semicolon();
        for (Dbc_Attribute_Def &def : db_.Attribute_Defs)
            if (def.Name == name) {
                def.Default = value;
                return;
            }
        Fail(Core_Text("attribute \"%1\" is not defined").arg(name), &at);
    }

    void Read_Attribute()
    {
        const QString name = Expect_String();
        if (tok_.Kind == Tok::Ident) {
            const Token kind = tok_;
            const QString object = Take().Text;
            if (object == u"BO_") {
                const Token at = tok_;
                Dbc_Message *m = Message_By_Id(Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL), at);
                m->Attributes.insert(name, Value_Text());
            } else if (object == u"SG_") {
                const Token at = tok_;
                Dbc_Message *m = Message_By_Id(Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL), at);
                const Token name_at = tok_;
                Signal_By_Name(*m, Expect_Ident(Core_Text("a signal name")), name_at);
                Value_Text();
            } else if (object == u"BU_" || object == u"EV_") {
                Expect_Ident(Core_Text("a name"));
                Value_Text();
            } else {
                Fail(Core_Text("BU_, BO_, SG_ or EV_ expected"), &kind);
            }
        } else {
            Value_Text();
        }
        Expect_Semicolon();
    }

    void Read_Values()
    {
        if (tok_.Kind != Tok::Number) {
            // The values of an environment variable.
            Skip_Statement();
            return;
        }
        const Token at = tok_;
        Dbc_Message *m = Message_By_Id(Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL), at);
        const Token name_at = tok_;
        Dbc_Signal *s = Signal_By_Name(*m, Expect_Ident(Core_Text("a signal name")), name_at);
        name_ = m->Name + QLatin1Char('.') + s->Name;
        QList<std::pair<int64_t, QString>> values;
        while (tok_.Kind == Tok::Number) {
            const Token v = tok_;
            const std::optional<int64_t> value = Whole_Value(v.Text);
            Take();
            const QString text = Expect_String();
            // A raw value no signal can carry is left out of the table, the rest of it kept.
            if (!value)
                db_.Skipped.append({name_, v.Line, v.Column,
                                    Core_Text("value '%1' is no whole number of 64 bits; left out of the value table").arg(v.Text)});
            else
                values.append({*value, text});
        }
        if (tok_.Kind == Tok::String) Fail(Core_Text("%1 expected").arg(Core_Text("a value")));
        Expect_Semicolon();
        s->Values = values;
    }

    // A value table's raw value: a whole number that fits 64 bits, written as digits or (as some
    // tools do) as a floating-point number.
    static std::optional<int64_t> Whole_Value(const QString &text)
    {
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok) return whole;
        // Digits alone that do not fit are out of range, however near a double would round them.
        if (!text.contains(u'.') && !text.contains(u'e', Qt::CaseInsensitive)) return std::nullopt;
        const double v = text.toDouble(&ok);
        // 2^63 is the first double above every int64_t; -2^63 is one itself.
        if (!ok || !std::isfinite(v) || v != std::floor(v) || v < -9223372036854775808.0 || v >= 9223372036854775808.0)
            return std::nullopt;
        return int64_t(v);
    }

    // SIG_VALTYPE_ <message> <signal> : <1 float | 2 double>;
    void Read_Value_Type()
    {
        const Token at = tok_;
        Dbc_Message *m = Message_By_Id(Expect_Integer(Core_Text("a message identifier"), 0, 0xFFFFFFFFLL), at);
        const Token name_at = tok_;
        Dbc_Signal *s = Signal_By_Name(*m, Expect_Ident(Core_Text("a signal name")), name_at);
        name_ = m->Name + QLatin1Char('.') + s->Name;
        if (Is_Punct(':')) Take();
        const int type = int(Expect_Integer(Core_Text("a value type (0, 1 or 2)"), 0, 2));
        const int bits = type == 1 ? 32 : 64;
        if (type != 0 && s->Length != bits)
            Fail(Core_Text("an IEEE float of %1 bits cannot have %2 bits").arg(bits).arg(s->Length), &at);
        Expect_Semicolon();
        s->Value_Type = type;
    }

    void Apply_Cycle_Times()
    {
        const QString name = QStringLiteral("GenMsgCycleTime");
        QString fallback;
        for (const Dbc_Attribute_Def &def : db_.Attribute_Defs)
            if (def.Name == name && def.Default) fallback = *def.Default;
        for (Dbc_Message &m : db_.Messages) {
            const double v = m.Attributes.value(name, fallback).toDouble();
            m.Cycle_Time = v > 0 && v <= 100000000 ? int(v) : 0;
        }
    }

    // VFrameFormat names the kind of frame: its value is the position in the enum's list (or the
    // name itself, as some tools write it).
    void Apply_Frame_Formats()
    {
        const QString name = QStringLiteral("VFrameFormat");
        const Dbc_Attribute_Def *def = nullptr;
        for (const Dbc_Attribute_Def &d : db_.Attribute_Defs)
            if (d.Name == name) def = &d;
        if (!def) return;
        auto format_of = [def](const QString &value) {
            bool ok = false;
            const int i = value.toInt(&ok);
            if (ok && def->Type == u"ENUM") return i >= 0 && i < def->Enum_Values.size() ? def->Enum_Values[i] : QString();
            return value;
        };
        const QString fallback = def->Default ? format_of(*def->Default) : QString();
        for (Dbc_Message &m : db_.Messages) {
            const auto it = m.Attributes.constFind(name);
            m.Frame_Format = it == m.Attributes.constEnd() ? fallback : format_of(*it);
        }
    }

    Lexer lex_;
    QString file_;
    Token tok_;
    Dbc_Database db_;
    QHash<uint32_t, int> by_id_;  // message identifier -> its place in db_.Messages
    QList<QHash<QString, int>> signal_index_;  // per message: signal name -> its place in Signals
    QString name_;               // what the statement being read names, for the list of skipped ones
    bool lost_message_ = false;  // the last BO_ could not be read: its signals are skipped with it
};

}  // namespace

QString Dbc_Message::Not_Importable_Reason() const
{
    if (Fd()) return Core_Text("declared a CAN FD frame (%1): the converter carries classic CAN frames only").arg(Frame_Format);
    if (Length > 8) return Core_Text("%1 data bytes: a CAN FD frame, the converter carries at most 8").arg(Length);
    if (Length < 1) return Core_Text("no data bytes");
    if (!Extended() && Identifier() > 0x7FF) return Core_Text("an 11-bit identifier above 0x7FF");
    if (Extended() && Identifier() > 0x1FFFFFFF) return Core_Text("no CAN identifier");
    return QString();
}

const Dbc_Message *Dbc_Database::Find(const QString &name) const
{
    for (const Dbc_Message &m : Messages)
        if (m.Name == name) return &m;
    return nullptr;
}

Dbc_Error::Dbc_Error(QString file, int line, int column, QString reason)
    : std::runtime_error(reason.toStdString()), File(std::move(file)), Line(line), Column(column), Reason(std::move(reason))
{
}

QString Dbc_Error::Text() const
{
    QString place = Line > 0 ? Core_Text("line %1, column %2").arg(Line).arg(Column) + QStringLiteral(": ") : QString();
    return (File.isEmpty() ? QString() : File + QStringLiteral(": ")) + place + Reason;
}

Dbc_Database Parse_Dbc(const QString &text, const QString &file)
{
    return Parser(text, file).Run();
}

QString Decode_Dbc_Bytes(const QByteArray &bytes)
{
    // A file without a byte-order mark that is valid UTF-8 all through is taken as UTF-8: newer
    // tools write that, and Windows-1252 text with accents is never valid UTF-8 in practice.
    if (!bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8(bytes);
        if (!utf8.hasError()) return text;
    }
    return Decode_Language_Bytes(bytes);
}

Dbc_Database Read_Dbc_File(const QString &path)
{
    QByteArray bytes;
    try {
        bytes = Read_Regular_File(path, Text_File_Limit * 4);
    } catch (const File_Access_Error &e) {
        throw Dbc_Error(path, 0, 0, e.Reason);
    }
    return Parse_Dbc(Decode_Dbc_Bytes(bytes), path);
}
