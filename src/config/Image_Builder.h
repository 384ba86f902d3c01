#pragma once
// The device images of a configuration (their layout is in Image_Layout.h): the records of
// Device_Records.h, encoded.
#include "config/Config_Check.h"
#include "config/Config_Model.h"
#include "config/Configuration.h"
#include "config/Device_Records.h"
#include "config/Image_Layout.h"
#include "config/Project_Paths.h"
#include "platform/Xml_Document.h"

#include <QByteArray>
#include <QString>

// One build: the parameter block and the serialised images. Each build starts from scratch, so
// its result depends only on the configuration it was given; the images stay held until the
// next build.
class Configuration_Image {
public:
    // Encodes the records of a configuration as the device gets it into both images.
    void Encode(const Device_Configuration &device);
    // Loads the configuration folder of files and encodes it. Throws Xml_Error (file, position or
    // row, reason) for a file that is not well-formed, a row without an attribute the device's
    // records need, or more records than the image tables hold; after a failure no images are
    // held.
    void Compile_Bin(const Project_Paths &files);
    void Compile_Bin(const Configuration &config);

    // Writes the two images to paths.Bank1 and paths.Bank2, creating their folder when it is
    // missing. Both files are staged first and replaced together at the end, so a failure
    // leaves the earlier pair as it was (short of the final rename itself failing). Throws
    // File_Error naming the file and the system's reason, or when no images are held.
    void Save_Bin_Files(const Project_Paths &paths) const;

    bool Built() const { return built_; }
    const Bank1_Header &Param() const { return param_; }
    QByteArray Bank1_Image() const { return bank1_image_.left(bank1_len_); }
    QByteArray Bank2_Image() const { return bank2_image_.left(bank2_len_); }
    int Bank1_Len() const { return bank1_len_; }
    int Bank2_Len() const { return bank2_len_; }
    // The records of the last build, as the images hold them (index below its record counts).
    Frame_Entry Frame(int index) const
    {
        return Get_Frame_Entry(reinterpret_cast<const uint8_t *>(bank1_image_.constData()) + Bank1_Header_Size +
                               Frame_Entry_Size * index);
    }
    Map_Entry Map(int index) const
    {
        return Get_Map_Entry(reinterpret_cast<const uint8_t *>(bank2_image_.constData()) + Map_Entry_Size * index);
    }

private:
    Bank1_Header param_;
    QByteArray bank1_image_;
    int bank1_len_ = 0;
    QByteArray bank2_image_;
    int bank2_len_ = 0;
    bool built_ = false;
};

// Thrown by Build_Device_Images: the reason, and whether the configuration could not be read
// (nothing was written) or the images could not be written (the earlier pair is kept).
class Device_Images_Error : public File_Error {
public:
    Device_Images_Error(const File_Error &error, bool writing) : File_Error(error), Writing(writing) {}
    bool Writing;
};

// The one road from a configuration to its images on disk: Compile_Bin, then Save_Bin_Files.
// Returns the build (for the figures a caller reports).
Configuration_Image Build_Device_Images(const Configuration &config);
Configuration_Image Build_Device_Images(const Project_Paths &paths);
// The second half of that road, for records already read (a check's, see Check_And_Read):
// encodes them and saves both images; only writing can fail.
Configuration_Image Build_Device_Images(const Device_Configuration &device, const Project_Paths &paths);
// After a check of config: its records when the check read them whole, otherwise the build's
// own reading, which stops at the first fault with its message.
Configuration_Image Build_Device_Images(const Checked_Configuration &checked, const Configuration &config);
