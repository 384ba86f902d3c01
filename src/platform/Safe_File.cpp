#include "platform/Safe_File.h"

#include "platform/Core_Text.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

File_Access_Error::File_Access_Error(const QString &file, const QString &reason)
    : std::runtime_error(QStringLiteral("%1: %2").arg(file, reason).toStdString()), File(file), Reason(reason)
{
}

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

// Closes a descriptor when it leaves scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd()
    {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

QByteArray Read_Regular_File(const QByteArray &native_path, const QString &shown, qint64 limit)
{
    // The type is checked before the open (a FIFO would block it) and again on the descriptor,
    // in case the name was swapped in between; O_NONBLOCK keeps even that open from waiting.
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
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) throw File_Access_Error(path, System_Error_Text(errno));
    if (!S_ISREG(st.st_mode)) throw File_Access_Error(path, Not_Regular_Text(st.st_mode));
    return qint64(st.st_size);
}

namespace {

// One file written in full under a temporary name in its folder, waiting for its rename.
struct Staged {
    QString Path;
    int Dir = -1;
    QByteArray Name;
    QByteArray Temp;
    bool Done = false;

    Staged() = default;
    Staged(const Staged &) = delete;
    Staged &operator=(const Staged &) = delete;
    ~Staged()
    {
        if (!Temp.isEmpty() && !Done) ::unlinkat(Dir, Temp.constData(), 0);
        if (Dir >= 0) ::close(Dir);
    }
};

bool Write_All(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += n;
    }
    return true;
}

std::unique_ptr<Staged> Stage(const QString &path, const QByteArray &bytes)
{
    auto s = std::make_unique<Staged>();
    s->Path = path;
    const QFileInfo info(path);
    // The folder as named, not made absolute: a program working inside a folder whose name
    // Qt cannot hold uses relative paths, and the current folder's QString would not lead back.
    const QString folder = info.path();
    s->Name = QFile::encodeName(info.fileName());
    if (s->Name.isEmpty()) throw File_Access_Error(path, Core_Text("no file name"));

    // The folder is opened without following a link in its last step, and every later step works
    // relative to that descriptor: the temporary file and the rename stay in the very folder
    // that was checked, even if a name on the way is swapped meanwhile.
    s->Dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (s->Dir < 0) {
        const int error = errno;
        struct stat lst {};
        if (::lstat(QFile::encodeName(folder).constData(), &lst) == 0 && S_ISLNK(lst.st_mode))
            throw File_Access_Error(path, Core_Text("the folder %1 is a symbolic link; no file is written "
                                                    "through a link, make it a real folder")
                                              .arg(folder));
        throw File_Access_Error(path, Core_Text("the folder %1: %2").arg(folder, System_Error_Text(error)));
    }

    // A file being replaced keeps its permissions; a new file (or one replacing a link) gets the
    // usual ones for new files.
    struct stat old {};
    mode_t mode = 0;
    if (::fstatat(s->Dir, s->Name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(old.st_mode)) throw File_Access_Error(path, Core_Text("is a folder"));
        if (S_ISREG(old.st_mode)) mode = old.st_mode & 07777;
    }

    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        s->Temp = "." + s->Name + "." + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::openat(s->Dir, s->Temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 20)) {
            const int error = errno;
            s->Temp.clear();
            throw File_Access_Error(path, System_Error_Text(error));
        }
    }
    const Fd temp(fd);
    if (mode != 0) ::fchmod(temp.fd, mode);
    // fsync makes the bytes reach the disk before the rename makes them the file's; a full disk
    // is often reported only here.
    if (!Write_All(temp.fd, bytes) || ::fsync(temp.fd) != 0) throw File_Access_Error(path, System_Error_Text(errno));
    return s;
}

}  // namespace

void Replace_Files(const QList<std::pair<QString, QByteArray>> &files)
{
    std::vector<std::unique_ptr<Staged>> staged;
    for (const auto &[path, bytes] : files) staged.push_back(Stage(path, bytes));
    // Unwinding removes the temporaries not yet renamed; the files keep their old bytes.
    for (const auto &s : staged) {
        if (::renameat(s->Dir, s->Temp.constData(), s->Dir, s->Name.constData()) != 0)
            throw File_Access_Error(s->Path, System_Error_Text(errno));
        s->Done = true;
    }
    // The renames themselves reach the disk with the folder.
    for (const auto &s : staged) ::fsync(s->Dir);
}

#else  // Systems without the POSIX calls: Qt's own atomic save and a bounded read.

QByteArray Read_Regular_File(const QByteArray &native_path, const QString &shown, qint64 limit)
{
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
    const QFileInfo info(path);
    if (!info.isFile()) throw File_Access_Error(path, Core_Text("is not a regular file"));
    return info.size();
}

void Replace_Files(const QList<std::pair<QString, QByteArray>> &files)
{
    std::vector<std::unique_ptr<QSaveFile>> staged;
    for (const auto &[path, bytes] : files) {
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly) || file->write(bytes) != bytes.size())
            throw File_Access_Error(path, file->errorString());
        staged.push_back(std::move(file));
    }
    for (size_t i = 0; i < staged.size(); ++i)
        if (!staged[i]->commit()) throw File_Access_Error(files[qsizetype(i)].first, staged[i]->errorString());
}

#endif

QByteArray Read_Regular_File(const QString &path, qint64 limit)
{
    return Read_Regular_File(QFile::encodeName(path), path, limit);
}
