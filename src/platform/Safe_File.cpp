#include "platform/Safe_File.h"

#include "platform/Core_Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

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

// Finishes a save that a crash cut short in the folder of a file about to be read.
void Settle_Before_Reading(const QByteArray &native_path);

}  // namespace

const char Replace_Journal_Name[] = ".qcx-replace.journal";

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

namespace {

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

QByteArray Native_Folder_Of(const QByteArray &native_path)
{
    const qsizetype slash = native_path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return native_path.left(slash);
}

bool Journal_Stands_In(const QByteArray &native_folder)
{
    struct stat st {};
    return ::lstat((native_folder + '/' + Replace_Journal_Name).constData(), &st) == 0;
}

}  // namespace

#else  // Systems without the POSIX calls: the same steps through Qt, and a bounded read.

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

namespace {

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

QByteArray Native_Folder_Of(const QByteArray &native_path)
{
    return QFile::encodeName(QFileInfo(QFile::decodeName(native_path)).path());
}

bool Journal_Stands_In(const QByteArray &native_folder)
{
    return QFileInfo::exists(QFile::decodeName(native_folder) + QLatin1Char('/') + QLatin1String(Replace_Journal_Name));
}

}  // namespace

#endif

QByteArray Read_Regular_File(const QString &path, qint64 limit)
{
    return Read_Regular_File(QFile::encodeName(path), path, limit);
}

// --- Files replaced together ---------------------------------------------------------------------

namespace {

// The journal: a head line, one line per file ("<temporary name> <name>", each percent-encoded),
// and an end line. It is itself staged and renamed into place, so it is there in full or not at all.
const QByteArray Journal_Head = QByteArrayLiteral("qcx3310 replace journal 1\n");
const QByteArray Journal_End = QByteArrayLiteral("end\n");
constexpr qint64 Journal_Limit = 1024 * 1024;

struct Journal_Entry {
    QByteArray Temp;
    QByteArray Name;
};

bool Is_Plain_Name(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\') &&
           !name.contains('\0') && name != Replace_Journal_Name;
}

// ".<name>.<random>.tmp" with 1 to 13 base-36 digits of random, as Stage names them; of, when
// given, is the name it must stand for.
bool Is_Temp_Name(const QByteArray &temp, const QByteArray *of = nullptr)
{
    if (temp.size() < 7 || !temp.startsWith('.') || !temp.endsWith(".tmp")) return false;
    const QByteArray core = temp.mid(1, temp.size() - 5);
    const qsizetype dot = core.lastIndexOf('.');
    if (dot <= 0 || core.size() - dot - 1 < 1 || core.size() - dot - 1 > 13) return false;
    for (qsizetype i = dot + 1; i < core.size(); ++i) {
        const char c = core[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    }
    return !of || core.left(dot) == *of;
}

QByteArray Journal_Bytes(const std::vector<Journal_Entry> &entries)
{
    QByteArray bytes = Journal_Head;
    for (const Journal_Entry &e : entries) bytes += e.Temp.toPercentEncoding() + ' ' + e.Name.toPercentEncoding() + '\n';
    return bytes + Journal_End;
}

// The entries of a journal of ours; none for anything else (a folder from others may hold
// anything under that name): only our temporaries, each for a plain name of the same folder.
std::optional<std::vector<Journal_Entry>> Parse_Journal(const QByteArray &bytes)
{
    if (!bytes.startsWith(Journal_Head) || !bytes.endsWith(Journal_End)) return std::nullopt;
    const QByteArray body = bytes.mid(Journal_Head.size(), bytes.size() - Journal_Head.size() - Journal_End.size());
    std::vector<Journal_Entry> entries;
    for (const QByteArray &line : body.split('\n')) {
        if (line.isEmpty()) continue;
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2) return std::nullopt;
        Journal_Entry e{QByteArray::fromPercentEncoding(parts[0]), QByteArray::fromPercentEncoding(parts[1])};
        if (!Is_Plain_Name(e.Name) || !Is_Temp_Name(e.Temp, &e.Name)) return std::nullopt;
        entries.push_back(e);
    }
    return entries;
}

// With the folder locked: a journal left behind is carried out (the staged files it names that
// are still there are renamed into place) and removed, then every temporary of ours goes, as no
// save of ours is under way. A rename that fails keeps the journal and its files for a later try.
void Settle_Locked(Folder &folder)
{
    if (folder.Has_Regular(Replace_Journal_Name)) {
        const std::optional<QByteArray> bytes = folder.Read_Small(Replace_Journal_Name, Journal_Limit);
        const std::optional<std::vector<Journal_Entry>> entries = bytes ? Parse_Journal(*bytes) : std::nullopt;
        bool complete = true;
        if (entries) {
            for (const Journal_Entry &e : *entries)
                if (folder.Has_Regular(e.Temp) && !folder.Rename(e.Temp, e.Name).isEmpty()) complete = false;
        }
        folder.Sync();
        if (!complete) return;
        folder.Remove(Replace_Journal_Name);
        folder.Sync();
    }
    for (const QByteArray &name : folder.Names())
        if (Is_Temp_Name(name) && folder.Has_Regular(name)) folder.Remove(name);
}

void Settle_Before_Reading(const QByteArray &native_path)
{
    const QByteArray folder_name = Native_Folder_Of(native_path);
    if (!Journal_Stands_In(folder_name)) return;
    const std::unique_ptr<Folder> folder = Folder::Open_Quietly(folder_name);
    if (!folder) return;
    folder->Lock();
    Settle_Locked(*folder);
}

}  // namespace

bool Is_Replace_Temporary(const QString &file_name) { return Is_Temp_Name(QFile::encodeName(file_name)); }

void Settle_Folder(const QString &folder)
{
    const std::unique_ptr<Folder> dir = Folder::Open_Quietly(QFile::encodeName(folder));
    if (!dir) return;
    dir->Lock();
    Settle_Locked(*dir);
}

bool Settled_File_Exists(const QString &path)
{
    Settle_Before_Reading(QFile::encodeName(path));
    return QFileInfo::exists(path);
}

void Replace_Files(const QList<std::pair<QString, QByteArray>> &files, const std::function<void(int step)> &after_step)
{
    struct Group {
        std::unique_ptr<Folder> Dir;
        std::vector<size_t> Items;
        QByteArray Journal_Temp;
        bool Journaled = false;
    };
    struct Item {
        QString Path;
        QByteArray Name;
        size_t Group = 0;
        QByteArray Temp;
        bool Placed = false;
    };
    std::vector<Group> groups;
    std::vector<Item> items;
    int step = 0;
    const auto next_step = [&] {
        ++step;
        if (after_step) after_step(step);
    };

    for (const auto &file : files) {
        const QFileInfo info(file.first);
        Item item;
        item.Path = file.first;
        item.Name = QFile::encodeName(info.fileName());
        if (item.Name.isEmpty()) throw File_Access_Error(file.first, Core_Text("no file name"));
        std::unique_ptr<Folder> dir = Folder::Open(info.path(), file.first);
        const auto same = std::find_if(groups.begin(), groups.end(), [&](const Group &g) { return g.Dir->Same_As(*dir); });
        item.Group = size_t(same - groups.begin());
        if (same == groups.end()) groups.push_back({std::move(dir), {}, {}, false});
        groups[item.Group].Items.push_back(items.size());
        items.push_back(item);
    }

    // Unwinding removes what this save staged and did not put in place, so a failure before the
    // journals leaves every file as it was. Files a journal names stay: that save is decided.
    struct Unstage {
        std::vector<Group> &Groups;
        std::vector<Item> &Items;
        ~Unstage()
        {
            for (Group &g : Groups) {
                if (g.Journaled) continue;
                if (!g.Journal_Temp.isEmpty()) g.Dir->Remove(g.Journal_Temp);
                for (size_t i : g.Items)
                    if (!Items[i].Temp.isEmpty() && !Items[i].Placed) g.Dir->Remove(Items[i].Temp);
            }
        }
    } unstage{groups, items};

    // One lock after the other in a fixed order, so two saves into the same folders cannot wait
    // for each other; then what a crash left there is finished and cleared away.
    std::vector<Group *> order;
    for (Group &g : groups) order.push_back(&g);
    std::sort(order.begin(), order.end(), [](const Group *a, const Group *b) { return a->Dir->Before(*b->Dir); });
    for (Group *g : order) {
        g->Dir->Lock();
        Settle_Locked(*g->Dir);
    }

    for (size_t i = 0; i < items.size(); ++i) items[i].Temp = groups[items[i].Group].Dir->Stage(items[i].Name, files[qsizetype(i)].second, items[i].Path);
    next_step();

    // The journals are the point of no return: from here the new files are the folder's.
    try {
        for (Group &g : groups) {
            if (g.Items.size() < 2) continue;
            std::vector<Journal_Entry> entries;
            for (size_t i : g.Items) entries.push_back({items[i].Temp, items[i].Name});
            const QString &first = items[g.Items.front()].Path;
            g.Journal_Temp = g.Dir->Stage(Replace_Journal_Name, Journal_Bytes(entries), first);
            const QString reason = g.Dir->Rename(g.Journal_Temp, Replace_Journal_Name);
            if (!reason.isEmpty()) throw File_Access_Error(first, reason);
            g.Journal_Temp.clear();
            g.Journaled = true;
            g.Dir->Sync();
            next_step();
        }
    } catch (...) {
        // A later folder's journal could not be written: the earlier ones are taken back, so
        // that no folder goes ahead alone.
        for (Group &g : groups) {
            if (!g.Journaled) continue;
            g.Dir->Remove(Replace_Journal_Name);
            g.Dir->Sync();
            g.Journaled = false;
        }
        throw;
    }

    for (Group &g : groups) {
        for (size_t i : g.Items) {
            Item &item = items[i];
            const QString reason = g.Dir->Rename(item.Temp, item.Name);
            if (!reason.isEmpty()) throw File_Access_Error(item.Path, reason);
            item.Placed = true;
            next_step();
        }
        g.Dir->Sync();
    }
    for (Group &g : groups) {
        if (!g.Journaled) continue;
        g.Dir->Remove(Replace_Journal_Name);
        g.Dir->Sync();
        next_step();
    }
}

void Replace_Files(const QList<std::pair<QString, QByteArray>> &files) { Replace_Files(files, nullptr); }
