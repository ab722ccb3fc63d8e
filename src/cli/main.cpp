#include <cstdio>
int main() {
    std::fputs("usage: vrl put|take ...\n", stderr);
    return 2;
}
