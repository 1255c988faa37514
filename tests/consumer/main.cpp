// Uses the library only through its public header, as another project would.
#include <vexlo/vexlo.h>

#include <cstdio>
#include <cstring>

int main() {
  int failures = 0;
  try {
    throw tvc::TVCBufferUnderrunException();
  } catch (const tvc::TVCException& e) {  // type information crosses the boundary
    if (std::strcmp(e.what(), "Buffer underrun error during IPC/streaming") != 0) ++failures;
  }
  tvc::LogErr("consumer logs %Iu bytes", static_cast<size_t>(42));
  std::printf("consumer: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
