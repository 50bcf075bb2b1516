#include <cstdio>
int main() { std::puts("orvix-modem-sim: not built yet"); return 1; }
