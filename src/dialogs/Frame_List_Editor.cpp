#include "dialogs/Frame_List_Editor.h"

#include "config/CobID_Reading.h"
#include "platform/Int_Text.h"

#include "workspace/App_State.h"
#include "dialogs/Dbc_Chooser.h"
#include "dialogs/Learn_Chooser.h"
#include "exchange/Dbc_Direction_Import.h"
#include "exchange/Signal_Notes.h"
#include "exchange/Csv_Lists.h"
#include "platform/Xml_Document.h"
#include "widgets/Dialog_Panels.h"
#include "config/Project_Files.h"
#include "editing/Storable_Text.h"
#include "widgets/Frame_Grid_Model.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"

#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int Client_W = 750;
constexpr int Client_H = 337;
constexpr int Row_H = 22;
constexpr int Button_W = 90;

int Column_Width(Frame_Column_Kind kind)
{
    switch (kind) {
    case Frame_Column_Kind::Row_Number: return 40;
    case Frame_Column_Kind::Type: return 140;
    case Frame_Column_Kind::Check: return 80;
    case Frame_Column_Kind::Text: return 90;
    }
    return 90;
}

// Escape in a cell being typed into closes the dialog as Escape does everywhere else in it: the
// cell's own handling would only drop what was typed and leave the dialog open, so that a user
// walking the grid by keyboard could not leave it. What was typed stays in the grid, and the
// question before throwing work away counts it (reject).
class Escaping_Grid_Delegate : public Frame_Grid_Delegate {
public:
    using Frame_Grid_Delegate::Frame_Grid_Delegate;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            auto *editor = qobject_cast<QWidget *>(object);
            if (editor && key->key() == Qt::Key_Escape && !(key->modifiers() & ~Qt::KeypadModifier))
                if (auto *dialog = qobject_cast<QDialog *>(editor->window())) {
                    dialog->reject();
                    return true;
                }
        }
        return Frame_Grid_Delegate::eventFilter(object, event);
    }
};

}  // namespace

Frame_List_Editor::Frame_List_Editor(Direction direction, App_State &state, QWidget *parent)
    : Editor_Dialog(state, parent), Editor_Imports(state, this, STR_Dbc_Import), kind_(Frame_List_Of(direction)),
      state_(state)
{
    setObjectName(direction == Direction::Receive ? QStringLiteral("TFReceiveCAN") : QStringLiteral("TFTransmitCAN"));
    Layout_Controls();
    resize(Client_W, Client_H);
    Ask_Log_Path = [this] {
        return QFileDialog::getOpenFileName(this, state_.STR(STR_Learn), QString(), state_.STR(STR_Bus_Log_Filter) + QStringLiteral(";;*"));
    };
    Run_Learn_Chooser = [](Learn_Chooser &chooser) { return chooser.exec() == QDialog::Accepted; };
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Frame_List_Editor::Layout_Controls()
{
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;
    layout->addWidget(P_Title);

    model_ = new Frame_Grid_Model(kind_, this);
    // Tab walks the fields of a row and then leaves for the buttons.
    sga = new Frame_Grid_View(this);
    sga->setObjectName(QStringLiteral("sga"));
    sga->setModel(model_);
    sga->setItemDelegate(new Escaping_Grid_Delegate(kind_, sga));
    sga->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sga->setSelectionBehavior(QAbstractItemView::SelectItems);
    // No editing on a click into the selected cell: Qt then waits for a possible double click,
    // and keys typed meanwhile would be lost instead of starting the edit.
    sga->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    sga->setWordWrap(false);
    sga->verticalHeader()->hide();
    sga->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sga->verticalHeader()->setDefaultSectionSize(Row_H);
    QHeaderView *header = sga->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    layout->addWidget(sga, 1);

    // The device reads plain digits as decimal: "181" reaches it as 0x0B5, which CAN tools
    // would write "0B5". The current row's identifier stands here as the device reads it.
    L_Device_Reads = new QLabel(this);
    L_Device_Reads->setObjectName(QStringLiteral("L_Device_Reads"));
    L_Device_Reads->setContentsMargins(8, 3, 8, 0);
    L_Device_Reads->setTextFormat(Qt::PlainText);
    L_Device_Reads->setMinimumHeight(L_Device_Reads->fontMetrics().height() + 3);
    layout->addWidget(L_Device_Reads);

    // OK, Cancel, Delete Row, Insert Row, left to right.
    const Button_Panel panel = Make_Button_Panel(this);
    P_Button = panel.P_Button;
    Btn_OK = panel.Btn_OK;
    Btn_Cancel = panel.Btn_Cancel;
    Btn_DelRow = new QPushButton(P_Button);
    Btn_DelRow->setObjectName(QStringLiteral("Btn_DelRow"));
    Btn_InsRow = new QPushButton(P_Button);
    Btn_InsRow->setObjectName(QStringLiteral("Btn_InsRow"));
    Btn_Export_Csv = new QPushButton(P_Button);
    Btn_Export_Csv->setObjectName(QStringLiteral("Btn_Export_Csv"));
    Btn_Import_Csv = new QPushButton(P_Button);
    Btn_Import_Csv->setObjectName(QStringLiteral("Btn_Import_Csv"));
    Btn_Import_Dbc = new QPushButton(P_Button);
    Btn_Import_Dbc->setObjectName(QStringLiteral("Btn_Import_Dbc"));
    for (QPushButton *b : {Btn_DelRow, Btn_InsRow, Btn_Export_Csv, Btn_Import_Csv, Btn_Import_Dbc}) {
        b->setMinimumWidth(Button_W);
        P_Button->layout()->addWidget(b);
    }
    if (kind_.Dir == Direction::Receive) {
        Btn_Learn = new QPushButton(P_Button);
        Btn_Learn->setObjectName(QStringLiteral("Btn_Learn"));
        Btn_Learn->setMinimumWidth(Button_W);
        P_Button->layout()->addWidget(Btn_Learn);
        Btn_Learn->setAutoDefault(false);
        connect(Btn_Learn, &QPushButton::clicked, this, &Frame_List_Editor::Btn_LearnClick);
    }
    for (QPushButton *b : {Btn_OK, Btn_Cancel, Btn_DelRow, Btn_InsRow, Btn_Export_Csv, Btn_Import_Csv, Btn_Import_Dbc}) {
        // Enter belongs to the grid's cells: it must never press a button and save the list. On
        // a button that has the focus it presses that button (keyPressEvent).
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    layout->addWidget(P_Button);

    connect(Btn_OK, &QPushButton::clicked, this, &Frame_List_Editor::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &Frame_List_Editor::reject);
    connect(Btn_DelRow, &QPushButton::clicked, this, &Frame_List_Editor::Btn_DelRowClick);
    connect(Btn_InsRow, &QPushButton::clicked, this, &Frame_List_Editor::Btn_InsRowClick);
    connect(Btn_Export_Csv, &QPushButton::clicked, this, &Frame_List_Editor::Btn_Export_CsvClick);
    connect(Btn_Import_Csv, &QPushButton::clicked, this, &Frame_List_Editor::Btn_Import_CsvClick);
    connect(Btn_Import_Dbc, &QPushButton::clicked, this, &Frame_List_Editor::Btn_Import_DbcClick);
    connect(model_, &QAbstractItemModel::dataChanged, this, &Frame_List_Editor::Update_Buttons);
    connect(model_, &QAbstractItemModel::modelReset, this, &Frame_List_Editor::Update_Buttons);
    connect(model_, &QAbstractItemModel::dataChanged, this, &Frame_List_Editor::Update_Device_Reading);
    connect(model_, &QAbstractItemModel::modelReset, this, &Frame_List_Editor::Update_Device_Reading);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &Frame_List_Editor::Update_Device_Reading);
    connect(sga->selectionModel(), &QItemSelectionModel::currentChanged, this, &Frame_List_Editor::Update_Device_Reading);
    // Queued: the box must not open while the grid is still closing the cell's editor.
    connect(
        model_, &Frame_Grid_Model::Text_Refused, this,
        [this](const QString &text) { Message_Box::Error(this, Unstorable_Text_Message(state_.Lang_Table, text)); },
        Qt::QueuedConnection);
}

void Frame_List_Editor::Set_Lang()
{
    const App_State &s = state_;
    Set_Title_Base(s.STR(kind_.STR_Caption));
    L_SW_Desc->setText(s.STR(kind_.STR_Desc));
    sga->setAccessibleName(s.STR(kind_.STR_Desc));
    Btn_OK->setText(s.STR(kind_.STR_OK));
    Btn_Cancel->setText(s.STR(kind_.STR_Cancel));
    Btn_DelRow->setText(s.STR(kind_.STR_DelRow));
    Btn_InsRow->setText(s.STR(kind_.STR_InsRow));
    Btn_Export_Csv->setText(s.STR(STR_Csv_Export));
    Btn_Import_Csv->setText(s.STR(STR_Csv_Import));
    Btn_Import_Dbc->setText(s.STR(STR_Dbc_Import));
    if (Btn_Learn) Btn_Learn->setText(s.STR(STR_Learn));
    QStringList titles;
    for (int c = 0; c < kind_.Columns.size(); ++c) titles.append(s.STR(kind_.STR_First_Title + c));
    model_->Set_Titles(titles);
    Update_Buttons();  // its tooltip is a text of the language too
    model_->Set_Reading_Tip(s.STR(STR_Frame_Device_Reads_Tip));
    model_->Set_Check_Texts(s.STR(STR_Cell_Checked), s.STR(STR_Cell_Not_Checked));
    Update_Device_Reading();
    // OK and Cancel have the same letters in every editor, whatever the other controls say.
    Assign_Mnemonics(this, {Btn_OK, Btn_Cancel});
    Fit_Columns();
}

void Frame_List_Editor::Update_Device_Reading()
{
    const QModelIndex current = sga->currentIndex();
    QString text;
    if (current.isValid()) {
        const Frame_Row &row = model_->Grid()[current.row()];
        const QString reading = Device_Reading(row);
        if (!reading.isEmpty()) {
            text = state_.STR(STR_Frame_Device_Reads).arg(QString::number(current.row() + 1), Int_Text::Trim(row.CobID), reading);
        } else if (Is_Entry(row)) {
            // Out of range or not a number: the check on OK refuses it; say already what to write.
            if (const std::optional<uint32_t> hex = Hex_Reading_In_Range(row.CobID, !Is_11_Bit(row)))
                text = state_.STR(STR_Frame_Write_Hex).arg(Identifier_Hex(*hex, !Is_11_Bit(row)));
        }
    }
    // Without a reading to show, the rule behind it.
    if (text.isEmpty()) text = state_.STR(STR_Frame_Digits_Decimal);
    L_Device_Reads->setText(text);
    L_Device_Reads->setAccessibleName(text);
}

void Frame_List_Editor::Fit_Columns()
{
    QHeaderView *header = sga->horizontalHeader();
    header->ensurePolished();
    int columns_w = 0;
    for (int c = 0; c < kind_.Columns.size(); ++c) {
        const int w = std::max(Column_Width(kind_.Columns[c].Kind), header->sectionSizeHint(c));
        sga->setColumnWidth(c, w);
        columns_w += w;
    }
    // The English titles fit the dialog's own width; a longer language widens it, so that no
    // title is cut and no column hides behind a scroll bar.
    // The buttons below keep the width their texts need too.
    const int needed = std::max(columns_w + 2 * sga->frameWidth() + sga->verticalScrollBar()->sizeHint().width(),
                                P_Button->sizeHint().width());
    setMinimumWidth(needed > Client_W ? needed : 0);
    resize(std::max(Client_W, needed), height());
}

int Frame_List_Editor::exec()
{
    if (!FormShow()) return QDialog::Rejected;
    return QDialog::exec();
}

bool Frame_List_Editor::FormShow()
{
    const QString &path = state_.Files.Frame_File(kind_.Dir);
    Frame_Grid grid;
    try {
        grid = Read_Frame_Grid(path, kind_.Dir);
    } catch (const Xml_Error &error) {
        model_->Set_Grid(Empty_Frame_Grid());
        loaded_ = model_->Grid();
        stored_.clear();
        Message_Box::Error(parentWidget() ? parentWidget() : this,
                           state_.STR(STR_Frame_List_Not_Shown) + u'\n' + error.Text());
        return false;
    }
    stored_.clear();
    pending_.clear();
    for (const Frame_Row &row : grid)
        if (row.Stored_Index >= 0) stored_.append(row);
    loaded_ = grid;
    model_->Set_Grid(std::move(grid));
    sga->setCurrentIndex(model_->index(0, Receive_Col::CobID));
    sga->scrollToTop();
    return true;
}

bool Frame_List_Editor::Has_Changes() const { return Frame_Grid_Changed(loaded_, model_->Grid()) || !pending_.isEmpty(); }

void Frame_List_Editor::reject()
{
    Commit_Open_Editor();
    Editor_Dialog::reject();
}

void Frame_List_Editor::showEvent(QShowEvent *event)
{
    // Every showing starts in the first field of the first row (FormShow put the cursor there).
    if (!event->spontaneous()) sga->setFocus(Qt::OtherFocusReason);
    Editor_Dialog::showEvent(event);
}

void Frame_List_Editor::keyPressEvent(QKeyEvent *event)
{
    // The buttons are no default buttons (Enter in the grid must not save), so Enter on the
    // button that has the focus would do nothing; it presses that button, as Space does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    Editor_Dialog::keyPressEvent(event);
}

int Frame_List_Editor::Current_Row() const
{
    const QModelIndex current = sga->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void Frame_List_Editor::Commit_Open_Editor()
{
    const QModelIndex current = sga->currentIndex();
    if (QWidget *editor = sga->indexWidget(current)) {
        emit sga->itemDelegate()->commitData(editor);
        emit sga->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void Frame_List_Editor::Update_Buttons()
{
    const bool can_insert = Can_Insert_Row(model_->Grid());
    Btn_InsRow->setEnabled(can_insert);
    // The grid's 250 rows are full at the bottom: an inserted row would push that frame out.
    Btn_InsRow->setToolTip(can_insert ? QString()
                                      : state_.STR(STR_Last_Row_Taken).arg(Max_Frame_Entries));
}

bool Frame_List_Editor::Validate_Rows()
{
    const std::optional<Frame_Fault> fault = Check_Frames(kind_.Dir, model_->Grid());
    if (!fault) return true;
    Message_Box::Error(this, Fault_Text(kind_, state_.Lang_Table, *fault));
    // Take the user to the cell the message is about.
    sga->setCurrentIndex(model_->index(fault->Row - 1, Fault_Column(kind_, fault->Rule)));
    return false;
}

void Frame_List_Editor::Btn_OKClick()
{
    Commit_Open_Editor();
    if (!Validate_Rows()) return;
    const QString &path = state_.Files.Frame_File(kind_.Dir);
    const QString &map_path = state_.Files.Map_File(kind_.Dir);
    try {
        // The mappings follow their frames in the same save; those of deleted frames go only
        // when the user agrees.
        Frame_List_Save save = Plan_Frame_List_Save(model_->Grid(), int(stored_.size()), map_path);
        if (save.Removed_Count() > 0 &&
            !Message_Box::Ask(this, Removed_Mappings_Question(state_.Lang_Table, stored_, save)))
            return;
        if (pending_.isEmpty()) {
            Commit_Frame_List_Save(save, kind_.Dir, path, map_path);
        } else {
            // Registers a database import made join the mapping file on their frames, their
            // recipes the signal notes: the three files change together or not at all.
            const Frame_Grid &grid = model_->Grid();
            const Pending_Save maps = Save_With_Pending(
                grid, Grid_Mappings(grid, Read_Mapping_Files(path, map_path, kind_.Dir), pending_), pending_);
            const QString notes_path = state_.Files.Signal_Notes;
            Save_Files_Atomic({{path, Frame_File_Bytes(kind_.Dir, save.Entries, path)},
                               {map_path, Map_File_Bytes(kind_.Dir, maps.Frames, map_path)},
                               {notes_path, Signal_Notes_Bytes(Merge_Signal_Notes(Read_Signal_Notes_To_Rewrite(notes_path), maps.Notes))}});
        }
    } catch (const Xml_Error &error) {
        Message_Box::Error(this, state_.STR(STR_Frame_List_Not_Saved) + u'\n' + error.Text());
        return;
    }
    pending_.clear();
    accept();
}

void Frame_List_Editor::Btn_InsRowClick()
{
    Commit_Open_Editor();
    const int row = Current_Row();
    if (row > 0) model_->Insert_Row(row);
}

void Frame_List_Editor::Btn_DelRowClick()
{
    Commit_Open_Editor();
    const int row = Current_Row();
    if (row <= 0) return;
    if (!Message_Box::Ask(this, Delete_Question(kind_, state_.Lang_Table, row))) return;
    model_->Delete_Row(row);
}

void Frame_List_Editor::Btn_Export_CsvClick()
{
    Commit_Open_Editor();
    Write_Sheet(Frame_List_Csv(kind_.Dir, Pack_Entries(model_->Grid())));
}

void Frame_List_Editor::Btn_Import_CsvClick()
{
    Commit_Open_Editor();
    const std::optional<Sheet> sheet = Read_Sheet();
    if (!sheet) return;
    Frame_Csv_Read read = Read_Frame_Csv(kind_.Dir, sheet->Bytes);
    if (!read.Header_Ok) return Refuse_Header(sheet->Path);
    if (!Take_Lines(read.Faults)) return;
    model_->Set_Grid(Frame_Grid_Of_Sheet(read.Rows, stored_));
    sga->setCurrentIndex(model_->index(0, Receive_Col::CobID));
    sga->scrollToTop();
    Report(Frame_Csv_Summary(state_.Lang_Table, read.Rows, read.Faults));
}

void Frame_List_Editor::Btn_Import_DbcClick()
{
    Commit_Open_Editor();
    const std::optional<Database> database = Read_Database();
    if (!database) return;
    // The registers the frames hold now: the mapping file's, and those of earlier imports.
    const QString &map_path = state_.Files.Map_File(kind_.Dir);
    QList<Editor_Frame> stored_frames;
    int unplaced = 0;
    try {
        stored_frames = Read_Mapping_Files(state_.Files.Frame_File(kind_.Dir), map_path, kind_.Dir, &unplaced);
    } catch (const Xml_Error &error) {
        Message_Box::Error(this, error.Text());
        return;
    }
    int other_count = 0;
    try {
        other_count = Count_Map_File_Rows(state_.Files.Map_File(kind_.Dir == Direction::Receive ? Direction::Transmit
                                                                                                : Direction::Receive));
    } catch (const Xml_Error &) {
        // That direction's editor and the device update report its broken file.
    }
    const Frame_Grid &grid = model_->Grid();
    const QList<Editor_Frame> row_frames = Grid_Mappings(grid, stored_frames, pending_);

    const QList<Dbc_Message> &messages = database->Db.Messages;
    Dbc_Chooser chooser(state_, kind_.Dir, messages, Signals_To_Map(messages, grid, row_frames, kind_.Dir),
                        {Default_Timeout_Factor, Lowest_Unused_Register(row_frames), true}, this);
    if (!Run_Chooser || !Run_Chooser(chooser)) return;
    const QList<Dbc_Message> chosen = chooser.Chosen();
    if (chosen.isEmpty()) return;
    const Dbc_Direction_Import import =
        Import_Dbc_Direction(grid, row_frames, kind_.Dir, chosen, chooser.Choice(), other_count);
    model_->Set_Grid(import.Frames.Grid);
    Go_To_First_Added(import.Frames.Added_Rows);
    pending_ += Pending_Mappings(import, row_frames);
    if (!import.Signals.Taken.isEmpty() && unplaced > 0)
        Message_Box::Warning(this, state_.STR(STR_Unplaced_Mappings).arg(unplaced));
    Report(Dbc_Direction_Summary(state_.Lang_Table, import, database->Db.Skipped));
}

void Frame_List_Editor::Go_To_First_Added(const QList<int> &added_rows)
{
    if (added_rows.isEmpty()) return;
    const QModelIndex first = model_->index(added_rows.first() - 1, Receive_Col::CobID);
    sga->setCurrentIndex(first);
    sga->scrollTo(first);
}

void Frame_List_Editor::Btn_LearnClick()
{
    Commit_Open_Editor();
    const QString path = Ask_Log_Path ? Ask_Log_Path() : QString();
    if (path.isEmpty()) return;
    const std::optional<Learn_Choice> choice = Choose_Learned_Frames(state_, this, path, Run_Learn_Chooser);
    if (!choice) return;
    const Frame_Import learned = Learn_Frames(model_->Grid(), choice->Frames, choice->Factor);
    model_->Set_Grid(learned.Grid);
    Go_To_First_Added(learned.Added_Rows);
    Report(Learn_Summary(state_.Lang_Table, learned));
}
