#include "dialogs/Mapping_Editor.h"

#include "widgets/Storable_Edit.h"
#include "dialogs/Dbc_Chooser.h"
#include "exchange/Dbc_Import.h"
#include "widgets/Dialog_Panels.h"
#include "config/Project_Files.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Tab_Stop_Delegate.h"
#include "widgets/Language_Change.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <initializer_list>


namespace {

constexpr int Client_W = 629;
constexpr int Client_H = 496;

// Three columns: frames, their registers, and the entry fields where a register is composed.
// These are the sizes the English texts get; longer texts widen their column (Fit_Texts).
constexpr int Frames_X = 16;
constexpr int Frames_W = 172;
constexpr int Regs_X = 198;
constexpr int Regs_W = 194;
constexpr int Entry_X = 404;
constexpr int Entry_W = 209;
constexpr int Title_H = 60;
constexpr int Desc1_Y = 74;
constexpr int Desc2_Y = 90;
constexpr int List_Y = 110;
constexpr int List_H = 292;
constexpr int Label_H = 16;
constexpr int Field_H = 24;
constexpr int List_Buttons_Y = 412;
constexpr int Button_H = 28;
constexpr int Panel_Y = 450;
constexpr int List_Button_Gap = 8;
// How far a label may reach past its column into the gap after it before the column widens:
// a text that needs a pixel more than drawn leaves the layout alone, a longer one does not
// stick out beside the fields.
constexpr int Label_Overhang = 4;
// Where the transmit register lines show the send choice: after the widest usual line
// ("65535; Byte 8; Byte 8;"), in dialog units as the frame list's column.
constexpr int Send_Column_DLU = 75;

// The width a label needs to show its whole text on one line.
int Needed_Width(const QLabel *label)
{
    const int margins = label->width() - label->contentsRect().width() + 2 * label->margin();
    return std::max(label->sizeHint().width(),
                    label->fontMetrics().horizontalAdvance(Shown_Text(label->text())) + margins);
}

int Needed_Width(std::initializer_list<const QLabel *> labels)
{
    int width = 0;
    for (const QLabel *label : labels)
        if (label) width = std::max(width, Needed_Width(label));
    return width;
}

// A column keeps its drawn width while its labels fit into it and the overhang; otherwise it
// takes the width of its widest label.
int Column_Width(int drawn, int needed) { return needed <= drawn + Label_Overhang ? drawn : needed; }


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
    : Editor_Dialog(state, parent), Editor_Imports(state, this, STR_Import_Signals), state_(state), dir_(direction)
{
    setObjectName(dir_.Dir == Direction::Receive ? QStringLiteral("TFDefineRecCAN")
                                                 : QStringLiteral("TFDefineTransCAN"));
    Layout_Controls();
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
    list_.Load({}, 0);
}

void Mapping_Editor::Layout_Controls()
{
    // The controls are made here in the order Tab walks them; Fit_Texts places them.
    setFixedSize(Client_W, Client_H);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto list = [this](const char *name) {
        auto *l = new QListWidget(this);
        l->setObjectName(QLatin1String(name));
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        // Lines differ in length (a byte beyond the frame, the send column): each gets its own
        // width, so that the longest can be scrolled to instead of being cut at the first one's.
        l->setUniformItemSizes(false);
        return l;
    };
    auto combo = [this](const char *name) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        return c;
    };

    L_CAN_Frame_Desc1 = label("L_CAN_Frame_Desc1");
    L_CAN_Frame_Desc2 = label("L_CAN_Frame_Desc2");
    LB_CAN_Frames = list("LB_CAN_Frames");
    L_CAN_Frame_Desc1->setBuddy(LB_CAN_Frames);

    L_Mod_Reg_Desc1 = label("L_Mod_Reg_Desc1");
    L_Mod_Reg_Desc2 = label("L_Mod_Reg_Desc2");
    LB_Modbus_Regs = list("LB_Modbus_Regs");
    if (dir_.Has_Send_on_Write())
        LB_Modbus_Regs->setItemDelegate(new Tab_Stop_Delegate(LB_Modbus_Regs, Send_Column_DLU));
    L_Mod_Reg_Desc1->setBuddy(LB_Modbus_Regs);

    L_Mod_Ind_Desc1 = label("L_Mod_Ind_Desc1");
    L_Mod_Ind_Desc2 = label("L_Mod_Ind_Desc2");
    E_Index_Modbus = new QLineEdit(this);
    E_Index_Modbus->setObjectName(QStringLiteral("E_Index_Modbus"));
    L_Mod_Ind_Desc2->setBuddy(E_Index_Modbus);
    Keep_Text_Storable(E_Index_Modbus, state_.Lang_Table);
    QPalette green = E_Index_Modbus->palette();
    green.setColor(QPalette::Base, QColor(0xCC, 0xFF, 0xCC));
    green.setColor(QPalette::Text, Qt::black);
    E_Index_Modbus->setPalette(green);

    L_High_Part_Desc1 = label("L_High_Part_Desc1");
    L_High_Part_Desc2 = label("L_High_Part_Desc2");
    CB_Byte_High_Part = combo("CB_Byte_High_Part");
    L_High_Part_Desc1->setBuddy(CB_Byte_High_Part);
    L_Low_Part_Desc1 = label("L_Low_Part_Desc1");
    L_Low_Part_Desc2 = label("L_Low_Part_Desc2");
    CB_Byte_Low_Part = combo("CB_Byte_Low_Part");
    L_Low_Part_Desc1->setBuddy(CB_Byte_Low_Part);
    if (dir_.Has_Send_on_Write()) {
        L_Send_on_Write = label("L_Send_on_Write");
        CB_SendJ1939_OnModWrite = combo("CB_SendJ1939_OnModWrite");
        L_Send_on_Write->setBuddy(CB_SendJ1939_OnModWrite);
    }

    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        // No button presses itself on Enter from another control (see keyPressEvent).
        b->setAutoDefault(false);
        return b;
    };
    const struct {
        QPushButton *Mapping_Editor::*Field;
        const char *Name;
    } list_buttons[] = {{&Mapping_Editor::Btn_Create, "Btn_Create"},
                        {&Mapping_Editor::Btn_Modify, "Btn_Modify"},
                        {&Mapping_Editor::Btn_Delete, "Btn_Delete"},
                        {&Mapping_Editor::Btn_Copy, "Btn_Copy"},
                        {&Mapping_Editor::Btn_Paste, "Btn_Paste"}};
    for (const auto &list_button : list_buttons) {
        QPushButton *b = button(list_button.Name);
        this->*list_button.Field = b;
        connect(b, &QPushButton::clicked, this, [this, b] { Btn_Click(b); });
    }

    const Button_Panel panel = Make_Button_Panel(this);
    P_Button = panel.P_Button;
    Btn_OK = panel.Btn_OK;
    Btn_Cancel = panel.Btn_Cancel;
    // The sheets' buttons follow OK and Cancel in the bottom row, in the order Tab walks them.
    Btn_Export_Csv = new QPushButton(P_Button);
    Btn_Export_Csv->setObjectName(QStringLiteral("Btn_Export_Csv"));
    Btn_Import_Csv = new QPushButton(P_Button);
    Btn_Import_Csv->setObjectName(QStringLiteral("Btn_Import_Csv"));
    Btn_Import_Signals = new QPushButton(P_Button);
    Btn_Import_Signals->setObjectName(QStringLiteral("Btn_Import_Signals"));
    for (QPushButton *b : {Btn_Export_Csv, Btn_Import_Csv, Btn_Import_Signals}) P_Button->layout()->addWidget(b);
    for (QPushButton *b : {Btn_OK, Btn_Cancel, Btn_Export_Csv, Btn_Import_Csv, Btn_Import_Signals})
        b->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &Mapping_Editor::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Btn_Export_Csv, &QPushButton::clicked, this, &Mapping_Editor::Btn_Export_CsvClick);
    connect(Btn_Import_Csv, &QPushButton::clicked, this, &Mapping_Editor::Btn_Import_CsvClick);
    connect(Btn_Import_Signals, &QPushButton::clicked, this, &Mapping_Editor::Btn_Import_SignalsClick);
    // A click on a line, also on the line already selected, and every change of the selection
    // by keyboard run the handler; running it twice for one click is harmless.
    connect(LB_CAN_Frames, &QListWidget::itemSelectionChanged, this, &Mapping_Editor::LB_CAN_FramesClick);
    connect(LB_CAN_Frames, &QListWidget::itemClicked, this, &Mapping_Editor::LB_CAN_FramesClick);
    connect(LB_Modbus_Regs, &QListWidget::itemSelectionChanged, this, &Mapping_Editor::LB_Modbus_RegsClick);
    connect(LB_Modbus_Regs, &QListWidget::itemClicked, this, &Mapping_Editor::LB_Modbus_RegsClick);
}

void Mapping_Editor::Fit_Texts()
{
    const int frames_w = Column_Width(Frames_W, Needed_Width({L_CAN_Frame_Desc1, L_CAN_Frame_Desc2}));
    const int regs_w = Column_Width(Regs_W, Needed_Width({L_Mod_Reg_Desc1, L_Mod_Reg_Desc2}));
    int entry_w = Column_Width(Entry_W, Needed_Width({L_Mod_Ind_Desc1, L_Mod_Ind_Desc2, L_High_Part_Desc1,
                                                      L_High_Part_Desc2, L_Low_Part_Desc1, L_Low_Part_Desc2,
                                                      L_Send_on_Write}));
    // The gaps between the columns and at the window's edges stay as drawn.
    const int regs_x = Frames_X + frames_w + (Regs_X - Frames_X - Frames_W);
    const int entry_x = regs_x + regs_w + (Entry_X - Regs_X - Regs_W);
    const int right_margin = Client_W - Entry_X - Entry_W;

    QList<QPushButton *> list_buttons{Btn_Create, Btn_Modify, Btn_Delete, Btn_Copy, Btn_Paste};
    int button_w = 0;
    for (QPushButton *b : list_buttons) button_w = std::max(button_w, b->sizeHint().width());
    const int width = std::max({Client_W, entry_x + entry_w + right_margin,
                                2 * Frames_X + 5 * button_w + 4 * List_Button_Gap, P_Title->sizeHint().width(),
                                P_Button->sizeHint().width()});
    // Room that the title or the buttons make goes to the entry column.
    entry_w = width - right_margin - entry_x;

    setFixedSize(width, Client_H);
    P_Title->setGeometry(0, 0, width, Title_H);
    P_Button->setGeometry(0, Panel_Y, width, Client_H - Panel_Y);

    auto place_label = [](QLabel *label, int x, int y, int column_w) {
        if (!label) return;
        label->setGeometry(x, y, column_w, Label_H);
        // A label a little longer than its column reaches into the gap after it.
        label->resize(std::max(column_w, Needed_Width(label)), Label_H);
    };
    place_label(L_CAN_Frame_Desc1, Frames_X, Desc1_Y, frames_w);
    place_label(L_CAN_Frame_Desc2, Frames_X, Desc2_Y, frames_w);
    LB_CAN_Frames->setGeometry(Frames_X, List_Y, frames_w, List_H);
    place_label(L_Mod_Reg_Desc1, regs_x, Desc1_Y, regs_w);
    place_label(L_Mod_Reg_Desc2, regs_x, Desc2_Y, regs_w);
    LB_Modbus_Regs->setGeometry(regs_x, List_Y, regs_w, List_H);

    place_label(L_Mod_Ind_Desc1, entry_x, Desc1_Y, entry_w);
    place_label(L_Mod_Ind_Desc2, entry_x, Desc2_Y, entry_w);
    E_Index_Modbus->setGeometry(entry_x, List_Y, entry_w, Field_H);
    place_label(L_High_Part_Desc1, entry_x, 146, entry_w);
    place_label(L_High_Part_Desc2, entry_x, 162, entry_w);
    CB_Byte_High_Part->setGeometry(entry_x, 180, entry_w, Field_H);
    place_label(L_Low_Part_Desc1, entry_x, 216, entry_w);
    place_label(L_Low_Part_Desc2, entry_x, 232, entry_w);
    CB_Byte_Low_Part->setGeometry(entry_x, 250, entry_w, Field_H);
    if (dir_.Has_Send_on_Write()) {
        place_label(L_Send_on_Write, entry_x, 294, entry_w);
        CB_SendJ1939_OnModWrite->setGeometry(entry_x, 312, entry_w, Field_H);
    }

    // Five buttons across the width of the two lists and the entry column.
    const int w = (width - 2 * Frames_X - 4 * List_Button_Gap) / 5;
    for (int i = 0; i < list_buttons.size(); ++i)
        list_buttons[i]->setGeometry(Frames_X + i * (w + List_Button_Gap), List_Buttons_Y, w, Button_H);
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
    Btn_Import_Signals->setText(s.STR(STR_Import_Signals));

    LB_CAN_Frames->setAccessibleName(s.STR(dir_.Frame_Desc1));
    LB_Modbus_Regs->setAccessibleName(s.STR(dir_.Mod_Reg_Desc1));
    E_Index_Modbus->setAccessibleName(s.STR(dir_.Mod_Ind_Desc2));
    CB_Byte_High_Part->setAccessibleName(s.STR(dir_.High_Part_Desc1) + u' ' + s.STR(dir_.High_Part_Desc2));
    CB_Byte_Low_Part->setAccessibleName(s.STR(dir_.Low_Part_Desc1) + u' ' + s.STR(dir_.Low_Part_Desc2));

    Fit_Texts();
    Assign_Mnemonics(this);
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
        if (new_notes_.isEmpty()) {
            Write_Map_File(map_path, dir_.Dir, list_.Frames);
        } else {
            // The notes of imported registers join those of the file beside the configuration;
            // both files change together or not at all.
            const QString notes_path = state_.Files.Signal_Notes;
            const QList<Signal_Note> notes = Merge_Signal_Notes(Read_Signal_Notes_To_Rewrite(notes_path), new_notes_);
            Save_Files_Atomic({{map_path, Map_File_Bytes(dir_.Dir, list_.Frames, map_path)},
                               {notes_path, Signal_Notes_Bytes(notes)}});
            new_notes_.clear();
        }
    } catch (const Xml_Error &e) {
        // Nothing is lost: the dialog stays open with the user's mappings.
        Message_Box::Error(this, e.Text());
        return;
    }
    accept();
}

bool Mapping_Editor::Have_Rows()
{
    if (rows_error_.isEmpty()) return true;
    Message_Box::Error(this, rows_error_);
    return false;
}

void Mapping_Editor::Show_Imported()
{
    const int frame = Selected_Frame();
    Refresh_Frame_List();
    if (frame >= 0) LB_CAN_Frames->setCurrentRow(frame);
    Refresh_Register_List();
    Refresh_Marked_Fields();
    Refresh_Byte_Lists();
}

void Mapping_Editor::Btn_Export_CsvClick()
{
    if (Have_Rows()) Write_Sheet(Mapping_List_Csv(dir_.Dir, list_.Frames, rows_));
}

void Mapping_Editor::Btn_Import_CsvClick()
{
    if (!Have_Rows()) return;
    const std::optional<Sheet> sheet = Read_Sheet();
    if (!sheet) return;
    const Mapping_Csv_Read read =
        Read_Mapping_Csv(dir_.Dir, sheet->Bytes, list_.Frames, rows_, list_.Other_Direction_Count);
    if (!read.Header_Ok) return Refuse_Header(sheet->Path);
    if (!Take_Lines(read.Faults)) return;
    list_.Frames = read.Frames;
    Show_Imported();
    Report(Mapping_Csv_Summary(state_.Lang_Table, read.Frames, rows_, read.Faults));
}

void Mapping_Editor::Btn_Import_SignalsClick()
{
    if (!Have_Rows()) return;
    const std::optional<Database> database = Read_Database();
    if (!database) return;
    // Only messages whose frame this direction's list holds have bytes to map.
    const QList<Dbc_Message> messages = Messages_Of_Frames(database->Db.Messages, rows_);
    if (messages.isEmpty()) {
        Message_Box::Error(this, state_.STR(STR_Dbc_No_Messages_Of_List).arg(QDir::toNativeSeparators(database->Path)));
        return;
    }
    Dbc_Chooser chooser(state_, Dbc_Chooser::Mode::Signals, messages, Lowest_Unused_Register(list_.Frames),
                          this);
    if (!Run_Chooser || !Run_Chooser(chooser)) return;
    const QList<Dbc_Message> chosen = chooser.Chosen();
    if (chosen.isEmpty()) return;
    const Signal_Import import = Import_Dbc_Signals_To_Unmapped(list_.Frames, rows_, chosen, chooser.Value(),
                                                                list_.Other_Direction_Count, dir_.Dir);
    list_.Frames = import.Frames;
    new_notes_ = Merge_Signal_Notes(new_notes_, Imported_Signal_Notes(dir_.Dir, import, rows_));
    Show_Imported();
    // The statements of the database that could not be read are listed with what was left out.
    Signal_Import shown = import;
    QList<Import_Note> unread;
    for (const Dbc_Skipped &s : database->Db.Skipped) unread.append({s.Name, s.Line, s.Reason});
    shown.Skipped = unread + shown.Skipped;
    Report(Signal_Import_Summary(state_.Lang_Table, shown));
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
