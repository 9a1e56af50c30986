// Entry point of Kestrelvault. The application shell is still being assembled; until it
// stands, this program says so instead of pretending to run.
#include <cstdio>

int main() {
    std::puts("Kestrelvault: the application shell is not built yet; run `make test` to exercise the libraries.");
    return 0;
}
