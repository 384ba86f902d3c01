#pragma once
// What the device gets from a configuration: the parameter block and the frame and mapping
// records of its two images, each with the conversion of every value it was made from. The image
// builder only encodes these records; the check judges them; the monitor and the register map
// show them. So every part sees a value exactly as the device will.
#include "config/Configuration.h"
#include "config/Image_Layout.h"
#include "config/Project_Files.h"

#include <cstdint>
#include <optional>
#include <vector>

// Thrown for more frame or mapping records than the image tables hold (Max_Frame_Records,
// Max_Map_Records, receive and transmit together); Row is the first row that finds no room.
class Capacity_Error : public Row_Error {
public:
    Capacity_Error(const QString &file, int row, const QString &what, bool mappings)
        : Row_Error(file, row, what), Mappings(mappings) {}
    bool Mappings;  // the mapping table is full (otherwise the frame table)
};

// One frame record, and what it was made from. A text that is not a number has no value here;
// the record then holds the device's fallback for it.
struct Device_Frame {
    const Stored_Frame *Source = nullptr;
    Frame_Entry Entry;
    std::optional<int32_t> CobID;
    std::optional<int32_t> Dimension;
    std::optional<int32_t> Timer;  // TimeOut; for a transmit frame SendTimer, read only when On_Timer
    bool On_Timer = false;         // transmit: "On Timer" set, so Entry.Send_Timer is its period
};

// One mapping row and the record it gives. A row whose Num_Frame names no frame of its
// direction gives no record (Placed false) and nothing else of it is read.
struct Device_Mapping {
    const Stored_Mapping *Source = nullptr;
    bool Placed = false;
    Map_Entry Entry;
    std::optional<int32_t> Num_Frame;
    std::optional<int32_t> Mod_Index;
    std::optional<int32_t> Byte_HiPart;
    std::optional<int32_t> Byte_LoPart;
};

// The steps of the reading, in the order the device's view reads the lists.
enum class Device_Step { Receive_Frames, Transmit_Frames, Receive_Mappings, Transmit_Mappings, Done };

struct Device_Configuration {
    // The general parameters, and the counts and addresses of the four tables.
    Bank1_Header Param;
    std::vector<Device_Frame> Frames[2];      // [0] receive, [1] transmit, in list order
    std::vector<Device_Mapping> Mappings[2];  // in mapping-file order, placed or not
    // How far the reading of the lists came: the step that failed, or Done.
    Device_Step Reached = Device_Step::Receive_Frames;

    const std::vector<Device_Frame> &Frames_Of(Direction d) const { return Frames[d == Direction::Receive ? 0 : 1]; }
    const std::vector<Device_Mapping> &Mappings_Of(Direction d) const
    {
        return Mappings[d == Direction::Receive ? 0 : 1];
    }
};

// The device's own settings, which stand in bank1 whenever ParGen.xml is missing.
Bank1_Header Device_Default_Settings();

// The settings as the device gets them into out.Param. Raises the settings file's error.
void Read_Device_Settings(const Configuration &config, Device_Configuration &out);
// The frame lists and the mapping files as the device gets them, into out (the settings in
// out.Param are left as they are). Raises, in this order, the first of: an unreadable or
// malformed file, a row without an attribute the device's records need, more records than the
// tables hold. out then holds everything read before the fault.
void Read_Device_Lists(const Configuration &config, Device_Configuration &out);
// Both.
Device_Configuration Read_Device_Configuration(const Configuration &config);
