#include <cstdio>

// The wizard itself is not built yet; the entry point only says so.
int main() {
    std::fputs("velk: the wizard is not available in this build yet\n", stderr);
    return 1;
}
