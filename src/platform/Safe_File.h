#pragma once
// File access for folders that come from others. A configuration folder may hold symbolic
// links, FIFOs or device nodes where files are expected, and files of any size; reading must
// neither hang nor read without end, and writing must never reach a file outside through a link.
#include <QByteArray>
#include <QList>
#include <QString>
#include <stdexcept>
#include <utility>

class File_Access_Error : public std::runtime_error {
public:
    File_Access_Error(const QString &file, const QString &reason);
    QString File;
    QString Reason;
};

// The most a text file of ours (configuration XML, settings, update job, language file) may
// hold: far above any real one, low enough that a bad file cannot take the memory.
constexpr qint64 Text_File_Limit = qint64(16) * 1024 * 1024;

// The reason for an error number ("No space left on device"): the reasons files commonly fail
// with go through Core_Text, in the C library's English; any other is the system's own text.
QString System_Error_Text(int error_number);

// Reads a whole file that is, after following links, a regular file of at most limit bytes.
// Anything else (a FIFO, a device, a folder) is refused before it is read, so nothing blocks.
// Throws File_Access_Error naming the file and, for a long one, the limit.
QByteArray Read_Regular_File(const QString &path, qint64 limit);
// The same for a path given in the system's own bytes (a name that is not valid UTF-8 has no
// QString that leads back to it); shown names the file in messages.
QByteArray Read_Regular_File(const QByteArray &native_path, const QString &shown, qint64 limit);

// The size of a regular file (links followed), without reading it; throws like the reader.
qint64 Regular_File_Size(const QString &path);

// Replaces files by writing a temporary file beside each and renaming it over the name. The
// rename replaces the directory entry itself: a symbolic link standing there is replaced, never
// the file it points to, and a hard link keeps its other names on the old bytes. A folder that
// is itself a symbolic link is refused, so a configuration cannot send its files elsewhere.
// Every file is staged in full before the first rename, so a failure while writing leaves all
// of them as they were. Throws File_Access_Error naming the file and the system's reason.
void Replace_Files(const QList<std::pair<QString, QByteArray>> &files);
