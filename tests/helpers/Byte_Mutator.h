#pragma once
// The fuzz tests' one mutator: a few random edits of a seed file's bytes (a bit flipped, a byte
// replaced, the rest cut off, a run removed, a run doubled, a fragment of the format put in).
// The fragments are the format's own trouble makers; "\0" stands for one NUL byte.
#include <QByteArray>
#include <QRandomGenerator>

#include <cstddef>
#include <cstring>

template <std::size_t N>
QByteArray Mutate(QByteArray bytes, QRandomGenerator &random, const char *const (&fragments)[N])
{
    const int steps = 1 + int(random.bounded(4));
    for (int s = 0; s < steps; ++s) {
        const qsizetype size = bytes.size();
        const qsizetype at = size > 0 ? qsizetype(random.bounded(quint64(size))) : 0;
        switch (random.bounded(6)) {
        case 0:
            if (size > 0) bytes[at] = char(bytes[at] ^ char(1 << random.bounded(8)));
            break;
        case 1:
            if (size > 0) bytes[at] = char(random.bounded(256));
            break;
        case 2:
            bytes.truncate(at);
            break;
        case 3:
            bytes.remove(at, qsizetype(random.bounded(16)));
            break;
        case 4:
            bytes.insert(at, bytes.mid(at, qsizetype(random.bounded(64))));
            break;
        default: {
            const char *fragment = fragments[random.bounded(int(N))];
            bytes.insert(at, QByteArray(fragment, fragment[0] == 0 ? 1 : qsizetype(std::strlen(fragment))));
        }
        }
    }
    return bytes;
}
