#pragma once
// Where everything of one configuration folder lives: the five files it is made of, the signal
// notes beside them and the two device images built from them. The one place that knows these
// names.
#include "config/Config_Model.h"

#include <QString>

struct Project_Paths {
    QString ParGen;
    QString CAN_Receive;
    QString CAN_Transmit;
    QString Define_CAN_Receive;
    QString Define_CAN_Transmit;
    QString Signal_Notes;  // CAN_Signals.csv: the imported signals' registers and recipes
    QString Bank1;  // bin/bank1.bin
    QString Bank2;  // bin/bank2.bin

    // The frame list and the mapping file of a direction.
    const QString &Frame_File(Direction direction) const
    {
        return direction == Direction::Receive ? CAN_Receive : CAN_Transmit;
    }
    const QString &Map_File(Direction direction) const
    {
        return direction == Direction::Receive ? Define_CAN_Receive : Define_CAN_Transmit;
    }
};

// The paths inside the configuration folder dir_project (which is used as given: an empty
// folder name gives paths that start with the separator).
Project_Paths Project_Paths_In(const QString &dir_project);
