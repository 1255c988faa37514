// Placeholder until the string classes land: shows the exception family.
#include <vexlo/vexlo.h>

#include <cstdio>

int main() {
  try {
    throw tvc::TVCBufferUnderrunException();
  } catch (const std::exception& e) {
    std::printf("caught: %s\n", e.what());
  }
  return 0;
}
