// Files replaced together: the journal that makes the renames of one folder all-or-nothing across
// a crash (its format, and the finishing of a save that a crash cut short), and Replace_Files,
// which stages, journals and renames.
#include "platform/Safe_File.h"

#include "platform/Core_Text.h"
#include "platform/Safe_Folder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

using namespace Safe_File_Internal;

const char Replace_Journal_Name[] = ".qcx-replace.journal";

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

}  // namespace

void Safe_File_Internal::Settle_Before_Reading(const QByteArray &native_path)
{
    const QByteArray folder_name = Native_Folder_Of(native_path);
    if (!Journal_Stands_In(folder_name)) return;
    const std::unique_ptr<Folder> folder = Folder::Open_Quietly(folder_name);
    if (!folder) return;
    folder->Lock();
    Settle_Locked(*folder);
}

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

void Replace_File(const QString &path, const QByteArray &bytes) { Replace_Files({{path, bytes}}); }
