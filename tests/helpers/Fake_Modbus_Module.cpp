// A stand-in for the monitor's Modbus module, built as a plugin file of the same name into a
// folder of the tests' own: its links need no server. Register n holds n until it is written;
// a connection to port 0 fails as a refused one would.
#include "monitor/Modbus_Link.h"

#include <QHash>
#include <QObject>
#include <QtPlugin>

namespace {

class Fake_Modbus_Link : public Modbus_Link {
public:
    State Link_State() const override { return state_; }
    Link_Fault Last_Fault() const override { return fault_; }
    bool Connect_To(const QString &host, uint16_t port) override
    {
        if (port == 0) {
            fault_ = Link_Fault{Link_Fault::Kind::Refused, QStringLiteral("Connection refused"), 0};
            if (On_Error) On_Error(fault_);
            return false;
        }
        host_ = host;
        Set_State(State::Connected);
        return true;
    }
    void Disconnect() override { Set_State(State::Unconnected); }
    bool Read_Registers(int function, int unit, uint16_t start, uint16_t count, Done done) override
    {
        Q_UNUSED(function);
        Q_UNUSED(unit);
        if (state_ != State::Connected) return false;
        Answer answer;
        for (uint16_t i = 0; i < count; ++i) answer.Values.append(registers_.value(uint16_t(start + i), uint16_t(start + i)));
        done(answer);
        return true;
    }
    bool Write_Register(int unit, uint16_t reg, uint16_t value, Done done) override
    {
        Q_UNUSED(unit);
        if (state_ != State::Connected) return false;
        registers_[reg] = value;
        done(Answer{{}, {value}});
        return true;
    }

private:
    void Set_State(State state)
    {
        state_ = state;
        if (On_State) On_State(state);
    }
    State state_ = State::Unconnected;
    Link_Fault fault_;
    QString host_;
    QHash<uint16_t, uint16_t> registers_;
};

}  // namespace

class Fake_Modbus_Module : public QObject, public Modbus_Link_Factory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QCX_MODBUS_LINK_FACTORY_IID)
    Q_INTERFACES(Modbus_Link_Factory)
public:
    Modbus_Link *Make_Link(int reply_limit_ms) override
    {
        Q_UNUSED(reply_limit_ms);
        return new Fake_Modbus_Link;
    }
};

#include "Fake_Modbus_Module.moc"
