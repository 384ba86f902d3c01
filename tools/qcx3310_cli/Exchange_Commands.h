#pragma once
// qcx3310-cli's roads in and out of a configuration: frames and registers from a CAN database,
// frame lists and mappings to and from spreadsheets (CSV). Each takes the words after its
// command name and returns the program's exit status.
#include <QStringList>

int Import_Dbc(const QStringList &args);
int Export_List(const QStringList &args);
int Import_List(const QStringList &args);
int Export_Map(const QStringList &args);
