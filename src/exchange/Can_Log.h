#pragma once
// CAN traffic recorded in a file: can-utils' candump log ("candump -l", one frame a line as
// "(1436509052.249713) can0 18FF0001#1122334455667788") and Vector's ASC text (as can-utils'
// log2asc writes it, and as Vector's own tools write its classic and CAN FD lines). The format
// is told by the content, not the file name. A log is read in one pass, line by line, and each
// frame is handed on as it is read: a log of any length is read in the same memory.
#include "device/Can_Frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QIODevice;

enum class Can_Log_Format { Unknown, Candump, Asc };

// One frame of a log. Channel is the interface as the log names it ("can0" in a candump log, the
// channel number "1" in an ASC file); it holds while the sink runs only.
struct Log_Frame {
    int64_t Time_Us = 0;  // from the log's own origin (candump: the epoch; ASC: its start)
    uint32_t Id = 0;
    bool Extended = false;
    bool Remote = false;  // remote request: no data, Length the requested DLC
    uint8_t Length = 0;   // 0..8
    std::array<uint8_t, Max_Can_Data> Data{};
    QByteArrayView Channel;
};

Can_Frame To_Can_Frame(const Log_Frame &frame);

// A line that is neither a frame nor a line the format is known to hold (a header, a comment, an
// event that carries no frame).
struct Log_Bad_Line {
    qint64 Line = 0;  // from 1
    QString Reason;
    bool operator==(const Log_Bad_Line &) const = default;
};

// The bad lines kept for the listing: a file of garbage must not fill the memory with them.
constexpr int Max_Listed_Bad_Lines = 100;
// Longer lines are no frame of either format; they are not held whole.
constexpr int Max_Log_Line = 4096;

struct Can_Log_Result {
    Can_Log_Format Format = Can_Log_Format::Unknown;
    qint64 Lines = 0;
    qint64 Frames = 0;         // classic data and remote frames, handed to the sink
    qint64 Error_Frames = 0;   // the controllers' error frames
    qint64 Fd_Frames = 0;      // CAN FD frames: read, not handed on (the converter takes classic CAN)
    QList<Log_Bad_Line> Bad_Lines;  // the first Max_Listed_Bad_Lines
    qint64 Bad_Line_Count = 0;
    // Why the log could not be read at all (no such file, not a CAN log); empty when it was.
    QString Error;
};

// Reads a log frame by frame, for a caller that takes frames at its own pace (a replay). The
// format is decided by the first line that only one of the formats can hold; a log whose first
// lines are all bad is no CAN log (Result().Error says so).
class Can_Log_Reader {
public:
    explicit Can_Log_Reader(QIODevice &in);
    ~Can_Log_Reader();
    Can_Log_Reader(const Can_Log_Reader &) = delete;
    Can_Log_Reader &operator=(const Can_Log_Reader &) = delete;
    // The next frame (its Channel holds until the next call); false at the end of the log, after
    // a read error or once the log is found to be no CAN log.
    bool Next(Log_Frame &frame);
    // The counts so far; complete once Next has returned false.
    const Can_Log_Result &Result() const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

using Log_Frame_Sink = std::function<void(const Log_Frame &)>;

// Reads a whole log from in, handing each frame to sink.
Can_Log_Result Read_Can_Log(QIODevice &in, const Log_Frame_Sink &sink);
// The same for a file (a regular file only: a FIFO or device is refused, never waited on).
Can_Log_Result Read_Can_Log_File(const QString &path, const Log_Frame_Sink &sink);

// One line of a candump log, newline included: "(1436509052.249713) can0 18FF0001#1122\n".
QByteArray Candump_Log_Line(const Log_Frame &frame, QByteArrayView channel);

// "candump log", "ASC".
QString Can_Log_Format_Name(Can_Log_Format format);
