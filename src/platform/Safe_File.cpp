#include "platform/Safe_File.h"

#include "platform/Core_Text.h"
#include "platform/Safe_Folder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

using namespace Safe_File_Internal;

QString System_Error_Text(int error_number)
{
    // The reasons a user meets with files have words of ours, so they follow the chosen
    // language rather than the system's; their English is the system's own.
    switch (error_number) {
    case ENOENT: return Core_Text("No such file or directory");
    case EACCES: return Core_Text("Permission denied");
    case EPERM: return Core_Text("Operation not permitted");
    case ENOSPC: return Core_Text("No space left on device");
#ifdef EDQUOT
    case EDQUOT: return Core_Text("Disk quota exceeded");
#endif
    case EROFS: return Core_Text("Read-only file system");
    case EISDIR: return Core_Text("Is a directory");
    case ENOTDIR: return Core_Text("Not a directory");
#ifdef ELOOP
    case ELOOP: return Core_Text("Too many levels of symbolic links");
#endif
    case ENAMETOOLONG: return Core_Text("File name too long");
    case EIO: return Core_Text("Input/output error");
    default: return QString::fromLocal8Bit(std::strerror(error_number));
    }
}

namespace {

QString Too_Long_Text(qint64 size, qint64 limit)
{
    return Core_Text("the file holds %1 bytes, more than the limit of %2 bytes for a file of its kind")
        .arg(size)
        .arg(limit);
}

}  // namespace

#ifdef Q_OS_UNIX

namespace {

// Whole sentences, one per kind, so that each language can say it its own way.
QString Not_Regular_Text(mode_t mode)
{
    if (S_ISDIR(mode)) return Core_Text("is a folder, not a regular file; it is not read");
    if (S_ISFIFO(mode)) return Core_Text("is a FIFO, not a regular file; it is not read");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Core_Text("is a device, not a regular file; it is not read");
    if (S_ISSOCK(mode)) return Core_Text("is a socket, not a regular file; it is not read");
    return Core_Text("is not a plain file, not a regular file; it is not read");
}

}  // namespace

QByteArray Read_Regular_File(const QByteArray &native_path, const QString &shown, qint64 limit)
{
    // The type is checked before the open (a FIFO would block it) and again on the descriptor,
    // in case the name was swapped in between; O_NONBLOCK keeps even that open from waiting.
    Settle_Before_Reading(native_path);
    struct stat st {};
    if (::stat(native_path.constData(), &st) != 0) throw File_Access_Error(shown, System_Error_Text(errno));
    if (!S_ISREG(st.st_mode)) throw File_Access_Error(shown, Not_Regular_Text(st.st_mode));
    if (st.st_size > limit) throw File_Access_Error(shown, Too_Long_Text(st.st_size, limit));

    const Fd file(::open(native_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd < 0) throw File_Access_Error(shown, System_Error_Text(errno));
    if (::fstat(file.fd, &st) != 0) throw File_Access_Error(shown, System_Error_Text(errno));
    if (!S_ISREG(st.st_mode)) throw File_Access_Error(shown, Not_Regular_Text(st.st_mode));
    if (st.st_size > limit) throw File_Access_Error(shown, Too_Long_Text(st.st_size, limit));

    // Read one byte past the limit, so a file that grows while it is read is caught too.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qint64 have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have > limit) throw File_Access_Error(shown, Too_Long_Text(have, limit));
            bytes.resize(qsizetype(qMin<qint64>(limit + 1, have * 2 + 4096)));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + have, size_t(bytes.size() - have));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw File_Access_Error(shown, System_Error_Text(errno));
        }
        if (n == 0) break;
        have += n;
    }
    if (have > limit) throw File_Access_Error(shown, Too_Long_Text(have, limit));
    bytes.truncate(qsizetype(have));
    return bytes;
}

qint64 Regular_File_Size(const QString &path)
{
    Settle_Before_Reading(QFile::encodeName(path));
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) throw File_Access_Error(path, System_Error_Text(errno));
    if (!S_ISREG(st.st_mode)) throw File_Access_Error(path, Not_Regular_Text(st.st_mode));
    return qint64(st.st_size);
}

#else  // Systems without the POSIX calls: a bounded read through Qt.

QByteArray Read_Regular_File(const QByteArray &native_path, const QString &shown, qint64 limit)
{
    Settle_Before_Reading(native_path);
    const QString path = QFile::decodeName(native_path);
    const QFileInfo info(path);
    if (!info.isFile()) throw File_Access_Error(shown, Core_Text("is not a regular file; it is not read"));
    if (info.size() > limit) throw File_Access_Error(shown, Too_Long_Text(info.size(), limit));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw File_Access_Error(shown, file.errorString());
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) throw File_Access_Error(shown, file.errorString());
    if (bytes.size() > limit) throw File_Access_Error(shown, Too_Long_Text(bytes.size(), limit));
    return bytes;
}

qint64 Regular_File_Size(const QString &path)
{
    Settle_Before_Reading(QFile::encodeName(path));
    const QFileInfo info(path);
    if (!info.isFile()) throw File_Access_Error(path, Core_Text("is not a regular file"));
    return info.size();
}

#endif

QByteArray Read_Regular_File(const QString &path, qint64 limit)
{
    return Read_Regular_File(QFile::encodeName(path), path, limit);
}
