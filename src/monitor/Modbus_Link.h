#pragma once
// The monitor's connection to a Modbus TCP server, as plain requests and answers. The client
// behind it (Qt SerialBus over Qt Network, and the proxy and Kerberos libraries those bring)
// lives in a module of its own, loaded when the monitor first connects: starting the program
// loads none of it, and a program without the module still starts and says what is missing
// when the user connects.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class Modbus_Link {
public:
    enum class State { Unconnected, Connecting, Connected, Closing };
    // What a request got back: Error is empty when it succeeded.
    struct Answer {
        QString Error;
        QList<uint16_t> Values;
    };
    using Done = std::function<void(const Answer &)>;

    virtual ~Modbus_Link() = default;

    // Told of each change of state and of each error, in the client's own words. Neither is
    // called once the link is destroyed.
    std::function<void(State)> On_State;
    std::function<void(const QString &)> On_Error;

    virtual State Link_State() const = 0;
    // The last error, in the client's words.
    virtual QString Error_Text() const = 0;
    // Starts connecting; false when it cannot even start (Error_Text says why).
    virtual bool Connect_To(const QString &host, uint16_t port) = 0;
    virtual void Disconnect() = 0;
    // Reads count registers from start: function 3 (holding) or 4 (input). False when the
    // request could not be sent (Error_Text says why); otherwise done is called once, at once or
    // later, unless the link is destroyed first.
    virtual bool Read_Registers(int function, int unit, uint16_t start, uint16_t count, Done done) = 0;
    // Writes one register (function 6), with the same promise.
    virtual bool Write_Register(int unit, uint16_t reg, uint16_t value, Done done) = 0;
};

// The module is a Qt plugin whose one object makes links. The interface's id carries its
// version: a Modbus_Link or Modbus_Link_Factory that changes shape gets a new one, and a module
// built against another version is refused by its metadata, before any of its code runs.
class Modbus_Link_Factory {
public:
    virtual ~Modbus_Link_Factory() = default;
    // A new link, owned by the caller. A request not answered within reply_limit_ms fails.
    virtual Modbus_Link *Make_Link(int reply_limit_ms) = 0;
};
#define QCX_MODBUS_LINK_FACTORY_IID "org.qcx3310.Modbus_Link_Factory/1"
Q_DECLARE_INTERFACE(Modbus_Link_Factory, QCX_MODBUS_LINK_FACTORY_IID)

// The module's file: its base name (the platform adds its suffix).
inline constexpr char Modbus_Module_Name[] = "qcx3310_modbus";

// Makes a link with the module found in dirs, the first that holds it: only that very file is
// loaded, never a module of that name from the system's library path. Null when no folder holds
// it or it cannot be used; why then names the module and the reason (not found, not a plugin,
// built for another version, made no link).
std::unique_ptr<Modbus_Link> Load_Modbus_Link(const QStringList &dirs, int reply_limit_ms, QString *why);
