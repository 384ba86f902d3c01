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

// Why a connection or a request failed: a kind that the window says in the user's language,
// and the client's own words (in English, as Qt gives them) for the kinds that need them.
struct Link_Fault {
    enum class Kind {
        None,
        Refused,         // nothing listens at the address and port
        Unreachable,     // the network has no way to the address
        Host_Not_Found,  // the name has no address
        Closed,          // the device ended the connection
        Timeout,         // the connection or the answer did not come in time
        Exception,       // the device answered with a Modbus exception (Exception_Code)
        Aborted,         // the request was cut off when the connection ended
        Not_Connected,   // a request with no connection to go on
        Protocol,        // an answer that is no valid Modbus answer
        Other,           // anything else: Detail says what
    };
    Kind What = Kind::None;
    QString Detail;
    int Exception_Code = 0;

    bool Failed() const { return What != Kind::None; }
    bool operator==(const Link_Fault &) const = default;
};

class Modbus_Link {
public:
    enum class State { Unconnected, Connecting, Connected, Closing };
    // What a request got back: Fault is None when it succeeded.
    struct Answer {
        Link_Fault Fault;
        QList<uint16_t> Values;
    };
    using Done = std::function<void(const Answer &)>;

    virtual ~Modbus_Link() = default;

    // Told of each change of state and of each error. Neither is called once the link is
    // destroyed.
    std::function<void(State)> On_State;
    std::function<void(const Link_Fault &)> On_Error;

    virtual State Link_State() const = 0;
    // The last error.
    virtual Link_Fault Last_Fault() const = 0;
    // Starts connecting; false when it cannot even start (Last_Fault says why).
    virtual bool Connect_To(const QString &host, uint16_t port) = 0;
    virtual void Disconnect() = 0;
    // Reads count registers from start: function 3 (holding) or 4 (input). False when the
    // request could not be sent (Last_Fault says why); otherwise done is called once, at once or
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
