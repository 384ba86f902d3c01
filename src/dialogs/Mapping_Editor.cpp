#include "dialogs/Mapping_Editor.h"

#include "config/Project_Files.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"

#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Selects the list item at position value, or none when the list has no such item (a byte
// number above the selected frame's dimension, or a negative one).
void Select_Choice(QComboBox *box, int32_t value)
{
    box->setCurrentIndex(value >= 0 && value < box->count() ? int(value) : -1);
}

// The byte lists carry each item's byte number; the send list is read by position.
std::optional<int32_t> Choice(const QComboBox *box)
{
    const int index = box->currentIndex();
    if (index < 0) return std::nullopt;
    const QVariant data = box->currentData();
    return data.isValid() ? data.toInt() : index;
}

int Selected_Row(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

}  // namespace

Mapping_Editor::Mapping_Editor(App_State &state, const Mapping_Direction &direction, QWidget *parent)
    : Editor_Dialog(state, parent), Editor_Imports(state, this, STR_Dbc_Import), state_(state), dir_(direction)
{
    setObjectName(dir_.Dir == Direction::Receive ? QStringLiteral("TFDefineRecCAN")
                                                 : QStringLiteral("TFDefineTransCAN"));
    Layout_Controls();
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
    list_.Load({}, 0);
}

void Mapping_Editor::Set_Lang()
{
    const App_State &s = state_;
    Set_Title_Base(s.STR(dir_.Caption));
    L_SW_Desc->setText(s.STR(dir_.SW_Desc));
    L_CAN_Frame_Desc1->setText(s.STR(dir_.Frame_Desc1));
    L_CAN_Frame_Desc2->setText(s.STR(dir_.Frame_Desc2));
    L_Mod_Reg_Desc1->setText(s.STR(dir_.Mod_Reg_Desc1));
    L_Mod_Reg_Desc2->setText(s.STR(dir_.Mod_Reg_Desc2));
    L_Mod_Ind_Desc1->setText(s.STR(dir_.Mod_Ind_Desc1));
    L_Mod_Ind_Desc2->setText(s.STR(dir_.Mod_Ind_Desc2));
    L_High_Part_Desc1->setText(s.STR(dir_.High_Part_Desc1));
    L_High_Part_Desc2->setText(s.STR(dir_.High_Part_Desc2));
    L_Low_Part_Desc1->setText(s.STR(dir_.Low_Part_Desc1));
    L_Low_Part_Desc2->setText(s.STR(dir_.Low_Part_Desc2));
    if (dir_.Has_Send_on_Write()) {
        L_Send_on_Write->setText(s.STR(dir_.Send_on_Write));
        CB_SendJ1939_OnModWrite->clear();
        CB_SendJ1939_OnModWrite->addItems({s.STR(dir_.Send_False), s.STR(dir_.Send_True)});
        CB_SendJ1939_OnModWrite->setCurrentIndex(0);
        CB_SendJ1939_OnModWrite->setAccessibleName(s.STR(dir_.Send_on_Write));
    }
    Btn_Create->setText(s.STR(dir_.Create));
    Btn_Modify->setText(s.STR(dir_.Modify));
    Btn_Delete->setText(s.STR(dir_.Delete));
    Btn_Copy->setText(s.STR(dir_.Copy));
    Btn_Paste->setText(s.STR(dir_.Paste));
    Btn_OK->setText(s.STR(dir_.OK));
    Btn_Cancel->setText(s.STR(dir_.Cancel));
    Btn_Export_Csv->setText(s.STR(STR_Csv_Export));
    Btn_Import_Csv->setText(s.STR(STR_Csv_Import));
    Btn_Import_Signals->setText(s.STR(STR_Dbc_Import));

    LB_CAN_Frames->setAccessibleName(s.STR(dir_.Frame_Desc1));
    LB_Modbus_Regs->setAccessibleName(s.STR(dir_.Mod_Reg_Desc1));
    E_Index_Modbus->setAccessibleName(s.STR(dir_.Mod_Ind_Desc2));
    CB_Byte_High_Part->setAccessibleName(s.STR(dir_.High_Part_Desc1) + u' ' + s.STR(dir_.High_Part_Desc2));
    CB_Byte_Low_Part->setAccessibleName(s.STR(dir_.Low_Part_Desc1) + u' ' + s.STR(dir_.Low_Part_Desc2));

    Fit_Texts();
    // OK and Cancel have the same letters in every editor, whatever the other controls say;
    // the other buttons come next, so that each has a letter in every language (the many
    // labels made before them would take every letter of some), the labels take what is left.
    Assign_Mnemonics(this, {Btn_OK, Btn_Cancel, Btn_Create, Btn_Modify, Btn_Delete, Btn_Copy, Btn_Paste, Btn_Export_Csv,
                            Btn_Import_Csv, Btn_Import_Signals});
}

int Mapping_Editor::exec()
{
    if (!FormShow()) return QDialog::Rejected;
    return QDialog::exec();
}

int Mapping_Editor::Other_Direction_Count(const Configuration &config) const
{
    const Mapping_Direction &other = dir_.Dir == Direction::Receive ? Transmit_Mapping : Receive_Mapping;
    int count = 0;
    try {
        for (const Editor_Frame &frame : Editor_Mapping_Frames(config, other.Dir)) count += int(frame.Registers.size());
    } catch (const Xml_Error &) {
        // That direction's own editor and the device update report its broken file; it must not
        // keep the user from editing this direction.
    }
    return count;
}

bool Mapping_Editor::FormShow()
{
    bool loaded = true;
    QList<Editor_Frame> frames;
    // The files are read afresh at every showing, each once.
    const Configuration config = Load_Configuration(state_.Files);
    try {
        frames = Editor_Mapping_Frames(config, dir_.Dir, &unplaced_);
    } catch (const Xml_Error &e) {
        Message_Box::Error(isVisible() ? this : parentWidget(), e.Text());
        frames.clear();
        loaded = false;
    }
    // The sheets name frames by their identifier and type, which only the frame list holds.
    rows_.clear();
    rows_error_.clear();
    new_notes_.clear();
    frames_added_ = false;
    if (loaded) {
        try {
            rows_ = Editor_Frame_Rows(config, dir_.Dir);
        } catch (const Xml_Error &e) {
            rows_error_ = e.Text();
        }
        if (rows_error_.isEmpty() && rows_.size() != frames.size())
            rows_error_ = QDir::toNativeSeparators(state_.Files.Frame_File(dir_.Dir));
    }
    // Rows that name no frame cannot be shown, and OK writes what is shown: say so now, not
    // after they are gone.
    if (loaded && unplaced_ > 0)
        Message_Box::Warning(isVisible() ? this : parentWidget(), state_.STR(STR_Unplaced_Mappings).arg(unplaced_));
    // The frame list's type and mnemonic, for the labelled lines.
    frame_labels_.clear();
    if (loaded)
        for (const Stored_Frame &f : config.Part(dir_.Dir).Frames)
            frame_labels_.append({f.Type && Device_Reads_29_Bit(*f.Type), f.Mnemonic.value_or(QString())});
    list_.Load(std::move(frames), loaded ? Other_Direction_Count(config) : 0);
    Refresh_Frame_List();
    Refresh_Register_List();
    Refresh_Marked_Fields();
    Refresh_Byte_Lists();
    // Each showing starts where the user starts: choosing a frame.
    LB_CAN_Frames->setFocus(Qt::OtherFocusReason);
    return loaded;
}

int Mapping_Editor::Selected_Frame() const
{
    const int row = Selected_Row(LB_CAN_Frames);
    return list_.Is_Frame(row) ? row : -1;
}

int Mapping_Editor::Selected_Register() const
{
    const int frame = Selected_Frame();
    const int row = Selected_Row(LB_Modbus_Regs);
    return list_.Is_Register(frame, row) ? row : -1;
}

void Mapping_Editor::Refresh_Frame_List()
{
    const QSignalBlocker blocker(LB_CAN_Frames);
    LB_CAN_Frames->clear();
    QStringList lines;
    lines.reserve(list_.Frames.size());
    for (qsizetype i = 0; i < list_.Frames.size(); ++i) {
        const Frame_Label &label = i < frame_labels_.size() ? frame_labels_[i] : Frame_Label{};
        lines.append(Frame_Line(list_.Frames[i], label.Extended, label.Mnemonic, state_.Lang_Table));
    }
    LB_CAN_Frames->addItems(lines);
}

void Mapping_Editor::Refresh_Register_List()
{
    const QSignalBlocker blocker(LB_Modbus_Regs);
    LB_Modbus_Regs->clear();
    const int frame = Selected_Frame();
    if (frame < 0) return;
    const QString &none = state_.STR(dir_.None);
    const QString &byte = state_.STR(dir_.Byte);
    const int offered = Offered_Bytes(list_.Frames[frame]);
    const QString &beyond = state_.STR(STR_Byte_Beyond_Frame);
    QStringList lines;
    for (const Editor_Register &reg : list_.Frames[frame].Registers)
        lines.append(dir_.Has_Send_on_Write()
                         ? Mod_Reg_Line(reg, none, byte, offered, beyond, state_.STR(STR_Send_On_Write_Mark))
                         : Mod_Reg_Line(reg, none, byte, offered, beyond));
    LB_Modbus_Regs->addItems(lines);
}

void Mapping_Editor::Refresh_Marked_Fields()
{
    const int frame = Selected_Frame();
    const int reg = Selected_Register();
    if (reg >= 0) {
        const Editor_Register &r = list_.Frames[frame].Registers[reg];
        E_Index_Modbus->setText(r.Ind_Mod);
        Show_Byte_Choice(CB_Byte_High_Part, r.HiPart);
        Show_Byte_Choice(CB_Byte_Low_Part, r.LoPart);
        if (dir_.Has_Send_on_Write()) Select_Choice(CB_SendJ1939_OnModWrite, r.Write);
    } else {
        E_Index_Modbus->clear();
        Show_Byte_Choice(CB_Byte_High_Part, 0);
        Show_Byte_Choice(CB_Byte_Low_Part, 0);
    }
}

void Mapping_Editor::Refresh_Byte_Lists()
{
    const QString &none = state_.STR(dir_.None);
    const QString &byte = state_.STR(dir_.Byte);
    for (QComboBox *box : {CB_Byte_High_Part, CB_Byte_Low_Part}) {
        box->clear();
        for (int k = 0; k <= Offered_Selected(); ++k) box->addItem(Byte_Text(k, none, byte), k);
        box->setCurrentIndex(0);
    }
    if (dir_.Has_Send_on_Write()) CB_SendJ1939_OnModWrite->setCurrentIndex(0);
}

int Mapping_Editor::Offered_Selected() const
{
    const int frame = Selected_Frame();
    return frame >= 0 ? Offered_Bytes(list_.Frames[frame]) : 0;
}

void Mapping_Editor::Show_Byte_Choice(QComboBox *box, int32_t value)
{
    // A byte the frame does not offer (pasted from a longer frame, or the frame shortened
    // after mapping) gets an item of its own, marked as such: it is seen, and Create or Modify
    // keeps it instead of turning it into "None".
    const int offered = Offered_Selected();
    while (box->count() > offered + 1) box->removeItem(box->count() - 1);
    if (value <= offered) {
        Select_Choice(box, value);
        return;
    }
    box->addItem(Byte_Text(value, state_.STR(dir_.None), state_.STR(dir_.Byte), offered,
                           state_.STR(STR_Byte_Beyond_Frame)),
                 value);
    box->setCurrentIndex(box->count() - 1);
}

void Mapping_Editor::LB_CAN_FramesClick()
{
    Refresh_Register_List();
    Refresh_Marked_Fields();
    Refresh_Byte_Lists();
}

void Mapping_Editor::LB_Modbus_RegsClick() { Refresh_Marked_Fields(); }

void Mapping_Editor::Btn_Click(QAbstractButton *Sender)
{
    if (Sender == Btn_Create)
        Add_Mod_Reg();
    else if (Sender == Btn_Delete)
        Delete_Mod_Reg();
    else if (Sender == Btn_Modify)
        Modify_Mod_Reg();
    else if (Sender == Btn_Copy)
        Copy_Mod_Reg();
    else if (Sender == Btn_Paste)
        Paste_Mod_Reg();
}

Mod_Reg_Entry Mapping_Editor::Entry() const
{
    Mod_Reg_Entry entry;
    entry.Ind_Mod = E_Index_Modbus->text();
    entry.HiPart = Choice(CB_Byte_High_Part);
    entry.LoPart = Choice(CB_Byte_Low_Part);
    if (dir_.Has_Send_on_Write()) entry.Write = Choice(CB_SendJ1939_OnModWrite);
    return entry;
}

void Mapping_Editor::Show_Result(Mapping_Result result, const Mod_Reg_Entry &entry, int frame, int reg)
{
    switch (result) {
    case Mapping_Result::Done:
        Refresh_Register_List();
        break;
    case Mapping_Result::No_Selection:
        break;
    case Mapping_Result::Index_Out_Of_Range:
        Message_Box::Error(this, state_.STR(dir_.Error_Range));
        break;
    case Mapping_Result::Index_In_Use: {
        // Name the register's owner, so the user finds it without searching every frame.
        QString text = state_.STR(dir_.Error_In_Use);
        const std::optional<int32_t> value = Mod_Index_Value(entry.Ind_Mod);
        if (const std::optional<Mod_Reg_Place> holder = value ? list_.Mod_Reg_in_Use(*value, frame, reg)
                                                              : std::nullopt)
            text += u'\n' + state_.STR(STR_Index_Used_By_Frame)
                                .arg(*value)
                                .arg(list_.Frames[holder->Frame].CobID);
        Message_Box::Error(this, text);
        break;
    }
    case Mapping_Result::Image_Full:
        Message_Box::Error(this, state_.STR(STR_Registers_Full).arg(Max_Map_Records) + u'\n' +
                                     state_.STR(STR_Registers_Full_Counts)
                                         .arg(list_.Register_Count())
                                         .arg(list_.Other_Direction_Count));
        break;
    }
}

void Mapping_Editor::Add_Mod_Reg()
{
    const Mod_Reg_Entry entry = Entry();
    Show_Result(list_.Add_Mod_Reg(Selected_Frame(), entry), entry);
}

void Mapping_Editor::Modify_Mod_Reg()
{
    const Mod_Reg_Entry entry = Entry();
    const int frame = Selected_Frame();
    const int reg = Selected_Register();
    Show_Result(list_.Modify_Mod_Reg(frame, reg, entry), entry, frame, reg);
}

void Mapping_Editor::Delete_Mod_Reg()
{
    Show_Result(list_.Delete_Mod_Reg(Selected_Frame(), Selected_Register()));
}

void Mapping_Editor::Copy_Mod_Reg()
{
    // Copying changes nothing on screen.
    list_.Copy_Mod_Reg(Selected_Frame(), Selected_Register());
}

void Mapping_Editor::Paste_Mod_Reg()
{
    const Mod_Reg_Entry entry = list_.Paste_Mod_Reg();
    E_Index_Modbus->setText(entry.Ind_Mod);
    Show_Byte_Choice(CB_Byte_High_Part, entry.HiPart.value_or(0));
    Show_Byte_Choice(CB_Byte_Low_Part, entry.LoPart.value_or(0));
    if (dir_.Has_Send_on_Write()) Select_Choice(CB_SendJ1939_OnModWrite, entry.Write.value_or(0));
}

void Mapping_Editor::Btn_OKClick()
{
    const QString &map_path = state_.Files.Map_File(dir_.Dir);
    if (list_.Frames.isEmpty()) {
        // Without frames there is nothing to save; an existing mapping file goes only when the
        // user says so, and one that cannot be read is left alone.
        int rows = 0;
        try {
            rows = Count_Map_File_Rows(map_path);
        } catch (const Xml_Error &) {
            accept();
            return;
        }
        if (rows > 0 && !Message_Box::Ask(this, state_.STR(STR_Wipe_Mappings_Question).arg(rows))) return;
    }
    try {
        // The frames a database import added join the frame list, and the notes of imported
        // registers those of the file beside the configuration: the files change together or
        // not at all.
        QList<std::pair<QString, QByteArray>> files;
        if (frames_added_) {
            const QString &frame_path = state_.Files.Frame_File(dir_.Dir);
            files.append({frame_path, Frame_File_Bytes(dir_.Dir, rows_, frame_path)});
        }
        files.append({map_path, Map_File_Bytes(dir_.Dir, list_.Frames, map_path)});
        if (!new_notes_.isEmpty()) {
            const QString notes_path = state_.Files.Signal_Notes;
            const QList<Signal_Note> notes = Merge_Signal_Notes(Read_Signal_Notes_To_Rewrite(notes_path), new_notes_);
            files.append({notes_path, Signal_Notes_Bytes(notes)});
        }
        Save_Files_Atomic(files);
        new_notes_.clear();
        frames_added_ = false;
    } catch (const Xml_Error &e) {
        // Nothing is lost: the dialog stays open with the user's mappings.
        Message_Box::Error(this, e.Text());
        return;
    }
    accept();
}

bool Mapping_Editor::eventFilter(QObject *watched, QEvent *event)
{
    // The frame list selects its current frame when it takes the focus (from the keyboard or at
    // the opening), so that the frame's registers are shown at once and the arrows move on from
    // it; a click selects the frame it lands on by itself.
    if (watched == LB_CAN_Frames && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason && LB_CAN_Frames->count() > 0) {
        const int row = std::max(LB_CAN_Frames->currentRow(), 0);
        if (!LB_CAN_Frames->item(row)->isSelected()) LB_CAN_Frames->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
    return Editor_Dialog::eventFilter(watched, event);
}

void Mapping_Editor::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button and nothing else: in the index field or a list it would
    // otherwise reach a default button, and OK would save and close.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget())) button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
