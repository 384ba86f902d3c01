#include "dialogs/Monitor_Window.h"

#include "dialogs/Monitor_Status.h"
#include "exchange/Signal_Values.h"
#include "platform/Int_Text.h"
#include "platform/Xml_Document.h"
#include "update/Device_Address.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"
#include "widgets/Table_Accessible.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int Default_Period_Ms = 500;
constexpr int Connect_Limit_Ms = 3000;   // a device that does not answer the connection at all
constexpr int Reply_Limit_Ms = 1000;     // one request's answer
}  // namespace

Monitor_Window::Monitor_Window(App_State &state, Clock *clock, QWidget *parent)
    : QDialog(parent), state_(state), clock_(clock ? *clock : own_clock_)
{
    setObjectName(QStringLiteral("TFMonitor"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setModal(false);
    resize(900, 520);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    auto label = [this](const char *name, QWidget *buddy) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };
    E_IP = new QLineEdit(this);
    E_IP->setObjectName(QStringLiteral("E_IP"));
    E_IP->setMinimumWidth(140);
    L_IP = label("L_IP", E_IP);
    SE_Port = new QSpinBox(this);
    SE_Port->setObjectName(QStringLiteral("SE_Port"));
    SE_Port->setRange(1, 65535);
    L_Port = label("L_Port", SE_Port);
    SE_Period = new QSpinBox(this);
    SE_Period->setObjectName(QStringLiteral("SE_Period"));
    SE_Period->setRange(50, 60000);
    SE_Period->setSingleStep(100);
    SE_Period->setValue(Default_Period_Ms);
    L_Period = label("L_Period", SE_Period);
    Btn_Connect = new QPushButton(this);
    Btn_Connect->setObjectName(QStringLiteral("Btn_Connect"));
    // Enter is not the button's: in the address it connects (below), elsewhere it must not
    // toggle a running connection off by surprise.
    Btn_Connect->setAutoDefault(false);
    connect(Btn_Connect, &QPushButton::clicked, this, &Monitor_Window::Btn_ConnectClick);
    // Enter in the address connects, as the button beside it would.
    connect(E_IP, &QLineEdit::returnPressed, this, [this] {
        if (!wanted_) Btn_ConnectClick();
    });

    TB_Registers = new QTableWidget(0, Col_Count, this);
    TB_Registers->setObjectName(QStringLiteral("TB_Registers"));
    TB_Registers->setSelectionBehavior(QAbstractItemView::SelectItems);
    TB_Registers->setSelectionMode(QAbstractItemView::SingleSelection);
    TB_Registers->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    TB_Registers->verticalHeader()->hide();
    // A screen reader says which cells take a value, as their colour shows it.
    Describe_Editable_Cells(TB_Registers);
    // The mnemonic is the one free text: it takes the width the numbers leave.
    TB_Registers->horizontalHeader()->setStretchLastSection(false);
    // The edit's end, not a changed cell: typing the value a register holds already writes it
    // again, which is how a frame sent on write is sent once more.
    connect(TB_Registers->itemDelegate(), &QAbstractItemDelegate::commitData, this, [this](QWidget *editor) {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line) return;
        Cell_Edited(TB_Registers->itemAt(editor->geometry().center()), line->text());
    });

    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setFrameShape(QFrame::StyledPanel);
    L_Status->setWordWrap(true);
    L_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Btn_Close = new QPushButton(this);
    Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
    Btn_Close->setAutoDefault(false);
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::close);

    auto *bottom = new QFrame(this);
    bottom->setObjectName(QStringLiteral("P_Button"));
    auto *bottom_row = new QHBoxLayout(bottom);
    bottom_row->setContentsMargins(12, 6, 12, 8);
    bottom_row->addWidget(L_Status, 1);
    bottom_row->addWidget(Btn_Close);

    QVBoxLayout *body = Stack_Dialog(this, P_Title, bottom, true);
    auto *connection = new QHBoxLayout;
    connection->addWidget(L_IP);
    connection->addWidget(E_IP);
    connection->addSpacing(12);
    connection->addWidget(L_Port);
    connection->addWidget(SE_Port);
    connection->addSpacing(12);
    connection->addWidget(L_Period);
    connection->addWidget(SE_Period);
    connection->addSpacing(12);
    connection->addWidget(Btn_Connect);
    connection->addStretch(1);
    body->addLayout(connection);
    body->addWidget(TB_Registers, 1);

    poll_timer_ = new QTimer(this);
    poll_timer_->setObjectName(QStringLiteral("Timer_Poll"));
    connect(poll_timer_, &QTimer::timeout, this, &Monitor_Window::Poll);
    retry_timer_ = new QTimer(this);
    retry_timer_->setObjectName(QStringLiteral("Timer_Retry"));
    retry_timer_->setSingleShot(true);
    connect(retry_timer_, &QTimer::timeout, this, &Monitor_Window::Start_Connection);
    connect_timer_ = new QTimer(this);
    connect_timer_->setSingleShot(true);
    connect(connect_timer_, &QTimer::timeout, this, [this] {
        if (Link_State() == Modbus_Link::State::Connecting) {
            last_reason_ = state_.STR(STR_Monitor_No_Answer).arg(Connect_Limit_Ms / 1000);
            link_->Disconnect();
        }
    });
    connect(SE_Period, &QSpinBox::valueChanged, this, [this](int ms) { poll_timer_->setInterval(ms); });

    Center_On_Screen(this);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

Monitor_Window::~Monitor_Window()
{
    wanted_ = false;
    // The link must not report a state change into a half-destroyed window.
    if (link_) {
        link_->On_State = nullptr;
        link_->On_Error = nullptr;
        link_.reset();
    }
}

void Monitor_Window::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Monitor_Device));
    L_SW_Desc->setText(s.STR(STR_Monitor_Device));
    L_IP->setText(s.STR(STR_Settings_IP));
    E_IP->setAccessibleName(s.STR(STR_Settings_IP));
    L_Port->setText(s.STR(STR_Settings_Port));
    SE_Port->setAccessibleName(s.STR(STR_Settings_Port));
    L_Period->setText(s.STR(STR_Monitor_Period));
    SE_Period->setAccessibleName(s.STR(STR_Monitor_Period));
    Btn_Connect->setText(s.STR(wanted_ ? STR_Monitor_Disconnect : STR_Monitor_Connect));
    Btn_Close->setText(s.STR(STR_Monitor_Close));
    TB_Registers->setHorizontalHeaderLabels({s.STR(STR_Monitor_Col_Direction), s.STR(STR_Monitor_Col_Register), s.STR(STR_Receive_Col_CobID),
                                             s.STR(STR_Receive_Col_Mnemonic), s.STR(STR_Monitor_Col_Bytes), s.STR(STR_Monitor_Col_Decimal),
                                             s.STR(STR_Monitor_Col_Hex), s.STR(STR_Monitor_Col_Unchanged),
                                             s.STR(STR_Monitor_Col_Signal), s.STR(STR_Monitor_Col_Value)});
    TB_Registers->setAccessibleName(s.STR(STR_Monitor_Device));
    for (int row = 0; row < TB_Registers->rowCount(); ++row) {
        const Direction dir = row < config_.Rows.size() ? config_.Rows[row].Dir : signals_.value(row - config_.Rows.size()).Dir;
        TB_Registers->item(row, Col_Direction)->setText(
            s.STR(dir == Direction::Receive ? STR_Monitor_Receive : STR_Monitor_Transmit));
    }
    Fit_Columns();
    // The state in the new language; an error stays as it was said until the next one.
    if (!status_is_error_) Show_State();
    Assign_Mnemonics(this);
    Fit_Title(this);
}

QString Monitor_Window::Status_Text() const { return L_Status->text(); }

Modbus_Link::State Monitor_Window::Link_State() const
{
    return link_ ? link_->Link_State() : Modbus_Link::State::Unconnected;
}

bool Monitor_Window::Connected() const { return Link_State() == Modbus_Link::State::Connected; }

void Monitor_Window::Show_Monitor()
{
    // The configuration is read at every press, so mappings edited (or another configuration
    // opened) while the window stays open show at once; a running connection goes on with
    // them. The address and port are filled only for a window that was closed: what the user
    // typed into an open one stays.
    config_ = {};
    signals_.clear();
    QString error;
    try {
        config_ = Read_Monitor_Configuration(state_.Files);
        // The signals whose registers are still where the import put them.
        Mapped_Registers mapped;
        for (const Monitor_Row &r : std::as_const(config_.Rows)) {
            const bool extended = r.Ident & 0x80000000u;
            mapped.insert(Mapped_Key(r.Dir, r.Register),
                          {r.Dir, r.Register, QString::number(r.Ident & 0x1FFFFFFFu), extended ? Frame_Type_29 : Frame_Type_11,
                           r.Hi, r.Lo});
        }
        signals_ = Live_Signal_Notes(Read_Signal_Notes(state_.Files.Signal_Notes), mapped);
    } catch (const Xml_Error &e) {
        error = state_.STR(STR_Monitor_Not_Read).arg(QString::fromStdString(e.what()));
    }
    if (!isVisible()) {
        E_IP->setText(state_.Device_IP);
        SE_Port->setValue(config_.Port == 0 ? 502 : config_.Port);
    }
    plan_ = Plan_Monitor_Reads(config_.Rows);
    values_.Clear();
    ++generation_;  // answers to the old plan's reads belong to other rows
    in_flight_ = 0;
    Fill_Table();
    if (!error.isEmpty())
        Show_Status(error, true);
    else if (config_.Rows.isEmpty())
        Show_Status(state_.STR(STR_Monitor_No_Registers), true);
    else
        Show_State();
    show();
    raise();
    activateWindow();
}

void Monitor_Window::Fill_Table()
{
    TB_Registers->setRowCount(0);
    TB_Registers->setRowCount(int(config_.Rows.size() + signals_.size()));
    int row = 0;
    auto cell = [&](int column, const QString &text, bool editable) {
        auto *item = new QTableWidgetItem(text);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable) flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        // Cells that take a value look it.
        if (editable) item->setBackground(QColor(255, 250, 220));
        if (column == Col_Register || column == Col_Decimal || column == Col_Hex || column == Col_Unchanged ||
            column == Col_Value)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        TB_Registers->setItem(row, column, item);
    };
    for (; row < config_.Rows.size(); ++row) {
        const Monitor_Row &r = config_.Rows[row];
        const bool transmit = r.Dir == Direction::Transmit;
        cell(Col_Direction, state_.STR(transmit ? STR_Monitor_Transmit : STR_Monitor_Receive), false);
        cell(Col_Register, QString::number(r.Register), false);
        cell(Col_Cob_ID, Monitor_Ident_Text(r.Ident), false);
        cell(Col_Mnemonic, r.Mnemonic, false);
        cell(Col_Bytes, Monitor_Bytes_Text(r.Hi, r.Lo), false);
        cell(Col_Decimal, QString(), transmit);
        cell(Col_Hex, QString(), transmit);
        cell(Col_Unchanged, QString(), false);
        cell(Col_Signal, QString(), false);
        cell(Col_Value, QString(), false);
    }
    for (const Signal_Note &n : std::as_const(signals_)) {
        const bool transmit = n.Dir == Direction::Transmit;
        QStringList registers, bytes;
        for (const Note_Register &r : n.Registers) {
            registers << QString::number(r.Register);
            bytes << Monitor_Bytes_Text(uint16_t(r.HiPart), uint16_t(r.LoPart));
        }
        cell(Col_Direction, state_.STR(transmit ? STR_Monitor_Transmit : STR_Monitor_Receive), false);
        cell(Col_Register, registers.join(u' '), false);
        cell(Col_Cob_ID, n.CobID, false);
        cell(Col_Mnemonic, n.Message, false);
        cell(Col_Bytes, bytes.join(u' '), false);
        cell(Col_Decimal, QString(), false);
        cell(Col_Hex, QString(), false);
        cell(Col_Unchanged, QString(), false);
        cell(Col_Signal, n.Signal, false);
        cell(Col_Value, QString(), transmit);
        ++row;
    }
    Fit_Columns();
}

QList<std::optional<uint16_t>> Monitor_Window::Signal_Registers(const Signal_Note &note) const
{
    QList<std::optional<uint16_t>> out;
    for (const Note_Register &r : note.Registers) out << values_.Value(note.Dir, uint16_t(r.Register));
    return out;
}

void Monitor_Window::Fit_Columns()
{
    TB_Registers->resizeColumnsToContents();
    TB_Registers->horizontalHeader()->setSectionResizeMode(Col_Mnemonic, QHeaderView::Stretch);
    // The value columns are empty until the first answer: room for the widest value now, so
    // that the columns do not jump (nor cut a value) when the answers come.
    const QFontMetrics metrics(TB_Registers->font());
    const int margin = 2 * TB_Registers->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const QList<std::pair<int, QString>> widest = {{Col_Decimal, QStringLiteral("65535")},
                                                   {Col_Hex, QStringLiteral("0xFFFF")},
                                                   {Col_Unchanged, QStringLiteral("99999.9")}};
    for (const auto &[column, text] : widest) {
        const int need = metrics.horizontalAdvance(text) + margin;
        if (TB_Registers->columnWidth(column) < need) TB_Registers->setColumnWidth(column, need);
    }
}

void Monitor_Window::Refresh_Values()
{
    const qint64 now = clock_.Now_Ms();
    // Values kept from a connection that is gone no longer tell what the device holds.
    const bool stale = !Connected();
    const QBrush ink = stale ? QBrush(Qt::gray) : TB_Registers->palette().text();
    auto show = [&](int row, int column, const QString &text) {
        QTableWidgetItem *item = TB_Registers->item(row, column);
        item->setText(text);
        item->setForeground(ink);
        item->setToolTip(stale && !text.isEmpty() ? state_.STR(STR_Monitor_Stale).arg(text) : QString());
    };
    for (int row = 0; row < config_.Rows.size() && row < TB_Registers->rowCount(); ++row) {
        const Monitor_Row &r = config_.Rows[row];
        const std::optional<uint16_t> value = values_.Value(r.Dir, r.Register);
        const std::optional<qint64> unchanged = values_.Unchanged_Ms(r.Dir, r.Register, now);
        // A cell the user is typing into keeps its editor; its text is set when the edit ends.
        show(row, Col_Decimal, value ? QString::number(*value) : QString());
        show(row, Col_Hex, value ? Monitor_Hex_Text(*value) : QString());
        show(row, Col_Unchanged, unchanged ? Monitor_Seconds_Text(*unchanged) : QString());
    }
    for (int i = 0; i < signals_.size() && int(config_.Rows.size()) + i < TB_Registers->rowCount(); ++i) {
        const int row = int(config_.Rows.size()) + i;
        const Signal_Note &n = signals_[i];
        const std::optional<Signal_Reading> reading = Read_Signal(n, Signal_Registers(n));
        std::optional<qint64> unchanged;
        for (const Note_Register &r : n.Registers)
            if (const std::optional<qint64> u = values_.Unchanged_Ms(n.Dir, uint16_t(r.Register), now))
                unchanged = unchanged ? std::min(*unchanged, *u) : *u;
        show(row, Col_Decimal, reading ? reading->Raw : QString());
        show(row, Col_Hex, reading ? reading->Raw_Hex : QString());
        show(row, Col_Unchanged, unchanged ? Monitor_Seconds_Text(*unchanged) : QString());
        show(row, Col_Value, reading ? reading->Value : QString());
    }
}

void Monitor_Window::Btn_ConnectClick()
{
    if (wanted_) {
        wanted_ = false;
        Stop_Connection();
        Set_Lang();
        return;
    }
    QString ip[4];
    const QString address = E_IP->text().trimmed();
    if (!Valid_IP(address, ip[0], ip[1], ip[2], ip[3])) {
        Show_Status(state_.STR(STR_Monitor_Bad_Address).arg(E_IP->text()), true);
        E_IP->setFocus();
        return;
    }
    // The address as the device's numbers say it, so "010" is ten wherever it is typed.
    QStringList parts;
    for (const QString &p : ip) parts << QString::number(Int_Text::Str_To_Int_Def(p, 0));
    host_ = parts.join(u'.');
    port_ = quint16(SE_Port->value());
    wanted_ = true;
    Btn_Connect->setText(state_.STR(STR_Monitor_Disconnect));
    Assign_Mnemonics(this);
    Start_Connection();
}

void Monitor_Window::Start_Connection()
{
    if (!wanted_) return;
    if (Link_State() != Modbus_Link::State::Unconnected) return;
    if (!link_) {
        QString why;
        link_ = Load_Modbus_Link({Module_Folder(state_)}, Reply_Limit_Ms, &why);
        if (!link_) {
            // Trying again would find the same: the user is told what is missing, and stays
            // disconnected.
            wanted_ = false;
            Set_Lang();
            Show_Status(state_.STR(STR_Monitor_No_Client).arg(why), true);
            return;
        }
        link_->On_State = [this](Modbus_Link::State state) { State_Changed(state); };
        // Said with the retry when the connection ends; a failed request says it itself.
        link_->On_Error = [this](const Link_Fault &fault) { last_reason_ = Link_Fault_Text(state_, fault); };
    }
    ++generation_;
    in_flight_ = 0;
    last_reason_.clear();
    connect_timer_->start(Connect_Limit_Ms);
    if (!link_->Connect_To(host_, port_)) Connection_Failed(Link_Fault_Text(state_, link_->Last_Fault()));
}

void Monitor_Window::Stop_Connection()
{
    retry_timer_->stop();
    poll_timer_->stop();
    connect_timer_->stop();
    ++generation_;
    in_flight_ = 0;
    if (link_) link_->Disconnect();
    status_is_error_ = false;
    Show_Status(state_.STR(STR_Monitor_Disconnected), false);
}

void Monitor_Window::Show_State()
{
    const App_State &s = state_;
    switch (Link_State()) {
    case Modbus_Link::State::Connecting:
        Show_Status(s.STR(STR_Monitor_Connecting).arg(host_).arg(port_), false);
        break;
    case Modbus_Link::State::Connected:
        Show_Status(s.STR(STR_Monitor_Connected).arg(host_).arg(port_), false);
        break;
    case Modbus_Link::State::Closing:
    case Modbus_Link::State::Unconnected:
        Show_Status(s.STR(STR_Monitor_Disconnected), false);
        break;
    }
}

void Monitor_Window::State_Changed(Modbus_Link::State state)
{
    switch (state) {
    case Modbus_Link::State::Connecting:
        Show_State();
        break;
    case Modbus_Link::State::Connected:
        connect_timer_->stop();
        Show_State();
        poll_timer_->start(SE_Period->value());
        Poll();
        break;
    case Modbus_Link::State::Closing:
        break;
    case Modbus_Link::State::Unconnected:
        poll_timer_->stop();
        connect_timer_->stop();
        ++generation_;
        in_flight_ = 0;
        if (wanted_)
            Connection_Failed(last_reason_.isEmpty() ? Link_Fault_Text(state_, link_->Last_Fault()) : last_reason_);
        else if (!status_is_error_)
            Show_State();
        break;
    }
}

void Monitor_Window::Connection_Failed(const QString &reason)
{
    if (!wanted_) return;
    const QString why = reason.isEmpty() ? state_.STR(STR_Monitor_Disconnected) : reason;
    Show_Status(state_.STR(STR_Monitor_Retrying).arg(why, Monitor_Seconds_Text(retry_ms_)), true);
    retry_timer_->start(retry_ms_);
}

void Monitor_Window::Poll()
{
    Refresh_Values();  // the "unchanged for" column moves on between answers too
    if (!Connected()) return;
    // A round still waiting for answers is not doubled: a slow device is asked no faster than
    // it answers.
    if (in_flight_ > 0) return;
    const quint64 generation = generation_;
    round_failed_ = false;
    for (const Monitor_Read &read : plan_) {
        // Counted before it is sent: an answer may come at once.
        ++in_flight_;
        const bool sent = link_->Read_Registers(
            read.Function == Monitor_Read_Input ? 4 : 3, Unit_Id, uint16_t(read.Start), uint16_t(read.Count),
            [this, read, generation](const Modbus_Link::Answer &answer) { Read_Finished(answer, read, generation); });
        if (!sent) {
            --in_flight_;
            round_failed_ = true;
            Show_Status(state_.STR(STR_Monitor_Read_Failed).arg(read.Start).arg(read.Start + read.Count - 1)
                            .arg(Link_Fault_Text(state_, link_->Last_Fault())), true);
        }
    }
}

void Monitor_Window::Read_Finished(const Modbus_Link::Answer &answer, const Monitor_Read &read, quint64 generation)
{
    if (generation != generation_) return;  // from a connection that has ended since
    if (in_flight_ > 0) --in_flight_;
    if (answer.Fault.Failed()) {
        round_failed_ = true;
        Show_Status(state_.STR(STR_Monitor_Read_Failed).arg(read.Start).arg(read.Start + read.Count - 1)
                        .arg(Link_Fault_Text(state_, answer.Fault)), true);
        return;
    }
    const QList<uint16_t> &values = answer.Values;
    if (!values_.Apply(read, values, clock_.Now_Ms())) {
        round_failed_ = true;
        Show_Status(state_.STR(STR_Monitor_Read_Failed).arg(read.Start).arg(read.Start + read.Count - 1)
                        .arg(state_.STR(STR_Monitor_Short_Answer).arg(values.size()).arg(read.Count)), true);
        return;
    }
    // A whole round answered without an error after one: the line says the connection again.
    // A round with an error keeps it on the line, however its other reads went.
    if (in_flight_ == 0 && !round_failed_ && status_is_error_ && Connected())
        Show_Status(state_.STR(STR_Monitor_Connected).arg(host_).arg(port_), false);
    Refresh_Values();
}

void Monitor_Window::Show_Status(const QString &text, bool error)
{
    status_is_error_ = error;
    L_Status->setText(text);
    L_Status->setStyleSheet(error ? QStringLiteral("color: #b00000;") : QString());
}

void Monitor_Window::closeEvent(QCloseEvent *event)
{
    wanted_ = false;
    Stop_Connection();
    Set_Lang();
    QDialog::closeEvent(event);
}

void Monitor_Window::hideEvent(QHideEvent *event)
{
    // However the window goes (closed, Escape, hidden by the program), it stops asking the
    // device. Minimised is not gone: the window system's own hide keeps the connection.
    if (!event->spontaneous() && (wanted_ || Link_State() != Modbus_Link::State::Unconnected)) {
        wanted_ = false;
        Stop_Connection();
        Set_Lang();
    }
    QDialog::hideEvent(event);
}
