#pragma once
// A CAN bus reached through one of Qt's CAN plugins ("virtualcan:can0", "socketcan:can0"), for
// the emulator and qcx3310-cli's can-send and can-dump alike.
#include "device/Can_Frame.h"

#include <QCanBusDevice>
#include <QCanBusFrame>
#include <functional>
#include <memory>
#include <optional>

// The virtual bus plugin tells every connection and every hub it starts; that belongs in a
// debugging session, not between a program's own lines. Its warnings still show.
void Quiet_Can_Plugins();

// The device for a bus, not yet connected. bit_rate (bit/s) is set where the plugin takes one;
// the virtual bus has none. nullptr, and the reason in *error (without the bus's name), for a
// plugin that is not installed or an interface it refuses.
std::unique_ptr<QCanBusDevice> Create_Can_Device(const Can_Interface &bus, std::optional<uint32_t> bit_rate,
                                                 QString *error);

QCanBusFrame To_Qt_Frame(const Can_Frame &frame);
// No value for what is not a data or remote frame (an error frame of the controller, say).
std::optional<Can_Frame> From_Qt_Frame(const QCanBusFrame &frame);

// Whether a frame sent on this bus now can reach anyone. The virtual bus exists only while some
// program holds its hub (a local TCP server that the first program on the bus starts); the
// first program alone talks to no one. Always true for other plugins.
bool Bus_Has_Others(const Can_Interface &bus);

// The virtual bus's hub passes on whatever line any local program sends it, and Qt's virtual
// bus plugin takes every line it gets for a frame: an empty line or one without its two '#'
// brings the whole program down inside the plugin. For a virtual bus this takes the lines of the
// device's connection to the hub from the plugin and reads them here: a frame line becomes a
// received frame of the device (framesReceived as before), the hub's "disconnect" ends the
// connection (frames after it are not taken), and anything else goes to bad_line and is dropped.
// Call it right after connectDevice() succeeded; other plugins are left as they are.
void Guard_Virtual_Bus_Lines(QCanBusDevice *device, const Can_Interface &bus,
                             std::function<void(const QByteArray &line)> bad_line);

// One line from the virtual bus's hub read as a frame ("<decimal id>#<flags>#<hex data>"); no
// value for anything else. Flags are the plugin's letters: R remote, X 29-bit, F and B CAN FD,
// E error state, L local echo.
std::optional<QCanBusFrame> Virtual_Bus_Frame(const QByteArray &line);
