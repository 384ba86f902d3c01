// A small program the tests start for real: replaces files together as every save of the
// program does, and is killed (SIGKILL, as a crash or a power cut would stop it) right after
// the given step of the save. Ends with 0 when the save has fewer steps.
//   qcx_test_replace_until STEP PATH BYTES [PATH BYTES ...]
#include "platform/Safe_File.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: qcx_test_replace_until STEP PATH BYTES [PATH BYTES ...]\n");
        return 2;
    }
    const int stop = std::atoi(argv[1]);
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 2; i + 1 < argc; i += 2) files.append({QString::fromLocal8Bit(argv[i]), QByteArray(argv[i + 1])});
    try {
        Replace_Files(files, [stop](int step) {
            if (step == stop) std::raise(SIGKILL);
        });
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
