#include "config/Byte_Overlap.h"

#include <QHash>

QList<Byte_Overlap> Find_Byte_Overlaps(const QList<Byte_Write> &writes)
{
    QList<Byte_Overlap> out;
    // frame * 16 + byte -> the write that took it first
    QHash<qint64, int> first;
    for (int i = 0; i < writes.size(); ++i) {
        const Byte_Write &w = writes[i];
        int reported = -1;  // the earlier write already named for this one
        for (const int32_t b : {w.HiPart, w.LoPart}) {
            if (b < 1 || b > 8) continue;
            const qint64 key = qint64(w.Frame) * 16 + b;
            const auto it = first.constFind(key);
            if (it == first.constEnd()) {
                first.insert(key, i);
            } else if (*it != i && *it != reported) {
                const Byte_Write &e = writes[*it];
                out.append({w.Row, e.Row, w.Frame, b, w.Register, e.Register});
                reported = *it;
            }
        }
    }
    return out;
}
