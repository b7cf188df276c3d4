#include <cstdio>

int main() {
  std::puts("VELK: the main window is not built yet.");
  return 1;
}
