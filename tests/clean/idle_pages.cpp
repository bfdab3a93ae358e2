// A process with idle memory for the clean's end-to-end tests: it fills the given number of MiB
// with data the kernel cannot drop (not zeros, which it could share), says "ready", and then sleeps
// without touching them again until it is ended.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const size_t bytes = std::strtoull(argv[1], nullptr, 10) << 20;
    std::vector<unsigned char> idle(bytes);
    for (size_t i = 0; i < bytes; ++i)
        idle[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
