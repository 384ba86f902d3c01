#pragma once
// Configurations made at random from a seed: odd number texts, both frame types in odd spellings,
// missing attributes, comments among the rows, mappings that name no frame, files missing or not
// well-formed, and now and then more records than the images hold. The same seed always gives
// the same files.
#include "File_Bytes.h"
#include "config/Project_Paths.h"

#include <QDir>
#include <QStringList>
#include <random>

class Configuration_Generator {
public:
    explicit Configuration_Generator(uint32_t seed) : rng_(seed) {}

    void Write(const QString &dir)
    {
        QDir().mkpath(dir);
        const Project_Paths p = Project_Paths_In(dir);
        File(p.ParGen, [&] { return Settings(); });
        const int big = Chance(10) ? (Chance(40) ? 530 : 350) : 0;
        const int rx = big + Pick(12);
        const int tx = (Chance(10) ? 350 : 0) + Pick(12);
        File(p.CAN_Receive, [&] { return Frames("ReceiveCAN", rx, false); });
        File(p.CAN_Transmit, [&] { return Frames("TransmitCAN", tx, true); });
        const int maps = Chance(10) ? (Chance(40) ? 4200 : 2300) : Pick(20);
        File(p.Define_CAN_Receive, [&] { return Mappings("DefineRecJ1939", maps, rx, false); });
        File(p.Define_CAN_Transmit, [&] { return Mappings("DefineTransJ1939", Chance(10) ? 2300 : Pick(20), tx, true); });
    }

private:
    int Pick(int n) { return int(rng_() % uint32_t(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }
    QString One_Of(const QStringList &list) { return list[Pick(int(list.size()))]; }

    template <class Fn>
    void File(const QString &path, Fn text)
    {
        const int roll = Pick(100);
        if (roll < 8) return;  // missing
        // One file in six has rows without an attribute or nodes between its rows.
        sloppy_ = Chance(16);
        QByteArray bytes = text().toUtf8();
        if (roll < 11) bytes.chop(Pick(int(bytes.size()) + 1));  // cut short: not well-formed
        Write_All(path, bytes);
    }

    QString Number()
    {
        static const QStringList odd{"0x181", "385", "18FF0001", "0x18FF0001", "$7FF", "-1", "abc", "", " 12",
                                     "12 ", "+5", "0x80000000", "0X1fffffff", "4294967296", "0", "9", "x10",
                                     "100", "65535", "65536", "70000", "-70000", "\t7", "1\n"};
        return Chance(60) ? QString::number(Pick(Chance(50) ? 10 : 5000)) : One_Of(odd);
    }

    QString Attr(const char *name, const QString &value)
    {
        if (sloppy_ && Chance(3)) return {};  // missing
        return QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), Escaped(value));
    }

    static QString Escaped(QString v)
    {
        return v.replace('&', "&amp;").replace('<', "&lt;").replace('"', "&quot;").replace('\n', "&#10;").replace('\t', "&#9;");
    }

    QString Between_Rows()
    {
        if (!sloppy_) return {};
        if (Chance(2)) return QStringLiteral("<!--note-->");
        if (Chance(1)) return QStringLiteral("text");
        return {};
    }

    QString Settings()
    {
        static const char *names[] = {"CAN_BAUDRATE", "MODBUS_TCP_SLAVE_IP1", "MODBUS_TCP_SLAVE_IP2", "MODBUS_TCP_SLAVE_IP3",
                                      "MODBUS_TCP_SLAVE_IP4", "MODBUS_TCP_SLAVE_SM1", "MODBUS_TCP_SLAVE_SM2",
                                      "MODBUS_TCP_SLAVE_SM3", "MODBUS_TCP_SLAVE_SM4", "MODBUS_TCP_SLAVE_EN_GAT",
                                      "MODBUS_TCP_SLAVE_GAT1", "MODBUS_TCP_SLAVE_GAT2", "MODBUS_TCP_SLAVE_GAT3",
                                      "MODBUS_TCP_SLAVE_GAT4", "MODBUS_TCP_SLAVE_Port"};
        QString s = QStringLiteral("<Par_Gen>");
        for (const char *n : names) {
            if (Chance(5)) continue;
            const QString v = QLatin1String(n) == QLatin1String("MODBUS_TCP_SLAVE_EN_GAT") ? One_Of({"0", "1", " 1", ""}) : Number();
            s += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(n), Escaped(v));
        }
        return s + QStringLiteral("</Par_Gen><!--SW_VERSION = 1.102-->");
    }

    QString Frames(const char *root, int rows, bool transmit)
    {
        static const QStringList types{"CAN 2.0A 11 bits", "CAN 2.0B 29 bits", "can 2.0b 29 bits", " CAN 2.0B 29 bits",
                                       "CAN 2.0A 11 BITS", "", "29", "CAN 2.0B 29 bıts"};
        QString s = QStringLiteral("<%1>").arg(QLatin1String(root));
        for (int i = 0; i < rows; ++i) {
            s += Between_Rows() + QStringLiteral("<row") + Attr("CobID", Number()) + Attr("Dimension", Number()) +
                 Attr("Type", One_Of(types));
            if (transmit)
                s += Attr("DataChange", One_Of({"Y", "N", "y", " Y", ""})) + Attr("OnTimer", One_Of({"Y", "N", "y", "Y "})) +
                     Attr("SendTimer", Number());
            else
                s += Attr("TimeOut", Number());
            s += Attr("Mnemonic", One_Of({"", "Engine", "Ölstand", "a&b"})) + QStringLiteral("/>");
        }
        return s + QStringLiteral("</%1><!--SW_VERSION = 1.102-->").arg(QLatin1String(root));
    }

    QString Mappings(const char *root, int rows, int frames, bool transmit)
    {
        QString s = QStringLiteral("<%1>").arg(QLatin1String(root));
        for (int i = 0; i < rows; ++i) {
            const QString frame = Chance(90) ? QString::number(Pick(frames + 2)) : One_Of({"-1", "x", "", " 0", "0x1"});
            s += Between_Rows() + QStringLiteral("<row") + Attr("Num_Frame", frame) + Attr("Mod_Index", Number()) +
                 Attr("Byte_HiPart", Chance(80) ? QString::number(Pick(10)) : Number()) +
                 Attr("Byte_LoPart", Chance(80) ? QString::number(Pick(10)) : Number());
            if (transmit) s += Attr("Send_on_Write", One_Of({"0", "1", " 1", "01", ""}));
            s += QStringLiteral("/>");
        }
        return s + QStringLiteral("</%1><!--SW_VERSION = 1.102-->").arg(QLatin1String(root));
    }

    std::mt19937 rng_;
    bool sloppy_ = false;
};
