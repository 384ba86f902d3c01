#pragma once
// The frames of a configuration as the device gets them, for holding them against a bus: each
// row of the two frame lists with its identifier, format, Dimension and TimeOut as the image
// build converts them, from the device records of Device_Records.h (a text that is no number gives the build's fallback, as on the device).
// The one place the bus survey reads a configuration.
#include "config/Config_Model.h"
#include "config/Configuration.h"
#include "config/Project_Paths.h"

#include <QList>
#include <QString>
#include <cstdint>

struct Configured_Frame {
    Direction Dir = Direction::Receive;
    int Row = 0;              // from 1 within its file
    uint32_t Id = 0;          // without the 29-bit mark
    bool Extended = false;
    int Dimension = 0;        // the record's, 0..255
    uint32_t Time_Out = 0;    // receive: ms, 0 = never stale
    QString CobID_Text;       // as typed
    bool CobID_Is_Number = true;
};

struct Configured_Frame_Lists {
    QString Receive_File;
    QString Transmit_File;
    QList<Configured_Frame> Receive;
    QList<Configured_Frame> Transmit;
};

// The two frame lists of the configuration (a missing list has no frames). Throws Xml_Error as
// the build does for a list it cannot read.
Configured_Frame_Lists Configured_Frames(const Configuration &config);
Configured_Frame_Lists Configured_Frames(const Project_Paths &paths);
