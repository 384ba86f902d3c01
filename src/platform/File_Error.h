#pragma once
// A file that cannot be read or written: the file and the reason, shown as "<file>: <reason>".
// Every error of ours about a file is one: the files read and written as bytes (File_Access_Error)
// and the XML files, whose errors also carry a place in the text (Xml_Error). An operation that
// both reads a configuration and writes a document or an image catches this one type.
#include <QString>

#include <stdexcept>

class File_Error : public std::runtime_error {
public:
    File_Error(const QString &file, const QString &reason);
    QString File;
    QString Reason;
    // what(), as the text it was made from.
    QString Text() const;

protected:
    // For errors whose message says more than file and reason (an XML error's place).
    File_Error(const QString &file, const QString &reason, const QString &message);
};
