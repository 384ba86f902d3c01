#pragma once
// A look over a configuration before its device images are built: everything that would
// stop the build, and what the build accepts although the device will probably not do what was
// meant. The check judges the records the device gets (Device_Records.h), the very ones the
// image build encodes, so every value is judged as the device will get it, and a
// configuration the build refuses always has at least one error here.
//
// Codes (stable: scripts may rely on them). Rows count from 1 within their file; 0 means the
// finding is about the whole file.
//
//  error    the build fails
//   unreadable-file          the file exists but cannot be read
//   malformed-file           the file is not well-formed XML (the message gives line and column)
//   missing-attribute        a row lacks an attribute the build reads
//   too-many-frames          more frame records than bank1 holds (512, receive and transmit
//                            together); the row is the first that finds no room
//   too-many-mappings        more mapping records than bank2 holds (4096, both directions)
//  warning  the build succeeds, but the device gets something other than what was probably meant
//   not-a-number             a value the build converts is not a number; the device gets the
//                            build's fallback (Cob-ID 0, Dimension 8, TimeOut and SendTimer 0,
//                            Mod_Index 100, byte parts 0 = none)
//   unknown-frame-type       Type is neither "CAN 2.0A 11 bits" nor "CAN 2.0B 29 bits" as the
//                            build compares them (whole text, a to z as A to Z): an 11-bit frame
//   identifier-out-of-range  the Cob-ID lies outside 0 to 0x7FF (11-bit) or 0 to 0x1FFFFFFF (29-bit)
//   dimension-out-of-range   Dimension outside 1 to 8
//   duplicate-frame          another frame of the same direction has the same identifier and type
//                            (compared as the device gets them: "0x181" and "385" are the same)
//   receive-without-timeout  a receive frame with TimeOut 0 while other receive frames have one
//   send-timer-zero          a transmit frame sent on the timer with a period of 0
//   transmit-never-sent      a transmit frame with neither Data Change, On Timer nor a register
//                            that sends it on a Modbus write
//   unplaced-mapping         a mapping row whose Num_Frame is not a number, negative or beyond
//                            its direction's frame list, or whose direction has no frames at all:
//                            the build leaves it out
//   register-out-of-range    Mod_Index outside 0 to 65535: the device gets its low 16 bits
//   duplicate-register       the same register number twice in one direction (compared as the
//                            device gets it)
//   mapping-without-bytes    a mapping with both byte parts "None"
//   byte-beyond-dimension    a byte part beyond its frame's Dimension (or beyond the 8 data bytes
//                            of a CAN frame)
//   transmit-byte-overlap    a transmit mapping writes a byte of its frame that an earlier one
//                            writes too: a Modbus write of either changes the other's byte
//   identifier-typed-decimal a Cob-ID in plain digits (no 0x, $ or x) that the device reads as
//                            decimal, while the same digits read as hexadecimal, as CAN tools
//                            and can-send write them, name another valid identifier ("181" is
//                            0x0B5 to the device, 0x181 to them); "0" to "9" read alike
//   settings-not-stored      ParGen.xml does not exist: the device gets its own settings
//                            (Device_Default_Settings), not what the settings dialog shows
//                            before it is confirmed; the message names them
//  info
//   missing-file             a frame list or mapping file does not exist; the build uses that
//                            part's defaults (empty)
//   frame-without-mapping    a frame with no register mapped to it
#include "config/Configuration.h"
#include "config/Device_Records.h"
#include "config/Project_Paths.h"

#include <QList>
#include <QString>

enum class Check_Severity { Error, Warning, Info };

// "error", "warning", "info".
QString Severity_Name(Check_Severity severity);

struct Check_Finding {
    Check_Severity Severity = Check_Severity::Error;
    QString File;  // the path, as Project_Paths gives it
    int Row = 0;   // from 1 within the file; 0 when not about one row
    QString Code;  // one of the codes above
    QString Message;
    bool operator==(const Check_Finding &) const = default;
};

// Looks over a loaded configuration and lists the findings in file order
// (settings, receive frames, transmit frames, receive mappings, transmit mappings), by row
// within a file. After an error in the frame lists or mapping files the check stops where the
// build stops: findings before it are kept; files the build did not reach and findings that
// need the whole configuration (time-outs, frames never sent, frames without mappings) are left
// out. An error in the settings file does not stop the look at the lists.
QList<Check_Finding> Check_Configuration(const Configuration &config);

// The check, and the device's reading of the configuration that it judged. Update Device checks
// first and then encodes these very records, so one action reads the configuration once and
// interprets it once.
struct Checked_Configuration {
    QList<Check_Finding> Findings;
    // The settings and lists as the device gets them: the records the build would make. Whole
    // only when Complete; after a fault it holds what was read before it.
    Device_Configuration Device;
    bool Complete = false;  // the settings and every list were read without a fault
};
Checked_Configuration Check_And_Read(const Configuration &config);
// The same for the configuration folder of paths, loaded for the check alone.
QList<Check_Finding> Check_Configuration(const Project_Paths &paths);

struct Check_Summary {
    int Errors = 0;
    int Warnings = 0;
    int Infos = 0;
};
Check_Summary Summarize(const QList<Check_Finding> &findings);
