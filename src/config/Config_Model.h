#pragma once
// The items of a configuration, their text forms and limits. Values are kept as the user typed
// them; they are converted only when validated and when the device images are built.
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

enum class Direction { Receive, Transmit };

// Limits of a configuration and of the device images.
constexpr int Max_Frame_Entries = 250;     // per direction (rows of a frame list)
constexpr int Max_Data_Bytes = 8;          // per frame
constexpr int Max_Mod_Index = 65535;       // register index 0..65535, unique per direction
constexpr int Max_Frame_Records = 512;     // frame records in bank1, both directions
constexpr int Max_Map_Records = 4096;      // mapping records in bank2, both directions

// The comment that follows the root of every configuration file.
inline const QString SW_Version_Comment = QStringLiteral("SW_VERSION = 1.102");

// Frame types as written in the files, and the upper-case forms that readers compare.
inline const QString Frame_Type_11 = QStringLiteral("CAN 2.0A 11 bits");
inline const QString Frame_Type_29 = QStringLiteral("CAN 2.0B 29 bits");
inline const QString Frame_Type_11_Upper = QStringLiteral("CAN 2.0A 11 BITS");
inline const QString Frame_Type_29_Upper = QStringLiteral("CAN 2.0B 29 BITS");

// CAN bit rates: the code is the position in this list.
struct Baud_Rate {
    const char *Label;
    int32_t Bit_Per_S;
};
constexpr std::array<Baud_Rate, 9> Baud_Rates = {{{"10K", 10000},
                                                  {"20K", 20000},
                                                  {"50K", 50000},
                                                  {"100K", 100000},
                                                  {"125K", 125000},
                                                  {"250K", 250000},
                                                  {"500K", 500000},
                                                  {"800K", 800000},
                                                  {"1000K", 1000000}}};
constexpr int Default_Baud_Code = 5;
// The bit rate of a code; a code outside the list counts as 250000 bit/s.
constexpr int32_t Baud_Code_To_Bps(int32_t code)
{
    return code >= 0 && code < int32_t(Baud_Rates.size()) ? Baud_Rates[size_t(code)].Bit_Per_S
                                                          : 250000;
}

// The communication settings as the texts of ParGen.xml's elements.
template <class T>
struct Par_Gen_Fields {
    T CAN_BAUDRATE;
    T IP[4];
    T SM[4];
    T EN_GAT;
    T GAT[4];
    T Port;
};
using Par_Gen_Texts = Par_Gen_Fields<QString>;

// One row of a frame list, every attribute as text. Receive rows use CobID, Dimension, Type,
// TimeOut and Mnemonic; transmit rows CobID, Dimension, Type, DataChange, OnTimer, SendTimer
// and Mnemonic.
struct Frame_Row {
    QString CobID;
    QString Dimension;
    QString Type;
    QString TimeOut;
    QString DataChange;
    QString OnTimer;
    QString SendTimer;
    QString Mnemonic;
    // Where the row stood in the file it was read from (its frame number there), -1 for a row
    // typed in since. Not written to any file: it lets a save tell which stored frame went
    // where, so that the mappings can follow their frames. Not part of a row's value.
    int Stored_Index = -1;
    bool operator==(const Frame_Row &other) const
    {
        return CobID == other.CobID && Dimension == other.Dimension && Type == other.Type &&
               TimeOut == other.TimeOut && DataChange == other.DataChange && OnTimer == other.OnTimer &&
               SendTimer == other.SendTimer && Mnemonic == other.Mnemonic;
    }
};

// The mapping editors' records: one frame of the direction's list, with its registers in the
// order they were loaded or created. The same pair serves both directions; Write (send on
// Modbus write) is used by the transmit direction only.
struct Editor_Register {
    QString Ind_Mod;     // register index text as typed
    int32_t HiPart = 0;  // 0 none, k = data byte k
    int32_t LoPart = 0;
    int32_t Write = 0;   // 0 False, 1 True
    bool operator==(const Editor_Register &) const = default;
};

struct Editor_Frame {
    QString CobID;         // identifier text from the frame list, shown only
    int32_t Num_Byte = 8;  // the frame's dimension
    QList<Editor_Register> Registers;
    bool operator==(const Editor_Frame &) const = default;
};
