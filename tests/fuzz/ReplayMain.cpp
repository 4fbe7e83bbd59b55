// Replays saved inputs through a fuzz target without libFuzzer, so the ordinary test run
// (gcc, with or without the sanitizers) keeps every seed and every crash input passing.
//   fuzz_<target> PATH...   each file, or every file below each folder (a missing folder is
//                           skipped); fails when no file was found at all
// A target reports a broken expectation by aborting, which fails the run with its message.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

// The files a path stands for, in a fixed order.
std::vector<fs::path> InputFiles(const fs::path& path) {
  std::vector<fs::path> files;
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) return {path};
  if (!fs::is_directory(path, ec)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(path, ec)) {
    if (entry.is_regular_file(ec)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : InputFiles(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      std::fprintf(stderr, "%s\n", file.c_str());
      // A block of exactly its size, so a read past the end is caught by the sanitizer.
      const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
      std::copy(bytes.begin(), bytes.end(), data.get());
      LLVMFuzzerTestOneInput(data.get(), bytes.size());
      ++count;
    }
  }
  if (count == 0) {
    std::fprintf(stderr, "no input files\n");
    return 1;
  }
  std::printf("%zu inputs passed\n", count);
  return 0;
}
