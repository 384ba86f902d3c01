#pragma once
// The two device images built from the five files of a configuration folder:
//  - bank1.bin: a 2048-byte header (general parameters, counts and device addresses of the
//    four tables, a checksum) followed by one 32-byte record per CAN frame;
//  - bank2.bin: one 16-byte record per register mapping, no header.
// Every multi-byte field is little-endian. The images hold absolute device addresses, which
// belong together with the load addresses the updater is given.
#include "config/Config_Model.h"
#include "config/Project_Files.h"
#include "config/Project_Paths.h"
#include "platform/XmlDocument.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Where the updater loads the images on the device.
constexpr uint32_t Bank1_Load_Addr = 0x00068000;
constexpr uint32_t Bank2_Load_Addr = 0x00058000;

constexpr int Bank1_Header_Size = 0x800;
constexpr int Frame_Entry_Size = 32;
constexpr int Map_Entry_Size = 16;
constexpr int Bank1_Checksum_Offset = 0x7FC;
constexpr int Bank1_Max_Len = Bank1_Header_Size + Max_Frame_Records * Frame_Entry_Size;  // 18432
constexpr int Bank2_Max_Len = Max_Map_Records * Map_Entry_Size;                          // 65536
// A reader of images takes this much past the largest size, so that a slightly long image can
// still be read and reported for what it is; anything longer is refused before it is read.
constexpr int Bank_Read_Margin = 4096;

// Device addresses of the first frame record (just after bank1's header) and of the first
// mapping record (the start of bank2).
constexpr uint32_t Frame_Table_Addr = Bank1_Load_Addr + Bank1_Header_Size;  // 0x00068800
constexpr uint32_t Map_Table_Addr = Bank2_Load_Addr;                        // 0x00058000

constexpr uint32_t Ident_Extended = 0x80000000u;  // Frame_Entry::Ident: a 29-bit frame
constexpr uint8_t Frame_Flag_Transmit = 0x01;
constexpr uint8_t Frame_Flag_Data_Change = 0x02;
constexpr uint8_t Map_Flag_Transmit = 0x01;
constexpr uint8_t Map_Flag_Send_On_Write = 0x02;

// The named fields of bank1's header (the parameter block). Every byte of the header that has
// no field here is zero. The offsets are those of Put_Bank1_Header.
struct Bank1_Header {
    uint32_t CAN_Baud = 0;        // 0x000, bit/s
    uint32_t CAN_Baud_2 = 0;      // 0x004, the same value
    uint32_t Fixed_008 = 0;       // 0x008, 9600
    uint8_t TCP_IP[4] = {};       // 0x028, octet 1 first
    uint8_t TCP_Mask[4] = {};     // 0x02C
    uint8_t TCP_Gateway[4] = {};  // 0x030, all 255 when the gateway is disabled
    uint16_t Fixed_034 = 0;       // 0x034, 10000
    uint16_t TCP_Port = 0;        // 0x036
    uint16_t TCP_Port_2 = 0;      // 0x038, the same value
    uint32_t Fixed_03C = 0;       // 0x03C, 9600
    uint32_t Fixed_040 = 0;       // 0x040, 2
    uint32_t Num_Rx_Frame = 0;    // 0x1FC
    uint32_t Addr_Rx_Frame = 0;   // 0x200
    uint32_t Num_Tx_Frame = 0;    // 0x204
    uint32_t Addr_Tx_Frame = 0;   // 0x208
    uint32_t Num_Rx_Map = 0;      // 0x20C
    uint32_t Addr_Rx_Map = 0;     // 0x210
    uint32_t Num_Tx_Map = 0;      // 0x214
    uint32_t Addr_Tx_Map = 0;     // 0x218
    bool operator==(const Bank1_Header &) const = default;
};

// One CAN frame record of bank1 (32 bytes; bytes 16 to 31 are zero).
struct Frame_Entry {
    uint32_t Ident = 0;       // Cob-ID, bit 31 for a 29-bit frame
    uint32_t Time_Out = 0;    // receive: timeout in ms
    uint32_t Send_Timer = 0;  // transmit: period in ms when sent on a timer
    uint8_t Dimension = 0;
    uint8_t Flags = 0;        // Frame_Flag_*
    uint16_t Data_Offset = 0; // 8 x frame number within its direction
    bool operator==(const Frame_Entry &) const = default;
};

// One register mapping record of bank2 (16 bytes; bytes 9 to 15 are zero).
struct Map_Entry {
    uint16_t Mod_Index = 0;
    uint16_t Num_Frame = 0;    // frame number within the mapping's direction
    uint16_t Byte_HiPart = 0;  // 0 none, k = data byte k
    uint16_t Byte_LoPart = 0;
    uint8_t Flags = 0;         // Map_Flag_*
    bool operator==(const Map_Entry &) const = default;
};

// The byte layouts. Put_* write every byte of the record (reserved bytes as zero); Get_* read
// the named fields back. out and in point at a full record.
void Put_Bank1_Header(const Bank1_Header &header, uint8_t *out);  // the 2044 bytes before the checksum
Bank1_Header Get_Bank1_Header(const uint8_t *in);
// Sum of the header's bytes 0x000 to 0x7FB, each unsigned, modulo 2^32.
uint32_t Bank1_Checksum(const uint8_t *header);
void Put_Frame_Entry(const Frame_Entry &entry, uint8_t *out);
Frame_Entry Get_Frame_Entry(const uint8_t *in);
void Put_Map_Entry(const Map_Entry &entry, uint8_t *out);
Map_Entry Get_Map_Entry(const uint8_t *in);
void Put_U16(uint8_t *out, uint16_t value);
void Put_U32(uint8_t *out, uint32_t value);
uint16_t Get_U16(const uint8_t *in);
uint32_t Get_U32(const uint8_t *in);

// The build's test of a frame type or a check box text against its upper-case form: the letters
// a to z count as A to Z, nothing else is changed and nothing is trimmed, so the result is the
// same on every machine whatever its language. UTF-8: a character outside ASCII never matches.
bool Ascii_Upper_Equals(QByteArrayView text, QByteArrayView upper);

// Thrown for more frame or mapping records than the image tables hold (Max_Frame_Records,
// Max_Map_Records, receive and transmit together); Row is the first row that finds no room.
class Capacity_Error : public Row_Error {
public:
    Capacity_Error(const QString &file, int row, const QString &what, bool mappings)
        : Row_Error(file, row, what), Mappings(mappings) {}
    bool Mappings;  // the mapping table is full (otherwise the frame table)
};

// What the build took from one row of a frame list or a mapping file, for a caller that looks a
// configuration over as the device will get it. The references hold during the call only.
struct Frame_Row_Read {
    Direction Dir;
    const Row_View &Row;       // Row.Index() is also the frame's number within its direction
    const Frame_Entry &Entry;  // the record as the image holds it
    QByteArrayView Type;       // the Type text (UTF-8)
    // The texts as converted before they are narrowed into the record; no value for a text that
    // is not a number, for which the record holds the build's fallback.
    std::optional<int32_t> CobID;
    std::optional<int32_t> Dimension;
    std::optional<int32_t> Timer;  // TimeOut; for a transmit frame SendTimer, read only when On_Timer
    bool On_Timer;                 // transmit: "On Timer" set, so Entry.Send_Timer is its period
};

struct Map_Row_Read {
    Direction Dir;
    const Row_View &Row;
    std::optional<int32_t> Num_Frame;
    // The record; null when Num_Frame names no frame of the direction and the build leaves the
    // row out without reading the rest of it (then the values below have none either).
    const Map_Entry *Entry;
    std::optional<int32_t> Mod_Index;
    std::optional<int32_t> Byte_HiPart;
    std::optional<int32_t> Byte_LoPart;
};

class Build_Listener {
public:
    virtual ~Build_Listener() = default;
    virtual void Frame_Read(const Frame_Row_Read &row) = 0;
    virtual void Map_Read(const Map_Row_Read &row) = 0;
    // A frame list or mapping file the build looked for and did not find (it then takes that
    // part as empty). A mapping file whose direction has no frames is not looked for.
    virtual void File_Missing(const QString &path) = 0;
};

// One build: the parameter block, the frame and mapping tables, and the serialised images.
// Compile_Bin starts from scratch every time, so its result depends only on the five files at
// that moment; the images stay held until the next build. Not for two builds at once.
class Configuration_Image {
public:
    Configuration_Image();

    // Reads the five files and builds both images in memory. A missing file gives that part's
    // defaults. Throws Xml_Error (file, position or row, reason) for a file that is not
    // well-formed, a row without an attribute the build reads, or more frame or mapping
    // records than the image tables hold; after a failure no images are held.
    void Compile_Bin(const Project_Paths &files);

    // The part of Compile_Bin that reads the frame lists and the mapping files, exactly as it
    // reads them, telling listener what each row gave; the settings file is not read and no
    // images are built. Throws as Compile_Bin does for these four files.
    void Read_Lists(const Project_Paths &files, Build_Listener &listener);

    // Writes the two images to paths.Bank1 and paths.Bank2, creating their folder when it is
    // missing. Both files are staged first and replaced together at the end, so a failure
    // leaves the earlier pair as it was (short of the final rename itself failing). Throws
    // Xml_Error naming the file and the system's reason, or when no images are held.
    void Save_Bin_Files(const Project_Paths &paths) const;

    bool Built() const { return built_; }
    const Bank1_Header &Param() const { return param_; }
    QByteArray Bank1_Image() const { return bank1_image_.left(bank1_len_); }
    QByteArray Bank2_Image() const { return bank2_image_.left(bank2_len_); }
    int Bank1_Len() const { return bank1_len_; }
    int Bank2_Len() const { return bank2_len_; }
    // The records of the last build (index below its record counts).
    const Frame_Entry &Frame(int index) const { return frame_table_[size_t(index)]; }
    const Map_Entry &Map(int index) const { return map_table_[size_t(index)]; }

private:
    // The steps of Compile_Bin, in the order it runs them.
    void Init_Param();
    void Clear_Frame_Table();
    void Clear_Map_Table();
    void Read_Par_Gen(const QString &path);
    std::optional<Xml_Document> Load_List(const QString &path);
    void Read_CAN_Frames(const QString &receive_path, const QString &transmit_path);
    void Read_Define_CAN(const QString &receive_path, const QString &transmit_path);
    void Build_Bank1();
    void Build_Bank2();

    Bank1_Header param_;
    std::vector<Frame_Entry> frame_table_;  // receive records from 0, transmit records after them
    std::vector<Map_Entry> map_table_;      // likewise
    QByteArray bank1_image_;
    int bank1_len_ = 0;
    QByteArray bank2_image_;
    int bank2_len_ = 0;
    bool built_ = false;
    Build_Listener *listener_ = nullptr;  // during Read_Lists only
    bool keep_records_ = true;            // false during Read_Lists
};

// Thrown by Build_Device_Images: the reason, and whether the configuration could not be read
// (nothing was written) or the images could not be written (the earlier pair is kept).
class Device_Images_Error : public Xml_Error {
public:
    Device_Images_Error(const Xml_Error &error, bool writing) : Xml_Error(error), Writing(writing) {}
    bool Writing;
};

// The one road from a configuration folder to its images on disk: Compile_Bin, then
// Save_Bin_Files. Returns the build (for the figures a caller reports).
Configuration_Image Build_Device_Images(const Project_Paths &paths);
