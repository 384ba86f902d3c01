#include "platform/File_Error.h"

// The file name and the reason are joined, not put through arg(): a "%2" in a folder's name
// would otherwise be taken for a place holder.
File_Error::File_Error(const QString &file, const QString &reason)
    : File_Error(file, reason, file + QStringLiteral(": ") + reason)
{
}

File_Error::File_Error(const QString &file, const QString &reason, const QString &message)
    : std::runtime_error(message.toUtf8().toStdString()), File(file), Reason(reason)
{
}

QString File_Error::Text() const { return QString::fromUtf8(what()); }
