#pragma once
// A signal's value as the register monitor shows and writes it, from the registers that carry
// it (see Signal_Recipe.h): the physical value with its unit or its value table's text, the raw
// value, and the register values a write of a physical value leaves, the other signals of the
// same registers kept. No window and no socket here.
#include "exchange/Signal_Notes.h"

#include <QList>
#include <QString>
#include <optional>

// The notes that still describe registers of mapped (see Note_Applies) and hold a recipe.
QList<Signal_Note> Live_Signal_Notes(const QList<Signal_Note> &notes, const Mapped_Registers &mapped);

struct Signal_Reading {
    QString Value;  // "1234.5 rpm", or the value table's text ("On")
    QString Raw;    // the raw value in decimal ("-3"), as the recipe reads the bits
    QString Raw_Hex;  // the raw bits ("0x0FFD")
};

// The reading of a signal from its registers' values (high word first); none while one of them
// has not been read.
std::optional<Signal_Reading> Read_Signal(const Signal_Note &note, const QList<std::optional<uint16_t>> &registers);

// A physical value the user typed: a number (a decimal point, blanks around it allowed), or a
// text of the signal's value table, which stands for its raw value.
std::optional<double> Parse_Physical(const Signal_Note &note, const QString &text);

struct Signal_Write {
    QList<std::pair<int32_t, uint16_t>> Writes;  // register and value, only those that change
    QString Why;                                 // empty when the value can be written
};

// The register writes that put a physical value into a signal: its bits replaced, every other
// bit of its registers as they were read. Refused (Why) for a value outside the signal's range
// or bits, and while a register has not been read.
Signal_Write Plan_Signal_Write(const Signal_Note &note, double physical, const QList<std::optional<uint16_t>> &registers);
