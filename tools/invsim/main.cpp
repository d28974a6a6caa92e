#include <cstdio>
int main() { std::puts("invsim: not built yet"); return 1; }
