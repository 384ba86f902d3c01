#pragma once
// A configuration held against the traffic of its bus (a log or a live recording): what the
// converter would miss or misread once it is installed.
//
// Codes (stable: scripts may rely on them). Rows count from 1 within their file (the log's
// lines for bad-log-line).
//  error
//   no-traffic              the recording holds no classic CAN data frame at all
//   several-buses           a log of more than one interface, and none chosen
//   other-format            a receive frame's identifier is seen, but only in the other format
//                           (11-bit against 29-bit)
//   typing-trap             a receive frame's Cob-ID, read as the device reads it, is never
//                           seen, but the same digits read in the other base (hexadecimal as
//                           decimal, or decimal as hexadecimal) are
//   shorter-than-dimension  frames of a receive identifier are shorter than its Dimension: the
//                           device ignores them
//   timeout-too-short       a receive TimeOut no longer than the largest gap seen: the registers
//                           go stale between frames
//   transmit-already-sent   another node sends an identifier the converter transmits
//  warning
//   bad-log-line            a line of the log that is no frame (the first ones are listed)
//   error-frames            the bus carried error frames (a wrong bit rate, a missing
//                           terminator)
//   receive-never-seen      a receive frame that the recording never carries
//   timeout-zero            a receive frame with TimeOut 0: its registers keep the last value
//                           when the frame stops
//   too-many-identifiers    more identifiers than are followed one by one
//  info
//   not-configured          an identifier on the bus that no receive frame takes (its lengths,
//                           cycle and count)
//   fd-frames               CAN FD frames in the recording (the converter takes classic CAN)
//   other-bus-frames        frames of the other interfaces of the log, left out
#include "config/Config_Check.h"
#include "exchange/Bus_Traffic.h"
#include "exchange/Configured_Frames.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

struct Survey_Finding {
    Check_Severity Severity = Check_Severity::Error;
    QString Code;
    QString File;  // the frame list (or the log); empty when about the traffic as a whole
    int Row = 0;   // from 1; 0 when not about a row
    QString Frame; // the identifier and format: "0x181 11-bit"; empty when about no frame
    QString Message;
    std::optional<uint32_t> Suggested_Timeout_Ms;
    bool operator==(const Survey_Finding &) const = default;
};

// What a recording was, for the findings about it.
struct Survey_Source {
    QString Log_File;     // empty for a live bus
    Can_Log_Result Log;   // the counts and bad lines of the log (empty for a live bus)
    qint64 Error_Frames = 0;
    qint64 Fd_Frames = 0;
};

// The suggested TimeOut for a frame whose largest gap is max_gap_us: the gap times factor,
// rounded up to whole milliseconds; at least 1 ms.
constexpr double Default_Learn_Timeout_Factor = 3.0;
uint32_t Suggested_Timeout_Ms(int64_t max_gap_us, double factor = Default_Learn_Timeout_Factor);

// The findings: those about the recording first, then the receive frames and the transmit
// frames by row, then the identifiers no receive frame takes, by format and identifier.
QList<Survey_Finding> Survey_Bus(const Configured_Frame_Lists &config, const Bus_Traffic &traffic,
                                 const Survey_Source &source);

Check_Summary Summarize(const QList<Survey_Finding> &findings);

// One survey of a configuration folder against a log, as the Bus check window and qcx3310-cli
// run it: the configuration first (a folder the build refuses is not held against anything),
// then the log in one pass.
struct Log_Survey {
    QString Config_Error;  // why the frame lists could not be read; empty when they were
    QString Log_Error;     // why the log could not be read (or holds no frame of channel)
    Configured_Frame_Lists Config;
    Bus_Traffic Traffic;
    Survey_Source Source;
    QList<Survey_Finding> Findings;
};
// channel: only the frames of that interface, when not empty.
std::unique_ptr<Log_Survey> Survey_Log(const Project_Paths &paths, const QString &log, const QByteArray &channel = {});

// "0x181 11-bit", "0x18FF0001 29-bit".
QString Frame_Text(uint32_t id, bool extended);
