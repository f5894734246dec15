// kestrover-cli: the command line of Kestrover.
#include <cstdio>

int main() {
    std::puts("kestrover-cli");
    return 0;
}
