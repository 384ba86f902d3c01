#pragma once
// The build of the two device images from the five files of a configuration folder (their
// layout is in Image_Layout.h).
#include "config/Config_Model.h"
#include "config/Device_Records.h"
#include "config/Image_Layout.h"
#include "config/Project_Files.h"
#include "config/Project_Paths.h"
#include "platform/Plain_Xml.h"
#include "platform/XmlDocument.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The build's test of a frame type or a check box text against its upper-case form: the letters
// a to z count as A to Z, nothing else is changed and nothing is trimmed, so the result is the
// same on every machine whatever its language. UTF-8: a character outside ASCII never matches.
bool Ascii_Upper_Equals(QByteArrayView text, QByteArrayView upper);

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

    // Encodes the records of a configuration as the device gets it into both images.
    void Encode(const Device_Configuration &device);

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
    // fn(row) for each row of a frame list or mapping file; a missing file has none (and is
    // told to the listener). row is a Row_View, or without a listener possibly a row of the
    // plain reader, which reads the same.
    template <class Fn>
    void For_Each_List_Row(const QString &path, Fn fn);
    void Read_CAN_Frames(const QString &receive_path, const QString &transmit_path);
    // One direction's frame list into the table; count is that direction's frame count.
    void Read_Frame_List(const QString &path, Direction direction, uint32_t &count);
    template <class Row>
    void Take_Frame_Row(const QString &path, Direction direction, uint32_t first, uint32_t &count, const Row &row);
    void Read_Define_CAN(const QString &receive_path, const QString &transmit_path);
    template <class Row>
    void Take_Map_Row(const QString &path, Direction direction, uint32_t num_frames, uint32_t first,
                      uint32_t &count, const Row &row);
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
    // The plain reader's rows of the file being read; its memory is kept for the next file
    // (and not copied with the images).
    struct Rows_Scratch {
        Plain_Xml::Rows Rows;
        Rows_Scratch() = default;
        Rows_Scratch(const Rows_Scratch &) {}
        Rows_Scratch &operator=(const Rows_Scratch &) { return *this; }
    };
    Rows_Scratch plain_rows_;
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
