#include "config/Image_Builder.h"

#include "platform/Core_Text.h"
#include "platform/Safe_File.h"

#include <QDir>
#include <QFileInfo>

void Configuration_Image::Encode(const Device_Configuration &device)
{
    built_ = false;
    bank1_len_ = 0;
    bank2_len_ = 0;
    param_ = device.Param;
    if (bank1_image_.isEmpty()) bank1_image_ = QByteArray(Bank1_Max_Len, '\0');
    if (bank2_image_.isEmpty()) bank2_image_ = QByteArray(Bank2_Max_Len, '\0');

    uint8_t *out1 = reinterpret_cast<uint8_t *>(bank1_image_.data());
    Put_Bank1_Header(param_, out1);
    Put_U32(out1 + Bank1_Checksum_Offset, Bank1_Checksum(out1));
    // Receive records first, transmit records after them, in both tables.
    int frames = 0;
    for (const auto &list : device.Frames)
        for (const Device_Frame &f : list) Put_Frame_Entry(f.Entry, out1 + Bank1_Header_Size + Frame_Entry_Size * frames++);
    bank1_len_ = Bank1_Header_Size + frames * Frame_Entry_Size;

    uint8_t *out2 = reinterpret_cast<uint8_t *>(bank2_image_.data());
    int maps = 0;
    for (const auto &list : device.Mappings)
        for (const Device_Mapping &m : list)
            if (m.Placed) Put_Map_Entry(m.Entry, out2 + Map_Entry_Size * maps++);
    bank2_len_ = maps * Map_Entry_Size;
    built_ = true;
}

void Configuration_Image::Compile_Bin(const Configuration &config)
{
    built_ = false;
    bank1_len_ = 0;
    bank2_len_ = 0;
    Encode(Read_Device_Configuration(config));
}

void Configuration_Image::Compile_Bin(const Project_Paths &files) { Compile_Bin(Load_Configuration(files)); }

void Configuration_Image::Save_Bin_Files(const Project_Paths &paths) const
{
    const QString &bank1 = paths.Bank1;
    const QString &bank2 = paths.Bank2;
    if (!built_) throw File_Error(bank1, Core_Text("no device images have been built"));

    const QString bin = QFileInfo(bank1).path();
    if (!QDir().mkpath(bin)) throw File_Error(bin, Core_Text("the folder cannot be created"));

    // The pair on disk always belongs together.
    Replace_Files({{bank1, Bank1_Image()}, {bank2, Bank2_Image()}});
}

Configuration_Image Build_Device_Images(const Configuration &config)
{
    Device_Configuration device;
    try {
        device = Read_Device_Configuration(config);
    } catch (const Xml_Error &e) {
        throw Device_Images_Error(e, false);
    }
    return Build_Device_Images(device, config.Paths);
}

Configuration_Image Build_Device_Images(const Device_Configuration &device, const Project_Paths &paths)
{
    Configuration_Image image;
    image.Encode(device);
    try {
        image.Save_Bin_Files(paths);
    } catch (const File_Error &e) {
        throw Device_Images_Error(e, true);
    }
    return image;
}

Configuration_Image Build_Device_Images(const Project_Paths &paths) { return Build_Device_Images(Load_Configuration(paths)); }

Configuration_Image Build_Device_Images(const Checked_Configuration &checked, const Configuration &config)
{
    return checked.Complete ? Build_Device_Images(checked.Device, config.Paths) : Build_Device_Images(config);
}
