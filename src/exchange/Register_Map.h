#pragma once
// The register map: what the Modbus side (PLC, SCADA) needs to know of a configuration, one line
// per signal of a CAN database with the recipe that gives its value from its registers (see
// Signal_Recipe.h), and one per register that carries no signal, with a header naming the
// configuration and the converter. Written as CSV (for
// spreadsheets) and HTML (to read or print); both are plain text from the model, so that the
// configurator and qcx3310-cli write the same document.
#include "config/Config_Model.h"
#include "config/Configuration.h"
#include "config/Project_Paths.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

struct Register_Map_Line {
    Direction Dir = Direction::Receive;
    QString Register;       // the index as typed (a signal's: its first, high word register)
    int32_t Register_Value = -1;  // its value, -1 when it does not convert
    QString CobID;
    QString Type;
    QString Mnemonic;
    int32_t HiPart = 0;
    int32_t LoPart = 0;
    bool Send_On_Write = false;
    QString Registers;      // every register of the line, high word first: "100 101"
    // From the CAN database the registers were imported from (see Signal_Notes.h), when known;
    // a register without a signal reads as itself: shift 0, 16 bits, unsigned, factor 1.
    QString Signal;
    QString Message;        // the database's message, or the frame's mnemonic
    QString Shift;
    QString Length;
    QString Signed;         // "yes" or "no"
    QString Float;
    QString Factor;
    QString Offset;
    QString Unit;
    QString Minimum;
    QString Maximum;
    QString Values;         // "0=Off 1=On"
};

struct Register_Map {
    QString Configuration;  // the folder's name
    QString Address;        // "192.168.0.10", as the device gets it
    QString Port;
    QString Bit_Rate;       // "250K"
    QDate Date;
    QString Program_Version;
    QList<Register_Map_Line> Lines;  // receive first, each direction by register number
    bool Has_Signals = false;        // some line has a signal
};

// Reads the configuration in paths (dir_name names it): the registers as the editors show them,
// the converter's address, port and bit rate as the device images carry them. Throws Xml_Error
// for a configuration that cannot be read or built.
Register_Map Read_Register_Map(const Configuration &config, const QString &dir_name, const QDate &date,
                               const QString &program_version);
Register_Map Read_Register_Map(const Project_Paths &paths, const QString &dir_name, const QDate &date,
                               const QString &program_version);

// "read" for a register filled from a received frame, "read/write" for one that goes into a
// transmitted frame.
QString Register_Access(Direction direction);

// The pieces every format shows: the header's names and values, the column titles, and the
// cells of one line, as text.
QList<std::pair<QString, QString>> Register_Map_Header(const Register_Map &map);
QStringList Register_Map_Columns(const Register_Map &map);
QStringList Register_Map_Cells(const Register_Map &map, const Register_Map_Line &line);
QByteArray Register_Map_Csv(const Register_Map &map);
QByteArray Register_Map_Html(const Register_Map &map);
