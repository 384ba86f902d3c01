#pragma once
// The texts of configuration files as the editors write them, for tests that build small
// configurations row by row.
#include <QByteArray>
#include <QString>
#include <functional>

inline QByteArray Rx(const QString &rows) { return ("<ReceiveCAN>" + rows + "</ReceiveCAN><!--SW_VERSION = 1.102-->").toUtf8(); }
inline QByteArray Tx(const QString &rows) { return ("<TransmitCAN>" + rows + "</TransmitCAN><!--SW_VERSION = 1.102-->").toUtf8(); }
inline QString Rx_Row(const QString &cob, const QString &dim = "8", const QString &type = "CAN 2.0A 11 bits",
                      const QString &timeout = "0")
{
    return QStringLiteral("<row CobID=\"%1\" Dimension=\"%2\" Type=\"%3\" TimeOut=\"%4\" Mnemonic=\"\"/>")
        .arg(cob, dim, type, timeout);
}
inline QString Tx_Row(const QString &cob, const QString &dim = "8", const QString &type = "CAN 2.0A 11 bits",
                      const QString &change = "N", const QString &on_timer = "N", const QString &timer = "")
{
    return QStringLiteral("<row CobID=\"%1\" Dimension=\"%2\" Type=\"%3\" DataChange=\"%4\" OnTimer=\"%5\" "
                          "SendTimer=\"%6\" Mnemonic=\"\"/>")
        .arg(cob, dim, type, change, on_timer, timer);
}
inline QByteArray Rx_Maps(const QString &rows) { return ("<DefineRecJ1939>" + rows + "</DefineRecJ1939>").toUtf8(); }
inline QByteArray Tx_Maps(const QString &rows) { return ("<DefineTransJ1939>" + rows + "</DefineTransJ1939>").toUtf8(); }
inline QString Map_Row(const QString &frame, const QString &index, const QString &hi = "1", const QString &lo = "2",
                       const QString &extra = {})
{
    return QStringLiteral("<row Num_Frame=\"%1\" Mod_Index=\"%2\" Byte_HiPart=\"%3\" Byte_LoPart=\"%4\"%5/>")
        .arg(frame, index, hi, lo, extra);
}
inline QString Repeat(int n, const std::function<QString(int)> &row)
{
    QString rows;
    for (int i = 0; i < n; ++i) rows += row(i);
    return rows;
}
