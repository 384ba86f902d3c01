#pragma once
// The converter as a pair of device images describes it, without any bus: which received frame
// fills which registers, what a Modbus read answers, which frames a write or a timer sends, and
// when a receive frame has been silent for too long. Time is a millisecond count the caller
// passes in, so that a test moves it by hand and the emulator takes it from its clock.
//
// The register model:
//  - a receive mapping is a read-only register, read by function codes 03 and 04;
//  - a transmit mapping is a holding register, read by 03 and written by 06 and 16;
//  - a register number mapped in both directions: 04 reads the receive one, 03/06/16 the
//    transmit one;
//  - register number N is Modbus data address N (counted from 0, as in the request);
//  - an address that no mapping holds, or a write to a register that is only received, answers
//    exception 02 (illegal data address) and changes nothing;
//  - a register's value is (frame byte chosen as high part) x 256 + (byte chosen as low part),
//    byte k being the frame's k-th data byte; "None", and a byte beyond the frame's Dimension,
//    count as 0.
#include "config/Image_Decoder.h"
#include "device/Can_Frame.h"

#include <QHash>
#include <QList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Modbus exception codes the model answers with.
constexpr uint8_t Modbus_Illegal_Function = 0x01;
constexpr uint8_t Modbus_Illegal_Address = 0x02;
constexpr uint8_t Modbus_Illegal_Value = 0x03;

// What a receive frame's registers do when the frame stays away longer than its Time_Out.
enum class On_Timeout { Keep, Zero };

struct Register_Mapping {
    uint16_t Register = 0;
    int Frame = 0;      // frame number within the mapping's direction
    uint8_t Hi = 0;     // data byte 1..8 for the high part, 0 none
    uint8_t Lo = 0;
    bool Send_On_Write = false;
    int Next_Same = -1;  // the next mapping of the same direction and register, or -1
};

struct Rx_Frame {
    uint32_t Ident = 0;     // as in the image: bit 31 for a 29-bit frame
    int Dimension = 0;      // the record's, 0 to 255
    uint32_t Time_Out = 0;  // ms; 0 = never stale
    std::array<uint8_t, Max_Can_Data> Data{};  // the first Dimension bytes of the last frame applied
    qint64 Last_Ms = 0;     // last frame applied, or the start
    bool Stale = false;
    QList<int> Maps;        // indices into the receive mappings
};

struct Tx_Frame {
    uint32_t Ident = 0;
    int Dimension = 0;       // the record's
    QByteArray Data;         // the buffer, min(Dimension, 8) bytes: what the frame carries
    uint32_t Send_Timer = 0; // ms; 0 = not sent on a timer
    bool Data_Change = false;
    qint64 Next_Send_Ms = 0;
};

struct Register_Value {
    uint16_t Register = 0;
    uint16_t Value = 0;
    bool operator==(const Register_Value &) const = default;
};

// One received frame applied to one receive record.
struct Frame_Applied {
    int Frame = 0;
    bool Was_Stale = false;            // it had timed out and is fresh again
    QList<Register_Value> Registers;   // every register of the frame, with its new value
};
// One received frame too short for a receive record whose identifier it carries.
struct Frame_Too_Short {
    int Frame = 0;
    int Dimension = 0;
    int Length = 0;
};
struct Frame_In_Result {
    QList<Frame_Applied> Applied;
    QList<Frame_Too_Short> Too_Short;
    bool Remote = false;  // a remote request: never applied
    bool Matched() const { return !Applied.isEmpty() || !Too_Short.isEmpty(); }
};

// Why a transmit frame is sent (any combination).
enum Send_Reason : unsigned { Send_On_Write = 1, Send_On_Change = 2, Send_On_Timer = 4 };
struct Frame_Out {
    int Frame = 0;
    Can_Frame Can;
    unsigned Reasons = 0;
};

struct Timeout_Event {
    int Frame = 0;
    uint32_t Time_Out = 0;
    QList<Register_Value> Cleared;  // On_Timeout::Zero: the registers set to 0
};

enum class Register_Table { Holding, Input };  // read by function code 03, 04
struct Read_Result {
    uint8_t Exception = 0;  // 0: Values holds one value per register asked for
    QList<uint16_t> Values;
};
struct Write_Result {
    uint8_t Exception = 0;
    QList<Frame_Out> Sent;  // in frame order, each frame once
};

class Device_Model {
public:
    // The converter loaded with a pair whose Problems are empty (the emulator refuses any
    // other pair), started at now_ms: every data buffer and register zero, every receive
    // timeout and send timer counting from now_ms.
    Device_Model(const Decoded_Images &images, qint64 now_ms);

    // A frame from the bus. It fills every receive record with its identifier and format that
    // it has at least Dimension bytes for; a shorter one is reported and changes nothing.
    Frame_In_Result Frame_In(const Can_Frame &frame, qint64 now_ms);

    // Receive records silent for Time_Out ms or more become stale (once, until a frame comes).
    QList<Timeout_Event> Check_Timeouts(qint64 now_ms, On_Timeout policy);
    // Transmit records whose Send_Timer period has come round; each is sent once however late
    // the call comes, and its next time stays on the period's grid when it can.
    QList<Frame_Out> Timer_Frames(qint64 now_ms);
    // When Check_Timeouts or Timer_Frames next has something to do; no value when never.
    std::optional<qint64> Next_Deadline() const;

    // Modbus reads and writes of registers start .. start + count - 1.
    Read_Result Read(Register_Table table, uint32_t start, uint32_t count) const;
    Write_Result Write(uint32_t start, const QList<uint16_t> &values);

    const Bank1_Header &Header() const { return header_; }
    const QList<Rx_Frame> &Rx_Frames() const { return rx_; }
    const QList<Tx_Frame> &Tx_Frames() const { return tx_; }
    const QList<Register_Mapping> &Rx_Maps() const { return rx_maps_; }
    const QList<Register_Mapping> &Tx_Maps() const { return tx_maps_; }
    // The frame a transmit record sends now.
    Can_Frame Tx_Can_Frame(int frame) const;

private:
    uint16_t Rx_Value(const Register_Mapping &m) const;
    uint16_t Tx_Value(const Register_Mapping &m) const;

    Bank1_Header header_;
    QList<Rx_Frame> rx_;
    QList<Tx_Frame> tx_;
    QList<Register_Mapping> rx_maps_;
    QList<Register_Mapping> tx_maps_;
    QList<QList<int>> tx_frame_maps_;
    QHash<uint32_t, QList<int>> rx_by_ident_;
    // Per register number: its receive value (a receive register holds what the last frame
    // applied to it gave), and the first mapping of each direction (-1: none).
    std::vector<uint16_t> rx_value_;
    std::vector<int32_t> rx_first_;
    std::vector<int32_t> tx_first_;
};
