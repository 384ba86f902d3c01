// The monitor's write path: a value typed into a transmit register's cell, or a physical value
// into a transmit signal's, checked and sent to the device, and what became of it said in the
// status line.
#include "dialogs/Monitor_Window.h"

#include "dialogs/Monitor_Status.h"
#include "exchange/Signal_Values.h"

#include <QTableWidget>
#include <QTimer>

void Monitor_Window::Cell_Edited(QTableWidgetItem *item, const QString &text)
{
    if (!item) return;
    const int row = item->row();
    if (row >= config_.Rows.size() && row < config_.Rows.size() + signals_.size() && item->column() == Col_Value) {
        const Signal_Note note = signals_[row - config_.Rows.size()];
        QTimer::singleShot(0, this, &Monitor_Window::Refresh_Values);
        if (note.Dir == Direction::Transmit) Write_Signal(note, text);
        return;
    }
    if (row < 0 || row >= config_.Rows.size()) return;
    const Monitor_Row &r = config_.Rows[row];
    if (r.Dir != Direction::Transmit || (item->column() != Col_Decimal && item->column() != Col_Hex)) return;
    // In the hexadecimal column bare digits are hexadecimal, as the column shows them.
    const std::optional<uint16_t> value = Parse_Register_Value(text, item->column() == Col_Hex);
    // What was typed leaves the cell either way: it shows what the device holds.
    QTimer::singleShot(0, this, &Monitor_Window::Refresh_Values);
    if (!value) {
        Show_Status(state_.STR(STR_Monitor_Bad_Value).arg(text), true);
        return;
    }
    Write_Register(r.Register, *value);
}

void Monitor_Window::Write_Signal(const Signal_Note &note, const QString &text)
{
    const App_State &s = state_;
    const std::optional<double> physical = Parse_Physical(note, text);
    if (!physical) {
        Show_Status(s.STR(STR_Monitor_Bad_Value).arg(text), true);
        return;
    }
    if (!Connected()) {
        Show_Status(s.STR(STR_Monitor_Signal_Refused).arg(note.Signal, text, s.STR(STR_Monitor_Disconnected)), true);
        return;
    }
    // The signal's registers as last read, its own bits replaced: the signals sharing them keep
    // their values.
    const Signal_Write plan = Plan_Signal_Write(note, *physical, Signal_Registers(note));
    if (!plan.Why.isEmpty()) {
        Show_Status(s.STR(STR_Monitor_Signal_Refused).arg(note.Signal, text, plan.Why), true);
        return;
    }
    for (const auto &[reg, value] : plan.Writes) Write_Register(uint16_t(reg), value);
}

void Monitor_Window::Write_Register(uint16_t reg, uint16_t value)
{
    const App_State &s = state_;
    if (!Connected()) {
        Show_Status(s.STR(STR_Monitor_Write_Failed).arg(reg).arg(value).arg(s.STR(STR_Monitor_Disconnected)), true);
        return;
    }
    auto finished = [this, reg, value](const Modbus_Link::Answer &answer) {
        const App_State &s = state_;
        if (answer.Fault.Failed()) {
            Show_Status(s.STR(STR_Monitor_Write_Failed).arg(reg).arg(value).arg(Link_Fault_Text(s, answer.Fault)), true);
        } else {
            values_.Set(Direction::Transmit, reg, value, clock_.Now_Ms());
            Show_Status(s.STR(STR_Monitor_Written).arg(reg).arg(value), false);
        }
        Refresh_Values();
    };
    if (!link_->Write_Register(Unit_Id, reg, value, finished))
        Show_Status(s.STR(STR_Monitor_Write_Failed).arg(reg).arg(value).arg(Link_Fault_Text(s, link_->Last_Fault())), true);
}
