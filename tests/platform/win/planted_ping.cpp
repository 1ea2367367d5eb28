// Stands for a ping.exe someone dropped beside the program: it only says so.
#include <cstdio>

int main() {
    std::puts("planted ping.exe ran");
    return 0;
}
