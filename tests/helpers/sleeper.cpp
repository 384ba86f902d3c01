// A small program the tests start for real: sleeps for argv[1] milliseconds, then, when
// argv[2] is given, writes "done" into that file.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char *argv[])
{
    const long ms = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (argc > 2) std::ofstream(argv[2]) << "done";
    return 0;
}
