#include "dialogs/Mapping_Editor.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "widgets/Storable_Edit.h"
#include "widgets/Tab_Stop_Delegate.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <initializer_list>

// Where the mapping editor's controls stand: made in the order Tab walks them, placed for the
// texts of the language in use, and moved as the window grows.

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

}  // namespace

void Mapping_Editor::Layout_Controls()
{
    // The controls are made here in the order Tab walks them; Fit_Texts places them. The window
    // can be enlarged: a long frame list then shows more of its frames.
    resize(Client_W, Client_H);
    setMinimumSize(Client_W, Client_H);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

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
    // Taking the focus selects the frame under the cursor (eventFilter).
    LB_CAN_Frames->installEventFilter(this);

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
    frames_w_ = Column_Width(Frames_W, Needed_Width({L_CAN_Frame_Desc1, L_CAN_Frame_Desc2}));
    regs_w_ = Column_Width(Regs_W, Needed_Width({L_Mod_Reg_Desc1, L_Mod_Reg_Desc2}));
    const int entry_w = Column_Width(Entry_W, Needed_Width({L_Mod_Ind_Desc1, L_Mod_Ind_Desc2, L_High_Part_Desc1,
                                                            L_High_Part_Desc2, L_Low_Part_Desc1, L_Low_Part_Desc2,
                                                            L_Send_on_Write}));
    // The gaps between the columns and at the window's edges stay as drawn.
    const int regs_x = Frames_X + frames_w_ + (Regs_X - Frames_X - Frames_W);
    const int entry_x = regs_x + regs_w_ + (Entry_X - Regs_X - Regs_W);
    const int right_margin = Client_W - Entry_X - Entry_W;

    int button_w = 0;
    for (QPushButton *b : {Btn_Create, Btn_Modify, Btn_Delete, Btn_Copy, Btn_Paste})
        button_w = std::max(button_w, b->sizeHint().width());
    fitted_w_ = std::max({Client_W, entry_x + entry_w + right_margin, 2 * Frames_X + 5 * button_w + 4 * List_Button_Gap,
                          P_Title->sizeHint().width(), P_Button->sizeHint().width()});
    // Each language starts at the size its texts need; the user may enlarge it from there.
    setMinimumSize(fitted_w_, Client_H);
    resize(fitted_w_, Client_H);
    Place_Controls();
}

void Mapping_Editor::Place_Controls()
{
    const int width = std::max(this->width(), fitted_w_);
    const int height = std::max(this->height(), Client_H);
    // Room beyond the fitted size goes to the two lists: half of the width to each, all of the
    // height to both. The entry column keeps its width and moves right; room that the title or
    // the buttons made goes to it.
    const int grow_w = width - fitted_w_;
    const int grow_h = height - Client_H;
    const int frames_w = frames_w_ + grow_w / 2;
    const int regs_w = regs_w_ + grow_w - grow_w / 2;
    const int regs_x = Frames_X + frames_w + (Regs_X - Frames_X - Frames_W);
    const int entry_x = regs_x + regs_w + (Entry_X - Regs_X - Regs_W);
    const int right_margin = Client_W - Entry_X - Entry_W;
    const int entry_w = width - right_margin - entry_x;
    const int list_h = List_H + grow_h;

    P_Title->setGeometry(0, 0, width, Title_H);
    P_Button->setGeometry(0, Panel_Y + grow_h, width, Client_H - Panel_Y);

    auto place_label = [](QLabel *label, int x, int y, int column_w) {
        if (!label) return;
        label->setGeometry(x, y, column_w, Label_H);
        // A label a little longer than its column reaches into the gap after it.
        label->resize(std::max(column_w, Needed_Width(label)), Label_H);
    };
    place_label(L_CAN_Frame_Desc1, Frames_X, Desc1_Y, frames_w);
    place_label(L_CAN_Frame_Desc2, Frames_X, Desc2_Y, frames_w);
    LB_CAN_Frames->setGeometry(Frames_X, List_Y, frames_w, list_h);
    place_label(L_Mod_Reg_Desc1, regs_x, Desc1_Y, regs_w);
    place_label(L_Mod_Reg_Desc2, regs_x, Desc2_Y, regs_w);
    LB_Modbus_Regs->setGeometry(regs_x, List_Y, regs_w, list_h);

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

    // Five buttons across the width of the two lists and the entry column, under the lists.
    const QList<QPushButton *> list_buttons{Btn_Create, Btn_Modify, Btn_Delete, Btn_Copy, Btn_Paste};
    const int w = (width - 2 * Frames_X - 4 * List_Button_Gap) / 5;
    for (int i = 0; i < list_buttons.size(); ++i)
        list_buttons[i]->setGeometry(Frames_X + i * (w + List_Button_Gap), List_Buttons_Y + grow_h, w, Button_H);
}

void Mapping_Editor::resizeEvent(QResizeEvent *event)
{
    Editor_Dialog::resizeEvent(event);
    if (fitted_w_ > 0) Place_Controls();
}
