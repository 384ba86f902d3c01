#include "config/Config_Check.h"

#include "config/Byte_Overlap.h"
#include "config/CobID_Reading.h"
#include "config/Device_Records.h"
#include "config/Project_Files.h"
#include "platform/Core_Text.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <numeric>
#include <vector>

QString Severity_Name(Check_Severity severity)
{
    switch (severity) {
    case Check_Severity::Error: return QStringLiteral("error");
    case Check_Severity::Warning: return QStringLiteral("warning");
    case Check_Severity::Info: return QStringLiteral("info");
    }
    return QStringLiteral("error");
}

Check_Summary Summarize(const QList<Check_Finding> &findings)
{
    Check_Summary s;
    for (const Check_Finding &f : findings) {
        switch (f.Severity) {
        case Check_Severity::Error: ++s.Errors; break;
        case Check_Severity::Warning: ++s.Warnings; break;
        case Check_Severity::Info: ++s.Infos; break;
        }
    }
    return s;
}

namespace {

constexpr int32_t Max_CobID_11 = 0x7FF;
constexpr int32_t Max_CobID_29 = 0x1FFFFFFF;

// The builder's own fallbacks, named in the messages (see Configuration_Image::Read_CAN_Frames
// and Read_Define_CAN).
constexpr int32_t Fallback_Mod_Index = 100;

QString Hex(uint32_t value) { return QStringLiteral("0x") + QString::number(value, 16).toUpper(); }

int Index_Of(Direction d) { return d == Direction::Receive ? 0 : 1; }

// What the check keeps of one frame while the mapping rows come in.
struct Frame_Info {
    uint32_t Ident = 0;
    uint32_t Time_Out = 0;
    uint8_t Dimension = 0;
    uint8_t Flags = 0;
    bool On_Timer = false;
    int Mappings = 0;
    bool Sent_On_Write = false;
};

// The identifiers of one direction's frames and the row where each came first. The build stops
// beyond Max_Frame_Records frames, so an open table of twice that many slots never fills and
// needs no allocation at all.
class Ident_Rows {
public:
    // The row of an earlier frame with this identifier, or 0 after recording row (never 0) for it.
    int Insert(uint32_t ident, int row)
    {
        // Identifiers often differ in a few bits only (0x181, 0x281, 0x18FF0001 + n): mix them
        // all into the slot number.
        uint32_t h = ident;
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
        for (size_t i = h & (Slots - 1);; i = (i + 1) & (Slots - 1)) {
            Slot &slot = slots_[i];
            if (slot.Row == 0) {
                slot = {ident, row};
                return 0;
            }
            if (slot.Ident == ident) return slot.Row;
        }
    }

private:
    static constexpr size_t Slots = std::bit_ceil(size_t(2 * Max_Frame_Records));
    struct Slot {
        uint32_t Ident = 0;
        int Row = 0;  // 0: free
    };
    std::array<Slot, Slots> slots_{};
};

// The register numbers of one direction and the row where each came first: one bit per possible
// number says whether it was seen (8 KB to clear), and the row is kept in a table over all
// numbers that is read only where the bit is set, so it needs no clearing. Cheaper than hashing
// four thousand numbers.
class Register_Rows {
public:
    // The row of an earlier mapping of this register, or 0 after recording row for it.
    int Insert(uint16_t reg, int row)
    {
        uint64_t &word = seen_[reg >> 6];
        const uint64_t bit = uint64_t(1) << (reg & 63);
        if (word & bit) return rows_[reg];
        word |= bit;
        rows_[reg] = row;
        return 0;
    }
    void Clear() { seen_.fill(0); }

private:
    std::array<uint64_t, (Max_Mod_Index + 1) / 64> seen_{};
    std::unique_ptr<int[]> rows_{new int[size_t(Max_Mod_Index) + 1]};
};

class Checker {
public:
    explicit Checker(const Configuration &config) : config_(config), paths_(config.Paths)
    {
        frames_[0].reserve(Max_Frame_Entries);
        frames_[1].reserve(Max_Frame_Entries);
        for (Direction d : {Direction::Receive, Direction::Transmit}) {
            frame_name_[Index_Of(d)] = QFileInfo(paths_.Frame_File(d)).fileName();
            map_name_[Index_Of(d)] = QFileInfo(paths_.Map_File(d)).fileName();
        }
    }

    Checked_Configuration Run()
    {
        Checked_Configuration out;
        Device_Configuration &device = out.Device;
        // The settings as the device reads them.
        bool settings_read = false;
        if (config_.Settings_File.Failed()) {
            Add_Error(*config_.Settings_File.Error);
        } else {
            if (config_.Settings_File.Missing()) Settings_Not_Stored();
            Read_Device_Settings(config_, device);
            settings_read = true;
        }
        // The lists as the device reads them: every record read before a fault is judged, as is
        // every file the reading looked for and did not find.
        bool lists_read = false;
        try {
            Read_Device_Lists(config_, device);
            lists_read = true;
        } catch (const Xml_Error &e) {
            Add_Error(e);
        }
        Files_Missing(device.Reached);
        for (Direction d : {Direction::Receive, Direction::Transmit})
            for (const Device_Frame &f : device.Frames_Of(d)) Frame_Read(d, f);
        for (Direction d : {Direction::Receive, Direction::Transmit})
            for (const Device_Mapping &m : device.Mappings_Of(d)) Map_Read(d, m);
        if (lists_read) Whole_Configuration();
        Sort();
        out.Findings = std::move(findings_);
        out.Complete = settings_read && lists_read;
        return out;
    }

    // The missing list files the device's reading looked for, up to the step it reached.
    void Files_Missing(Device_Step reached)
    {
        const std::pair<Device_Step, const Stored_File *> steps[] = {
            {Device_Step::Receive_Frames, &config_.Receive.Frame_File},
            {Device_Step::Transmit_Frames, &config_.Transmit.Frame_File},
            {Device_Step::Receive_Mappings, &config_.Receive.Map_File},
            {Device_Step::Transmit_Mappings, &config_.Transmit.Map_File}};
        const QString *paths[] = {&paths_.CAN_Receive, &paths_.CAN_Transmit, &paths_.Define_CAN_Receive,
                                  &paths_.Define_CAN_Transmit};
        for (int i = 0; i < 4; ++i)
            if (steps[i].first <= reached && steps[i].second->Missing()) File_Missing(*paths[i]);
    }

    void Frame_Read(Direction dir, const Device_Frame &r)
    {
        const int d = Index_Of(dir);
        const QString &file = paths_.Frame_File(dir);
        const int row = r.Source->Row + 1;
        const Frame_Entry &e = r.Entry;
        const bool extended = e.Ident & Ident_Extended;

        if (!r.CobID) {
            Not_A_Number(file, row, r.Source->CobID, "CobID", Core_Text("identifier 0"));
        } else if (*r.CobID < 0 || *r.CobID > (extended ? Max_CobID_29 : Max_CobID_11)) {
            Warn(file, row, QStringLiteral("identifier-out-of-range"),
                 (extended ? Core_Text("Cob-ID %1 lies outside the range of a 29-bit frame (0 to %2)")
                           : Core_Text("Cob-ID %1 lies outside the range of an 11-bit frame (0 to %2)"))
                     .arg(Text_Of(r.Source->CobID), Hex(uint32_t(extended ? Max_CobID_29 : Max_CobID_11))));
        }
        if (!extended && !Device_Text_Equals(*r.Source->Type, QLatin1StringView("CAN 2.0A 11 BITS")))
            Warn(file, row, QStringLiteral("unknown-frame-type"),
                 Core_Text("Type \"%1\" is neither \"%2\" nor \"%3\"; the device gets an 11-bit frame")
                     .arg(Text_Of(r.Source->Type), Frame_Type_11, Frame_Type_29));
        if (const std::optional<uint32_t> hex = Other_Reading_Of_Plain_Digits(Text_Of(r.Source->CobID), extended);
            hex && r.CobID && *r.CobID <= (extended ? Max_CobID_29 : Max_CobID_11)) {
            // CAN tools, bus logs and can-send write identifiers in hexadecimal without a
            // prefix; the same digits here are decimal to the device.
            Warn(file, row, QStringLiteral("identifier-typed-decimal"),
                 Core_Text("Cob-ID %1 is a decimal number to the device, which gets %2; CAN tools read the same "
                           "digits as %3. Write %2 or %3 to say which is meant")
                     .arg(Text_Of(r.Source->CobID), Identifier_Text(uint32_t(*r.CobID), extended),
                          Identifier_Text(*hex, extended)));
        }

        if (!r.Dimension) {
            Not_A_Number(file, row, r.Source->Dimension, "Dimension", QStringLiteral("8"));
        } else if (*r.Dimension < 1 || *r.Dimension > Max_Data_Bytes) {
            Warn(file, row, QStringLiteral("dimension-out-of-range"),
                 Core_Text("Dimension %1 lies outside 1 to %2; the device gets %3")
                     .arg(*r.Dimension)
                     .arg(Max_Data_Bytes)
                     .arg(e.Dimension));
        }

        if (const int first = idents_[d].Insert(e.Ident, row))
            Warn(file, row, QStringLiteral("duplicate-frame"),
                 Core_Text("the same identifier %1 (%2) as row %3; the device cannot tell the two frames apart")
                     .arg(Hex(e.Ident & ~Ident_Extended), extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"))
                     .arg(first));

        if (dir == Direction::Receive) {
            if (!r.Timer) Not_A_Number(file, row, r.Source->TimeOut, "TimeOut", QStringLiteral("0"));
        } else if (r.On_Timer) {
            if (!r.Timer) Not_A_Number(file, row, r.Source->SendTimer, "SendTimer", QStringLiteral("0"));
            if (e.Send_Timer == 0)
                Warn(file, row, QStringLiteral("send-timer-zero"),
                     Core_Text("the frame is sent on the timer, but Send Timer is 0 ms"));
        }

        frames_[d].push_back({e.Ident, e.Time_Out, e.Dimension, e.Flags, r.On_Timer, 0, false});
    }

    void Map_Read(Direction dir, const Device_Mapping &r)
    {
        const int d = Index_Of(dir);
        const QString &file = paths_.Map_File(dir);
        const int row = r.Source->Row + 1;
        const std::vector<Frame_Info> &frames = frames_[d];
        if (!r.Placed) {
            QString why;
            if (!r.Num_Frame)
                why = Core_Text("Num_Frame \"%1\" is not a number").arg(Text_Of(r.Source->Num_Frame));
            else if (*r.Num_Frame < 0)
                why = Core_Text("Num_Frame %1 is negative").arg(*r.Num_Frame);
            else
                why = Core_Text("Num_Frame %1 names no frame: %2 holds %3 (Num_Frame 0 to %4)")
                          .arg(QString::number(*r.Num_Frame), frame_name_[d], Frames_Text(int(frames.size())),
                               QString::number(int(frames.size()) - 1));
            Warn(file, row, QStringLiteral("unplaced-mapping"), Core_Text("%1; the build leaves the mapping out").arg(why));
            return;
        }

        const Map_Entry &m = r.Entry;
        if (dir == Direction::Transmit)
            transmit_writes_.append({int(m.Num_Frame), m.Byte_HiPart, m.Byte_LoPart, row, m.Mod_Index});
        Frame_Info &frame = frames_[d][m.Num_Frame];
        ++frame.Mappings;
        if (m.Flags & Map_Flag_Send_On_Write) frame.Sent_On_Write = true;

        if (!r.Mod_Index) {
            Not_A_Number(file, row, r.Source->Mod_Index, "Mod_Index", QString::number(Fallback_Mod_Index));
        } else if (*r.Mod_Index < 0 || *r.Mod_Index > Max_Mod_Index) {
            Warn(file, row, QStringLiteral("register-out-of-range"),
                 Core_Text("Mod_Index %1 lies outside 0 to %2; the device gets register %3")
                     .arg(*r.Mod_Index)
                     .arg(Max_Mod_Index)
                     .arg(m.Mod_Index));
        }
        Register_Seen(dir, file, row, m.Mod_Index);

        if (!r.Byte_HiPart) Not_A_Number(file, row, r.Source->Byte_HiPart, "Byte_HiPart", Core_Text("0 (None)"));
        if (!r.Byte_LoPart) Not_A_Number(file, row, r.Source->Byte_LoPart, "Byte_LoPart", Core_Text("0 (None)"));
        if (m.Byte_HiPart == 0 && m.Byte_LoPart == 0) {
            Warn(file, row, QStringLiteral("mapping-without-bytes"),
                 Core_Text("both byte parts are None: register %1 takes nothing from frame %2")
                     .arg(m.Mod_Index)
                     .arg(m.Num_Frame));
        }
        // A frame that claims more than 8 bytes still carries only 8 on the bus.
        const int bytes = std::min<int>(frame.Dimension, Max_Data_Bytes);
        for (const auto &[name, part] : {std::pair{"Byte_HiPart", m.Byte_HiPart}, std::pair{"Byte_LoPart", m.Byte_LoPart}}) {
            if (part != 0 && part > bytes)
                Warn(file, row, QStringLiteral("byte-beyond-dimension"),
                     Core_Text("%1 %2 lies beyond the %3 data byte(s) of frame %4 (%5 row %6)")
                         .arg(QLatin1String(name))
                         .arg(part)
                         .arg(bytes)
                         .arg(m.Num_Frame)
                         .arg(frame_name_[d])
                         .arg(m.Num_Frame + 1));
        }
    }

private:
    static QString Text_Of(const Stored_Text &text) { return text.value_or(QString()); }


    // The reason of an error with its place in the file, when it has one.
    static QString Placed_Reason(const Xml_Error &e)
    {
        return e.Line > 0 ? Xml_Position_Text(e.Line, e.Column) + QStringLiteral(": ") + e.Reason : e.Reason;
    }

    static QString Frames_Text(int n)
    {
        return n == 1 ? Core_Text("1 frame") : Core_Text("%1 frames").arg(n);
    }

    void Add(Check_Severity severity, const QString &file, int row, const QString &code, const QString &message)
    {
        findings_.append({severity, file, row, code, message});
    }
    void Warn(const QString &file, int row, const QString &code, const QString &message)
    {
        Add(Check_Severity::Warning, file, row, code, message);
    }

    void Not_A_Number(const QString &file, int row, const Stored_Text &text, const char *name, const QString &gets)
    {
        Warn(file, row, QStringLiteral("not-a-number"),
             Core_Text("%1 \"%2\" is not a number; the device gets %3")
                 .arg(QLatin1String(name), Text_Of(text), gets));
    }

    void Add_Error(const Xml_Error &e)
    {
        if (const auto *c = dynamic_cast<const Capacity_Error *>(&e)) {
            Add(Check_Severity::Error, e.File, c->Row,
                c->Mappings ? QStringLiteral("too-many-mappings") : QStringLiteral("too-many-frames"), c->What);
        } else if (const auto *r = dynamic_cast<const Row_Error *>(&e)) {
            Add(Check_Severity::Error, e.File, r->Row, QStringLiteral("missing-attribute"), r->What);
        } else if (e.Line > 0) {
            Add(Check_Severity::Error, e.File, 0, QStringLiteral("malformed-file"), Placed_Reason(e));
        } else {
            Add(Check_Severity::Error, e.File, 0, QStringLiteral("unreadable-file"), e.Reason);
        }
    }

    // Without ParGen.xml the build gives the device its own settings, not what the settings
    // dialog shows before it is confirmed; a wrong bit rate disturbs the whole bus, so this is a
    // warning the check window shows before the images are built.
    void Settings_Not_Stored()
    {
        const Bank1_Header d = Device_Default_Settings();
        auto address = [](const uint8_t (&octets)[4]) {
            return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
        };
        Warn(paths_.ParGen, 0, QStringLiteral("settings-not-stored"),
             Core_Text("the settings are not stored, so the device gets its own: CAN %1 bit/s, IP address %2, "
                       "subnet mask %3, Modbus TCP port %4. To choose others, open Set Communication and "
                       "confirm with OK")
                 .arg(QString::number(d.CAN_Baud), address(d.TCP_IP), address(d.TCP_Mask), QString::number(d.TCP_Port)));
    }

    // Info findings are listed by the command-line check alone (the check window shows the
    // warnings), so their words stay English like the rest of its output.
    void File_Missing(const QString &path)
    {
        QString what;
        if (path == paths_.CAN_Receive) what = QStringLiteral("there are no receive frames");
        else if (path == paths_.CAN_Transmit) what = QStringLiteral("there are no transmit frames");
        else if (path == paths_.Define_CAN_Receive) what = QStringLiteral("no registers are mapped to receive frames");
        else what = QStringLiteral("no registers are mapped to transmit frames");
        Add(Check_Severity::Info, path, 0, QStringLiteral("missing-file"), QStringLiteral("the file is missing; %1").arg(what));
    }

    // Register numbers of one direction, compared by the value the device gets. The receive
    // mappings come first, then the transmit ones, which start from an empty set.
    void Register_Seen(Direction dir, const QString &file, int row, uint16_t reg)
    {
        if (dir != register_dir_) {
            registers_.Clear();
            register_dir_ = dir;
        }
        if (const int first = registers_.Insert(reg, row))
            Warn(file, row, QStringLiteral("duplicate-register"),
                 Core_Text("register %1 is mapped already in row %2; a Modbus access reaches only one of them")
                     .arg(reg)
                     .arg(first));
    }

    // Findings that need every frame and mapping.
    void Whole_Configuration()
    {
        for (Direction dir : {Direction::Receive, Direction::Transmit}) {
            const int d = Index_Of(dir);
            if (frames_[d].empty()) Unread_Map_File(dir);
        }

        const std::vector<Frame_Info> &rx = frames_[0];
        const auto timed = std::count_if(rx.begin(), rx.end(), [](const Frame_Info &f) { return f.Time_Out != 0; });
        if (timed > 0) {
            for (size_t i = 0; i < rx.size(); ++i)
                if (rx[i].Time_Out == 0)
                    Warn(paths_.CAN_Receive, int(i) + 1, QStringLiteral("receive-without-timeout"),
                         Core_Text("TimeOut is 0, so the device never notices this frame missing, while %1 "
                                   "other receive frame(s) have a timeout")
                             .arg(timed));
        }

        // A database import can make a thousand of these: the words are looked up once and
        // filled in one pass.
        const QList<Byte_Overlap> overlaps = Find_Byte_Overlaps(transmit_writes_);
        if (!overlaps.isEmpty()) {
            const QString code = QStringLiteral("transmit-byte-overlap");
            const QString words = Core_Text("register %1 writes byte %2 of frame %3, as register %4 of row %5 does; a "
                                            "Modbus write of either changes what the other put there");
            for (const Byte_Overlap &o : overlaps)
                Warn(paths_.Define_CAN_Transmit, o.Row, code,
                     words.arg(QString::number(o.Register), QString::number(o.Byte), QString::number(o.Frame),
                               QString::number(o.First_Register), QString::number(o.First_Row)));
        }

        const std::vector<Frame_Info> &tx = frames_[1];
        for (size_t i = 0; i < tx.size(); ++i) {
            const Frame_Info &f = tx[i];
            if (!(f.Flags & Frame_Flag_Data_Change) && !f.On_Timer && !f.Sent_On_Write)
                Warn(paths_.CAN_Transmit, int(i) + 1, QStringLiteral("transmit-never-sent"),
                     Core_Text("the frame is never sent: neither Data Change nor On Timer is set, and no "
                               "register of %1 sends it on a Modbus write")
                         .arg(map_name_[1]));
        }

        for (Direction dir : {Direction::Receive, Direction::Transmit}) {
            const std::vector<Frame_Info> &frames = frames_[Index_Of(dir)];
            for (size_t i = 0; i < frames.size(); ++i)
                if (frames[i].Mappings == 0)
                    Add(Check_Severity::Info, paths_.Frame_File(dir), int(i) + 1, QStringLiteral("frame-without-mapping"),
                        QStringLiteral("no register of %1 is mapped to this frame (Num_Frame %2)")
                            .arg(map_name_[Index_Of(dir)])
                            .arg(i));
        }
    }

    // With no frames in a direction the build does not read its mapping file at all; whatever the
    // file maps goes nowhere.
    void Unread_Map_File(Direction dir)
    {
        const QString &path = paths_.Map_File(dir);
        const QString why = dir == Direction::Receive
                                ? Core_Text("there are no receive frames, so the build does not read this file")
                                : Core_Text("there are no transmit frames, so the build does not read this file");
        // The configuration did not read it either; the check looks at it for this finding alone.
        Stored_Direction unread;
        Load_Mapping_File(path, unread);
        if (unread.Map_File.Missing()) {
            File_Missing(path);
        } else if (unread.Map_File.Failed()) {
            Warn(path, 0, QStringLiteral("unplaced-mapping"),
                 Core_Text("%1 (nor could it: %2)").arg(why, Placed_Reason(*unread.Map_File.Error)));
        } else {
            for (int row = 1; row <= unread.Mapping_Rows; ++row)
                Warn(path, row, QStringLiteral("unplaced-mapping"), Core_Text("%1 and leaves the mapping out").arg(why));
        }
    }

    // File order first (settings, frame lists, mapping files), then rows; findings of one row
    // keep the order they were made in.
    void Sort()
    {
        const QString *order[] = {&paths_.ParGen, &paths_.CAN_Receive, &paths_.CAN_Transmit, &paths_.Define_CAN_Receive,
                                  &paths_.Define_CAN_Transmit};
        std::vector<std::pair<int, int>> keys;
        keys.reserve(size_t(findings_.size()));
        for (const Check_Finding &f : findings_) {
            const auto at = std::find_if(std::begin(order), std::end(order), [&](const QString *p) { return *p == f.File; });
            keys.emplace_back(int(at - std::begin(order)), f.Row);
        }
        std::vector<int> index(keys.size());
        std::iota(index.begin(), index.end(), 0);
        std::stable_sort(index.begin(), index.end(), [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
        QList<Check_Finding> sorted;
        sorted.reserve(findings_.size());
        for (int i : index) sorted.append(std::move(findings_[i]));
        findings_ = std::move(sorted);
    }

    const Configuration &config_;
    const Project_Paths &paths_;
    QString frame_name_[2];
    QString map_name_[2];
    QList<Check_Finding> findings_;
    std::vector<Frame_Info> frames_[2];
    Ident_Rows idents_[2];
    Register_Rows registers_;
    QList<Byte_Write> transmit_writes_;
    Direction register_dir_ = Direction::Receive;
};

}  // namespace

Checked_Configuration Check_And_Read(const Configuration &config) { return Checker(config).Run(); }

QList<Check_Finding> Check_Configuration(const Configuration &config) { return Check_And_Read(config).Findings; }

QList<Check_Finding> Check_Configuration(const Project_Paths &paths)
{
    return Check_Configuration(Load_Configuration(paths));
}
