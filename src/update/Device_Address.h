#pragma once
// The converter's address as the update dialog handles it: four texts, one per part.
#include <QString>

// Splits an address text into its four parts and checks them. The text is trimmed; the parts
// are the trimmed texts around the first three dots (the fourth part takes the rest, further
// dots included). Each part must convert as an integer (decimal, or hexadecimal with its
// prefix) to a value from 0 to 255. The parts written before a failure keep their values, but
// only a true result makes them meaningful.
bool Valid_IP(const QString &IP, QString &ip1, QString &ip2, QString &ip3, QString &ip4);

// The four field texts joined by dots, exactly as typed (no trimming, no checking).
QString Join_IP(const QString &ip1, const QString &ip2, const QString &ip3, const QString &ip4);
