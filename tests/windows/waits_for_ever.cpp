// Runs until it is ended, as a runtime program left from an earlier session
// does. It first writes its process id and a newline to the file its
// argument names, for the test that started it.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 1;
  std::fprintf(file, "%lu\n", GetCurrentProcessId());
  std::fclose(file);
  Sleep(INFINITE);
  return 0;
}
