#include "TestHelpers.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

TTempDir::TTempDir() {
  char tmpl[] = "/tmp/folivane-test-XXXXXX";
  const char* made = ::mkdtemp(tmpl);
  if (!made) std::abort();
  FPath = made;
}

TTempDir::~TTempDir() {
  try {
    DeleteFolderTree(FPath);
  } catch (...) {
  }
}

void WriteFixtureFile(const std::string& path, const std::string& bytes) {
  EnsureDir(ExtractFileDir(path));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ErrorMessage(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EFolivaneError& e) {
    return e.what();
  }
  return "(no error)";
}

namespace {

// Tests never open files on the desktop, however they are started (CTest or by hand).
const bool kNoOpen = [] { return ::setenv("FOLIVANE_NO_OPEN", "1", 1) == 0; }();

}  // namespace
