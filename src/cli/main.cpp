#include <cstdio>

int main() {
    std::fputs("usage: brackenhold-cli COMMAND ...\n", stderr);
    return 2;
}
