#pragma once
// The folder that the safe writes and the settling of a crashed save work in, held open so that
// every step stays in the folder that was checked. Shared by the readers (which first finish a
// save that a crash cut short) and the replacing of files; nothing outside src/platform uses it.
#include "platform/Safe_File.h"

#include "platform/Core_Text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QLockFile>
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#endif

namespace Safe_File_Internal {

// Finishes a save that a crash cut short in the folder of a file about to be read.
void Settle_Before_Reading(const QByteArray &native_path);

#ifdef Q_OS_UNIX

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

inline bool Write_All(int fd, const QByteArray &bytes)
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

// A folder that files are written into, held open: every step works relative to it, so the
// temporary files, the renames and the journal stay in the very folder that was checked, even
// if a name on the way is swapped meanwhile.
class Folder {
public:
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    ~Folder()
    {
        if (fd_ >= 0) ::close(fd_);  // also ends the lock
    }

    // The folder as named, not made absolute: a program working inside a folder whose name Qt
    // cannot hold uses relative paths, and the current folder's QString would not lead back.
    // Opened without following a link in its last step; throws naming file.
    static std::unique_ptr<Folder> Open(const QString &folder, const QString &file)
    {
        const QByteArray native = QFile::encodeName(folder);
        std::unique_ptr<Folder> f(new Folder(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
        if (f->fd_ < 0) {
            const int error = errno;
            struct stat lst {};
            if (::lstat(native.constData(), &lst) == 0 && S_ISLNK(lst.st_mode))
                throw File_Access_Error(file, Core_Text("the folder %1 is a symbolic link; no file is written "
                                                        "through a link, make it a real folder")
                                                  .arg(folder));
            throw File_Access_Error(file, Core_Text("the folder %1: %2").arg(folder, System_Error_Text(error)));
        }
        f->Identify();
        return f;
    }
    // Quietly nothing where the folder cannot be had (or is a link, where no save of ours
    // writes).
    static std::unique_ptr<Folder> Open_Quietly(const QByteArray &native)
    {
        std::unique_ptr<Folder> f(new Folder(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
        if (f->fd_ < 0) return nullptr;
        f->Identify();
        return f;
    }

    bool Same_As(const Folder &other) const { return dev_ == other.dev_ && ino_ == other.ino_; }
    bool Before(const Folder &other) const { return dev_ != other.dev_ ? dev_ < other.dev_ : ino_ < other.ino_; }

    // Saves of ours into one folder take turns. A file system without locks still gets the
    // save, only without the turns.
    void Lock()
    {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    // What stands at the name without following a link: 0 for nothing.
    mode_t Kind(const QByteArray &name) const
    {
        struct stat st {};
        if (::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
        return st.st_mode;
    }
    bool Has_Regular(const QByteArray &name) const { return S_ISREG(Kind(name)); }

    std::optional<QByteArray> Read_Small(const QByteArray &name, qint64 limit) const
    {
        const Fd file(::openat(fd_, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat st {};
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit) return std::nullopt;
        QByteArray bytes(qsizetype(limit) + 1, Qt::Uninitialized);
        qint64 have = 0;
        for (;;) {
            const ssize_t n = ::read(file.fd, bytes.data() + have, size_t(bytes.size() - have));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return std::nullopt;
            if (n == 0) break;
            have += n;
            if (have > limit) return std::nullopt;
        }
        bytes.truncate(qsizetype(have));
        return bytes;
    }

    // Writes bytes in full under a new temporary name for name and returns that name. A file
    // being replaced keeps its permissions; a new file (or one replacing a link) gets the usual
    // ones for new files. Throws naming file.
    QByteArray Stage(const QByteArray &name, const QByteArray &bytes, const QString &file)
    {
        const mode_t old = Kind(name);
        if (S_ISDIR(old)) throw File_Access_Error(file, Core_Text("is a folder"));
        const mode_t mode = S_ISREG(old) ? (old & 07777) : 0;
        QByteArray temp;
        int fd = -1;
        for (int attempt = 0; fd < 0; ++attempt) {
            temp = "." + name + "." + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
            fd = ::openat(fd_, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0 && (errno != EEXIST || attempt > 20)) throw File_Access_Error(file, System_Error_Text(errno));
        }
        const Fd staged(fd);
        if (mode != 0) ::fchmod(staged.fd, mode);
        // fsync makes the bytes reach the disk before the rename makes them the file's; a full
        // disk is often reported only here.
        if (!Write_All(staged.fd, bytes) || ::fsync(staged.fd) != 0) {
            const int error = errno;
            Remove(temp);
            throw File_Access_Error(file, System_Error_Text(error));
        }
        return temp;
    }

    // Empty when done, else the reason.
    QString Rename(const QByteArray &from, const QByteArray &to)
    {
        if (::renameat(fd_, from.constData(), fd_, to.constData()) == 0) return {};
        return System_Error_Text(errno);
    }
    void Remove(const QByteArray &name) { ::unlinkat(fd_, name.constData(), 0); }

    QList<QByteArray> Names() const
    {
        QList<QByteArray> names;
        const int copy = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (copy < 0) return names;
        DIR *dir = ::fdopendir(copy);
        if (!dir) {
            ::close(copy);
            return names;
        }
        while (const dirent *entry = ::readdir(dir)) names.append(QByteArray(entry->d_name));
        ::closedir(dir);
        return names;
    }

    // The renames themselves reach the disk with the folder.
    void Sync() { ::fsync(fd_); }

private:
    explicit Folder(int fd) : fd_(fd) {}
    void Identify()
    {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0) {
            dev_ = st.st_dev;
            ino_ = st.st_ino;
        }
    }
    int fd_ = -1;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

inline QByteArray Native_Folder_Of(const QByteArray &native_path)
{
    const qsizetype slash = native_path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return native_path.left(slash);
}

inline bool Journal_Stands_In(const QByteArray &native_folder)
{
    struct stat st {};
    return ::lstat((native_folder + '/' + Replace_Journal_Name).constData(), &st) == 0;
}

#else  // Systems without the POSIX calls: the same steps through Qt.

// The same folder operations through Qt, for systems without the POSIX calls. A lock file stands
// for the lock; on Windows a rename replaces the name as MoveFileEx does it.
class Folder {
public:
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    static std::unique_ptr<Folder> Open(const QString &folder, const QString &file)
    {
        const QFileInfo info(folder);
        if (info.isSymLink())
            throw File_Access_Error(file, Core_Text("the folder %1 is a symbolic link; no file is written "
                                                    "through a link, make it a real folder")
                                              .arg(folder));
        if (!info.isDir()) throw File_Access_Error(file, Core_Text("the folder %1: %2").arg(folder, Core_Text("No such file or directory")));
        return std::unique_ptr<Folder>(new Folder(info.absoluteFilePath()));
    }
    static std::unique_ptr<Folder> Open_Quietly(const QByteArray &native)
    {
        const QFileInfo info(QFile::decodeName(native));
        if (info.isSymLink() || !info.isDir()) return nullptr;
        return std::unique_ptr<Folder>(new Folder(info.absoluteFilePath()));
    }

    bool Same_As(const Folder &other) const { return path_ == other.path_; }
    bool Before(const Folder &other) const { return path_ < other.path_; }

    void Lock()
    {
        lock_ = std::make_unique<QLockFile>(path_ + QStringLiteral("/.qcx-replace.lock"));
        if (!lock_->lock()) lock_.reset();
    }

    bool Has_Regular(const QByteArray &name) const
    {
        const QFileInfo info(At(name));
        return info.isFile() && !info.isSymLink();
    }

    std::optional<QByteArray> Read_Small(const QByteArray &name, qint64 limit) const
    {
        if (!Has_Regular(name)) return std::nullopt;
        QFile file(At(name));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        QByteArray bytes = file.read(limit + 1);
        if (file.error() != QFileDevice::NoError || bytes.size() > limit) return std::nullopt;
        return bytes;
    }

    QByteArray Stage(const QByteArray &name, const QByteArray &bytes, const QString &file)
    {
        if (QFileInfo(At(name)).isDir()) throw File_Access_Error(file, Core_Text("is a folder"));
        for (int attempt = 0;; ++attempt) {
            const QByteArray temp = "." + name + "." + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
            QFile staged(At(temp));
            if (!staged.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                if (staged.exists() && attempt <= 20) continue;
                throw File_Access_Error(file, staged.errorString());
            }
            if (staged.write(bytes) != bytes.size() || !staged.flush()) {
                const QString reason = staged.errorString();
                staged.remove();
                throw File_Access_Error(file, reason);
            }
            const QFile::Permissions permissions = QFileInfo(At(name)).permissions();
            if (Has_Regular(name)) staged.setPermissions(permissions);
            return temp;
        }
    }

    QString Rename(const QByteArray &from, const QByteArray &to)
    {
#ifdef Q_OS_WIN
        const std::wstring a = QDir::toNativeSeparators(At(from)).toStdWString();
        const std::wstring b = QDir::toNativeSeparators(At(to)).toStdWString();
        if (::MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
        return qt_error_string(int(::GetLastError()));
#else
        QFile::remove(At(to));
        QFile source(At(from));
        if (source.rename(At(to))) return {};
        return source.errorString();
#endif
    }
    void Remove(const QByteArray &name) { QFile::remove(At(name)); }

    QList<QByteArray> Names() const
    {
        QList<QByteArray> names;
        const QStringList entries = QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &entry : entries) names.append(QFile::encodeName(entry));
        return names;
    }

    void Sync() {}

private:
    explicit Folder(const QString &path) : path_(path) {}
    QString At(const QByteArray &name) const { return path_ + QLatin1Char('/') + QFile::decodeName(name); }
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

inline QByteArray Native_Folder_Of(const QByteArray &native_path)
{
    return QFile::encodeName(QFileInfo(QFile::decodeName(native_path)).path());
}

inline bool Journal_Stands_In(const QByteArray &native_folder)
{
    return QFileInfo::exists(QFile::decodeName(native_folder) + QLatin1Char('/') + QLatin1String(Replace_Journal_Name));
}

#endif

}  // namespace Safe_File_Internal
