#pragma once
// File access for folders that come from others. A configuration folder may hold symbolic
// links, FIFOs or device nodes where files are expected, and files of any size; reading must
// neither hang nor read without end, and writing must never reach a file outside through a link.
#include "platform/File_Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <stdexcept>
#include <utility>

// Reading or writing a file's bytes failed (see File_Error).
class File_Access_Error : public File_Error {
public:
    using File_Error::File_Error;
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
//
// Files of one folder are replaced together even across a crash or a power cut: once all are
// staged, a small journal in the folder (Replace_Journal_Name) names them before the first
// rename and goes after the last. Whoever next reads or saves in that folder finds a journal
// left behind and finishes its renames first, so a reader sees all the old files or all the
// new ones, never a mix. Saves of ours into one folder take turns (a lock on the folder), and
// each save first removes the temporaries that killed saves left there. Files in different
// folders are each replaced with their own folder's files.
void Replace_Files(const QList<std::pair<QString, QByteArray>> &files);
// One file alone, for the files that are no XML of ours (documents, sheets, logs); throws
// File_Access_Error likewise.
void Replace_File(const QString &path, const QByteArray &bytes);

// The same, calling after_step after each step of the save: 1 once every file is staged, then
// (for two files or more in a folder) once the journal is in place, once after each rename, and
// once the journal is gone. For tests that stop a save part way, as a crash would.
void Replace_Files(const QList<std::pair<QString, QByteArray>> &files, const std::function<void(int step)> &after_step);

// The journal's name in a folder, and whether a name is one of our temporary files
// (".<name>.<random>.tmp").
extern const char Replace_Journal_Name[];
bool Is_Replace_Temporary(const QString &file_name);

// Finishes in the folder a save that a crash cut short (see Replace_Files) and removes the
// temporaries of ours left there. Reads and saves do this by themselves; a reader that takes a
// missing file for its default asks Settled_File_Exists instead of looking at the name alone.
// Does nothing where it cannot write.
void Settle_Folder(const QString &folder);
bool Settled_File_Exists(const QString &path);
