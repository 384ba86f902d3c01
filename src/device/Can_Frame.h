#pragma once
// A classic CAN frame as the emulator and the shell commands see it, its text form as can-utils
// writes it (cansend's argument, candump -L's output) and the PLUGIN:INTERFACE name of a bus.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

constexpr uint32_t Max_Standard_Id = 0x7FF;
constexpr uint32_t Max_Extended_Id = 0x1FFFFFFF;
constexpr int Max_Can_Data = 8;

struct Can_Frame {
    uint32_t Id = 0;
    bool Extended = false;  // 29-bit identifier
    bool Remote = false;    // a remote request: Data holds zeros, its length is the requested DLC
    QByteArray Data;
    bool operator==(const Can_Frame &) const = default;
};

// Reads "181#0102030405060708" (3 hex digits: 11-bit identifier), "18FF0001#01.02" (8 hex
// digits: 29-bit identifier), "181#" (no data) and "181#R" or "181#R3" (remote request with an
// optional length). Data bytes are two hex digits each, optionally separated by dots, at most
// eight. No value, and the reason in *error, for anything else (CAN FD's "##" included).
std::optional<Can_Frame> Parse_Can_Frame(QStringView text, QString *error);

// The same form back: upper-case hex, no dots; a remote request as "R" and its length.
QString Format_Can_Frame(const Can_Frame &frame);

// The key under which the images name a frame: the identifier with bit 31 set for a 29-bit one
// (Frame_Entry::Ident).
uint32_t Image_Ident(const Can_Frame &frame);

// "virtualcan:can0", "socketcan:can0", "virtualcan:tcp://127.0.0.1:35470/can0": the Qt CAN
// plugin, then the interface as that plugin names it (split at the first colon).
struct Can_Interface {
    QString Plugin;
    QString Name;
    QString Text() const { return Plugin + QLatin1Char(':') + Name; }
};
std::optional<Can_Interface> Parse_Can_Interface(QStringView text, QString *error);
