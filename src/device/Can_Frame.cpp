#include "device/Can_Frame.h"

#include "config/Image_Layout.h"

namespace {

int Hex_Digit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

QString Hex(uint32_t v) { return QStringLiteral("0x") + QString::number(v, 16).toUpper(); }

std::optional<Can_Frame> Refuse(QString *error, const QString &why)
{
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<Can_Frame> Parse_Can_Frame(QStringView text, QString *error)
{
    const qsizetype hash = text.indexOf(u'#');
    if (hash < 0)
        return Refuse(error, QStringLiteral("'%1' is no frame: write ID#DATA, for example 181#0102030405060708").arg(text));
    const QStringView id_text = text.left(hash);
    const QStringView rest = text.mid(hash + 1);
    if (rest.startsWith(u'#')) return Refuse(error, QStringLiteral("'%1': CAN FD frames (##) are not supported").arg(text));

    Can_Frame frame;
    if (id_text.size() == 3) {
        frame.Extended = false;
    } else if (id_text.size() == 8) {
        frame.Extended = true;
    } else {
        return Refuse(error, QStringLiteral("'%1': the identifier takes 3 hex digits (11-bit) or 8 (29-bit), not %2")
                                 .arg(text)
                                 .arg(id_text.size()));
    }
    uint32_t id = 0;
    for (QChar c : id_text) {
        const int d = Hex_Digit(c);
        if (d < 0) return Refuse(error, QStringLiteral("'%1': the identifier '%2' is not hexadecimal").arg(text, id_text));
        id = id << 4 | uint32_t(d);
    }
    const uint32_t max = frame.Extended ? Max_Extended_Id : Max_Standard_Id;
    if (id > max)
        return Refuse(error, QStringLiteral("'%1': identifier %2 is above %3 for a %4-bit frame")
                                 .arg(text, Hex(id), Hex(max))
                                 .arg(frame.Extended ? 29 : 11));
    frame.Id = id;

    if (rest.startsWith(u'R') || rest.startsWith(u'r')) {
        frame.Remote = true;
        const QStringView length = rest.mid(1);
        if (length.isEmpty()) return frame;
        if (length.size() != 1 || length[0] < u'0' || length[0] > u'8')
            return Refuse(error, QStringLiteral("'%1': a remote request takes a length 0 to 8 after R").arg(text));
        frame.Data = QByteArray(length[0].unicode() - u'0', '\0');
        return frame;
    }

    qsizetype i = 0;
    while (i < rest.size()) {
        if (rest[i] == u'.') {
            // A dot only separates bytes: not first, not last, not twice.
            if (i == 0 || i + 1 == rest.size() || rest[i + 1] == u'.')
                return Refuse(error, QStringLiteral("'%1': a dot may only stand between two data bytes").arg(text));
            ++i;
            continue;
        }
        if (i + 1 >= rest.size() || rest[i + 1] == u'.')
            return Refuse(error, QStringLiteral("'%1': every data byte takes two hex digits").arg(text));
        const int hi = Hex_Digit(rest[i]);
        const int lo = Hex_Digit(rest[i + 1]);
        if (hi < 0 || lo < 0) return Refuse(error, QStringLiteral("'%1': the data is not hexadecimal").arg(text));
        if (frame.Data.size() == Max_Can_Data)
            return Refuse(error, QStringLiteral("'%1': a frame holds at most %2 data bytes").arg(text).arg(Max_Can_Data));
        frame.Data.append(char(hi << 4 | lo));
        i += 2;
    }
    return frame;
}

QString Format_Can_Frame(const Can_Frame &frame)
{
    QString text = QStringLiteral("%1#").arg(frame.Id, frame.Extended ? 8 : 3, 16, QLatin1Char('0')).toUpper();
    if (frame.Remote) {
        text += QLatin1Char('R');
        if (!frame.Data.isEmpty()) text += QString::number(frame.Data.size());
        return text;
    }
    return text + QString::fromLatin1(frame.Data.toHex().toUpper());
}

uint32_t Image_Ident(const Can_Frame &frame) { return frame.Id | (frame.Extended ? Ident_Extended : 0u); }

std::optional<Can_Interface> Parse_Can_Interface(QStringView text, QString *error)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0 || colon + 1 >= text.size()) {
        if (error)
            *error = QStringLiteral("'%1' names no bus: write PLUGIN:INTERFACE, for example virtualcan:can0 or socketcan:can0")
                         .arg(text);
        return std::nullopt;
    }
    return Can_Interface{text.left(colon).toString(), text.mid(colon + 1).toString()};
}
