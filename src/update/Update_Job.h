#pragma once
// The update job: the file that tells the updater which device to reach and which images to
// write there, and where the updater and its job live.
#include "platform/Xml_Document.h"

#include <QString>

// What the user chose in the update dialog's options.
struct Update_Options {
    bool Firmware = true;   // write the firmware image
    bool Read_Firm = true;  // read the firmware back after writing
    bool Conf = true;       // write the two configuration images
    bool Read_Conf = true;  // read the configuration back after writing
};

// Folders the job names files in (absolute, without a trailing separator).
struct Update_Folders {
    QString Dir_Master;   // holds the firmware image QFW3310.sim
    QString Dir_Project;  // the configuration; its bin folder holds bank1.bin and bank2.bin
};

// The file names the job gives the updater, with the platform's separators.
QString Firmware_Image_Path(const QString &dir_master);
QString Bank1_Image_Path(const QString &dir_project);
QString Bank2_Image_Path(const QString &dir_project);

// The job file and the updater, both in the program's folder.
QString Update_Job_Path(const QString &dir_exe);
QString Updater_Path(const QString &dir_exe);

// The whole job tree, built afresh: the device address (ip_text exactly as the fields hold it),
// the fixed ports and protection, then the firmware operation and the two configuration
// operations as the options ask. The last operation sends the device back to its application.
Xml_Document Build_Update_Job(const QString &ip_text, const Update_Options &options,
                              const Update_Folders &folders);

// Builds the job and replaces the file at path atomically. Throws Xml_Error naming the file and
// the system's reason when it cannot be written.
void Write_Update_Job(const QString &path, const QString &ip_text, const Update_Options &options,
                      const Update_Folders &folders);
