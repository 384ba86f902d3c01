#include "config/Image_Builder.h"

#include "config/Project_Files.h"
#include "platform/Core_Text.h"
#include "platform/IntText.h"
#include "platform/Safe_File.h"
#include "platform/Plain_Xml.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <memory>
#include <type_traits>

using Int_Text::Str_To_Int_Def;

// ---- the build ----------------------------------------------------------------------------

bool Ascii_Upper_Equals(QByteArrayView text, QByteArrayView upper)
{
    if (text.size() != upper.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = char(c - ('a' - 'A'));
        if (c != upper[i]) return false;
    }
    return true;
}

namespace {

constexpr QByteArrayView Type_29_Upper("CAN 2.0B 29 BITS");
constexpr QByteArrayView Yes_Upper("Y");

[[noreturn]] void Too_Many(const QString &file, int row_index, bool mappings)
{
    const QString what =
        mappings ? Core_Text("more than %1 mapping records, receive and transmit together; "
                             "the device image holds no more")
                       .arg(Max_Map_Records)
                 : Core_Text("more than %1 frame records, receive and transmit together; "
                             "the device image holds no more")
                       .arg(Max_Frame_Records);
    throw Capacity_Error(file, row_index + 1, what, mappings);
}

}  // namespace

// The tables and image buffers are made by the first build: a caller that only reads the lists
// (Read_Lists) never pays for them.
Configuration_Image::Configuration_Image() = default;

void Configuration_Image::Compile_Bin(const Project_Paths &files)
{
    built_ = false;
    bank1_len_ = 0;
    bank2_len_ = 0;
    Init_Param();
    Clear_Frame_Table();
    Clear_Map_Table();
    Read_Par_Gen(files.ParGen);
    Read_CAN_Frames(files.CAN_Receive, files.CAN_Transmit);
    Read_Define_CAN(files.Define_CAN_Receive, files.Define_CAN_Transmit);
    Build_Bank1();
    Build_Bank2();
    built_ = true;
}

void Configuration_Image::Init_Param()
{
    // The device's own values, which stand in bank1 whenever ParGen.xml is missing.
    param_ = {};
    param_.CAN_Baud = param_.CAN_Baud_2 = 125000;
    param_.Fixed_008 = 9600;
    const uint8_t ip[4] = {192, 168, 2, 205};
    const uint8_t mask[4] = {255, 255, 255, 0};
    std::memcpy(param_.TCP_IP, ip, 4);
    std::memcpy(param_.TCP_Mask, mask, 4);
    std::memset(param_.TCP_Gateway, 255, 4);
    param_.Fixed_034 = 10000;
    param_.TCP_Port = param_.TCP_Port_2 = 10001;
    param_.Fixed_03C = 9600;
    param_.Fixed_040 = 2;
}

void Configuration_Image::Clear_Frame_Table() { frame_table_.assign(Max_Frame_Records, Frame_Entry{}); }

void Configuration_Image::Clear_Map_Table() { map_table_.assign(Max_Map_Records, Map_Entry{}); }

void Configuration_Image::Read_Par_Gen(const QString &path)
{
    const std::optional<Xml_Document> doc = Load_If_Exists(path);
    if (!doc) return;
    const Par_Gen_Fields<std::optional<QString>> s = Read_Par_Gen_Settings(*doc);
    // Each setting on its own: a missing element or a text that does not convert gives the
    // setting's fallback. Narrow fields keep the low bits.
    auto value = [](const std::optional<QString> &text, int32_t fallback) {
        return text ? Str_To_Int_Def(*text, fallback) : fallback;
    };

    param_.CAN_Baud = param_.CAN_Baud_2 = uint32_t(Baud_Code_To_Bps(value(s.CAN_BAUDRATE, Default_Baud_Code)));
    const int32_t ip_fallback[4] = {192, 168, 0, 10};
    const int32_t mask_fallback[4] = {255, 255, 255, 0};
    for (int i = 0; i < 4; ++i) {
        param_.TCP_IP[i] = uint8_t(value(s.IP[i], ip_fallback[i]));
        param_.TCP_Mask[i] = uint8_t(value(s.SM[i], mask_fallback[i]));
    }
    std::memset(param_.TCP_Gateway, 255, 4);
    if (s.EN_GAT && *s.EN_GAT == QLatin1String("1")) {
        for (int i = 0; i < 4; ++i) param_.TCP_Gateway[i] = uint8_t(value(s.GAT[i], 255));
    }
    param_.TCP_Port = param_.TCP_Port_2 = uint16_t(value(s.Port, 502));
}

void Configuration_Image::Read_Lists(const Project_Paths &files, Build_Listener &listener)
{
    built_ = false;
    bank1_len_ = 0;
    bank2_len_ = 0;
    // The listener gets each record as it is read; the tables keep none of them.
    listener_ = &listener;
    keep_records_ = false;
    try {
        Read_CAN_Frames(files.CAN_Receive, files.CAN_Transmit);
        Read_Define_CAN(files.Define_CAN_Receive, files.Define_CAN_Transmit);
    } catch (...) {
        listener_ = nullptr;
        keep_records_ = true;
        throw;
    }
    listener_ = nullptr;
    keep_records_ = true;
}

void Configuration_Image::Read_CAN_Frames(const QString &receive_path, const QString &transmit_path)
{
    param_.Num_Rx_Frame = 0;
    param_.Addr_Rx_Frame = Frame_Table_Addr;
    Read_Frame_List(receive_path, Direction::Receive, param_.Num_Rx_Frame);
    param_.Num_Tx_Frame = 0;
    param_.Addr_Tx_Frame = Frame_Table_Addr + uint32_t(Frame_Entry_Size) * param_.Num_Rx_Frame;
    Read_Frame_List(transmit_path, Direction::Transmit, param_.Num_Tx_Frame);
}

namespace {

// A converted number as the plain reader's rows give it, read like a std::optional<int32_t>.
// GCC builds an optional<int32_t> in memory in two pieces and reads it back whole, which stalls
// the processor at every value of a large file; two plain fields it keeps in registers.
struct Plain_Number {
    int32_t Value = 0;
    bool Ok = false;
    explicit operator bool() const { return Ok; }
    int32_t operator*() const { return Value; }
    int32_t value_or(int32_t fallback) const { return Ok ? Value : fallback; }
};

// A row as the plain reader gives it (see Plain_Xml.h), read like a Row_View.
class Plain_Row {
public:
    Plain_Row(const Plain_Xml::Rows &rows, const QString &file, int index) : rows_(rows), file_(file), index_(index) {}
    int Index() const { return index_; }
    // The names are the build's literals, their length known where they are written.
    template <size_t N>
    QByteArrayView Required_Utf8(const char (&name)[N]) const
    {
        const std::optional<QByteArrayView> value = rows_.Value(index_, QByteArrayView(name, N - 1), &hint_);
        if (!value) Throw_Missing_Attribute(file_, index_, QString::fromUtf8(name));
        return *value;
    }
    template <size_t N>
    Plain_Number Required_Number(const char (&name)[N]) const
    {
        Plain_Number number;
        number.Ok = Int_Text::Str_To_Int_Utf8(Required_Utf8(name), number.Value);
        return number;
    }
    template <size_t N>
    std::optional<QByteArrayView> Optional_Utf8(const char (&name)[N]) const
    {
        return rows_.Value(index_, QByteArrayView(name, N - 1), &hint_);
    }

private:
    const Plain_Xml::Rows &rows_;
    const QString &file_;
    int index_;
    mutable uint32_t hint_ = 0;
};

}  // namespace

template <class Fn>
void Configuration_Image::For_Each_List_Row(const QString &path, Fn fn)
{
    if (!Settled_File_Exists(path)) {
        if (listener_) listener_->File_Missing(path);
        return;
    }
    const QByteArray bytes = Xml_Document::Read_File(path);
    // A plain file whose root holds only elements is read in one pass without a document: its
    // rows are those a document would list, with the same values. A listener gets the
    // document's rows, so it always takes the full road.
    if (!listener_) {
        Plain_Xml::Rows &rows = plain_rows_.Rows;
        if (Plain_Xml::Scan(bytes, &rows) && !rows.Other_Children()) {
            const int count = rows.Count();
            for (int i = 0; i < count; ++i) fn(Plain_Row(rows, path, i));
            return;
        }
    }
    const Xml_Document doc = Xml_Document::Parse(bytes, path);
    For_Each_Row(doc, path, fn);
}

template <class Row>
void Configuration_Image::Take_Frame_Row(const QString &path, Direction direction, uint32_t first,
                                         uint32_t &count, const Row &row)
{
    const uint32_t index = first + count;
    if (index >= uint32_t(Max_Frame_Records)) Too_Many(path, row.Index(), false);
    Frame_Entry e;
    const auto cob = row.Required_Number("CobID");
    e.Ident = uint32_t(cob.value_or(0));
    const QByteArrayView type = row.Required_Utf8("Type");
    if (Ascii_Upper_Equals(type, Type_29_Upper)) e.Ident |= Ident_Extended;
    const auto dimension = row.Required_Number("Dimension");
    e.Dimension = uint8_t(dimension.value_or(8));
    decltype(row.Required_Number("TimeOut")) timer{};
    bool on_timer = false;
    if (direction == Direction::Receive) {
        timer = row.Required_Number("TimeOut");
        e.Time_Out = uint32_t(timer.value_or(0));
    } else {
        e.Flags = Frame_Flag_Transmit;
        if (Ascii_Upper_Equals(row.Required_Utf8("DataChange"), Yes_Upper)) e.Flags |= Frame_Flag_Data_Change;
        // The period counts only for a frame sent on a timer; otherwise it is not read at all.
        on_timer = Ascii_Upper_Equals(row.Required_Utf8("OnTimer"), Yes_Upper);
        if (on_timer) {
            timer = row.Required_Number("SendTimer");
            e.Send_Timer = uint32_t(timer.value_or(0));
        }
    }
    e.Data_Offset = uint16_t(8 * count);
    if (keep_records_) frame_table_[index] = e;
    ++count;
    if constexpr (std::is_same_v<Row, Row_View>) {
        if (listener_) listener_->Frame_Read({direction, row, e, type, cob, dimension, timer, on_timer});
    }
}

void Configuration_Image::Read_Frame_List(const QString &path, Direction direction, uint32_t &count)
{
    // Receive records come first in the table, transmit records after them.
    const uint32_t first = direction == Direction::Receive ? 0 : param_.Num_Rx_Frame;
    For_Each_List_Row(path, [&](const auto &row) { Take_Frame_Row(path, direction, first, count, row); });
}

template <class Row>
void Configuration_Image::Take_Map_Row(const QString &path, Direction direction, uint32_t num_frames,
                                       uint32_t first, uint32_t &count, const Row &row)
{
    const bool transmit = direction == Direction::Transmit;
    const auto frame = row.Required_Number("Num_Frame");
    if (!frame || *frame < 0 || uint32_t(*frame) >= num_frames) {
        if constexpr (std::is_same_v<Row, Row_View>) {
            if (listener_) listener_->Map_Read({direction, row, frame, nullptr, {}, {}, {}});
        }
        return;
    }
    const uint32_t index = first + count;
    if (index >= uint32_t(Max_Map_Records)) Too_Many(path, row.Index(), true);
    Map_Entry m;
    const auto mod_index = row.Required_Number("Mod_Index");
    m.Mod_Index = uint16_t(mod_index.value_or(100));
    m.Num_Frame = uint16_t(*frame);
    const auto hi = row.Required_Number("Byte_HiPart");
    m.Byte_HiPart = uint16_t(hi.value_or(0));
    const auto lo = row.Required_Number("Byte_LoPart");
    m.Byte_LoPart = uint16_t(lo.value_or(0));
    m.Flags = 0;
    if (transmit) {
        // A missing attribute is simply not "1".
        m.Flags = Map_Flag_Transmit;
        if (row.Optional_Utf8("Send_on_Write") == QByteArrayView("1")) m.Flags |= Map_Flag_Send_On_Write;
    }
    if (keep_records_) map_table_[index] = m;
    ++count;
    if constexpr (std::is_same_v<Row, Row_View>) {
        if (listener_) listener_->Map_Read({direction, row, frame, &m, mod_index, hi, lo});
    }
}

void Configuration_Image::Read_Define_CAN(const QString &receive_path, const QString &transmit_path)
{
    // Rows whose frame number does not name a frame of their direction are skipped; with no
    // frames in a direction its mapping file is not read at all.
    auto read = [this](const QString &path, uint32_t num_frames, uint32_t first, uint32_t &count, bool transmit) {
        if (num_frames == 0) return;
        const Direction direction = transmit ? Direction::Transmit : Direction::Receive;
        For_Each_List_Row(path, [&](const auto &row) { Take_Map_Row(path, direction, num_frames, first, count, row); });
    };

    param_.Num_Rx_Map = 0;
    param_.Addr_Rx_Map = Map_Table_Addr;
    read(receive_path, param_.Num_Rx_Frame, 0, param_.Num_Rx_Map, false);
    param_.Num_Tx_Map = 0;
    param_.Addr_Tx_Map = Map_Table_Addr + uint32_t(Map_Entry_Size) * param_.Num_Rx_Map;
    read(transmit_path, param_.Num_Tx_Frame, param_.Num_Rx_Map, param_.Num_Tx_Map, true);
}

void Configuration_Image::Build_Bank1()
{
    if (bank1_image_.isEmpty()) bank1_image_ = QByteArray(Bank1_Max_Len, '\0');
    uint8_t *out = reinterpret_cast<uint8_t *>(bank1_image_.data());
    Put_Bank1_Header(param_, out);
    Put_U32(out + Bank1_Checksum_Offset, Bank1_Checksum(out));
    const int records = int(param_.Num_Rx_Frame + param_.Num_Tx_Frame);
    for (int i = 0; i < records; ++i)
        Put_Frame_Entry(frame_table_[size_t(i)], out + Bank1_Header_Size + i * Frame_Entry_Size);
    bank1_len_ = Bank1_Header_Size + records * Frame_Entry_Size;
}

void Configuration_Image::Build_Bank2()
{
    if (bank2_image_.isEmpty()) bank2_image_ = QByteArray(Bank2_Max_Len, '\0');
    uint8_t *out = reinterpret_cast<uint8_t *>(bank2_image_.data());
    const int records = int(param_.Num_Rx_Map + param_.Num_Tx_Map);
    for (int i = 0; i < records; ++i) Put_Map_Entry(map_table_[size_t(i)], out + i * Map_Entry_Size);
    bank2_len_ = records * Map_Entry_Size;
}

void Configuration_Image::Save_Bin_Files(const Project_Paths &paths) const
{
    const QString &bank1 = paths.Bank1;
    const QString &bank2 = paths.Bank2;
    if (!built_) throw Xml_Error(bank1, 0, 0, Core_Text("no device images have been built"));

    const QString bin = QFileInfo(bank1).path();
    if (!QDir().mkpath(bin)) throw Xml_Error(bin, 0, 0, Core_Text("the folder cannot be created"));

    // The pair on disk always belongs together.
    Save_Files_Atomic({{bank1, Bank1_Image()}, {bank2, Bank2_Image()}});
}

Configuration_Image Build_Device_Images(const Project_Paths &paths)
{
    Configuration_Image image;
    try {
        image.Compile_Bin(paths);
    } catch (const Xml_Error &e) {
        throw Device_Images_Error(e, false);
    }
    try {
        image.Save_Bin_Files(paths);
    } catch (const Xml_Error &e) {
        throw Device_Images_Error(e, true);
    }
    return image;
}
