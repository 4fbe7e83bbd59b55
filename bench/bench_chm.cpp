// The CHM export without the compiler, the compiler alone, and the JPEG orientation work.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include <jpeglib.h>

#include "BenchProjects.h"
#include "uChmCompiler.h"
#include "uExportChm.h"
#include "uJpegOrientation.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

std::string NewBenchFolder() {
  char tmpl[] = "/tmp/folivane-bench-chm-XXXXXX";
  return ::mkdtemp(tmpl);
}

// Our part of `folivane-cli chm`: everything but the compiler, in-process (compare with
// BM_ExportWebHelp on the same project).
void BM_WriteChmProject(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(GeneratedProjectFile(n), project, settings);
  WriteChmProject(project);  // the first run creates the files; the timed runs replace them
  for (auto _ : state) WriteChmProject(project);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_WriteChmProject)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);

// The compiler's part: chmcmd on the HTML Help project written above.
void BM_ChmcmdCompile(benchmark::State& state) {
  const std::string chmcmd = FindOnPath("chmcmd");
  if (chmcmd.empty()) {
    state.SkipWithError("chmcmd is not installed");
    return;
  }
  const int n = static_cast<int>(state.range(0));
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(GeneratedProjectFile(n), project, settings);
  const TChmProjectFiles files = WriteChmProject(project);
  for (auto _ : state) {
    const TProcessResult r = RunProcessAndWait(chmcmd, std::vector<std::string>{files.projectFile}, files.outputFolder);
    if (r.exitCode != 0) state.SkipWithError("chmcmd failed");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ChmcmdCompile)->Arg(2000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole `folivane-cli chm` as a user runs it: open, export, compile.
void BM_CliChm(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = GeneratedProjectFile(n);
  const std::string cli = PathJoin(ExecutableDir(), "folivane-cli");
  for (auto _ : state) {
    const TProcessResult r = RunProcessAndWait(cli, std::vector<std::string>{"chm", file});
    if (r.exitCode != 0) state.SkipWithError("folivane-cli chm failed");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CliChm)->Arg(2000)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string EncodeTestPhoto(int w, int h) {
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>((i * 7) ^ (i >> 11));
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &pixels[static_cast<size_t>(cinfo.next_scanline) * w * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return out;
}

// APP1 Exif segment with one big-endian Orientation entry.
std::string ExifOrientation(int orientation) {
  const std::string tiff = std::string("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) +
                           static_cast<char>(orientation) + std::string("\0\0\0\0\0\0", 6);
  const std::string data = std::string("Exif\0\0", 6) + tiff;
  const size_t len = data.size() + 2;
  return std::string("\xFF\xE1", 2) + static_cast<char>(len >> 8) + static_cast<char>(len & 0xFF) + data;
}

// A 6-megapixel photo that asks for a quarter turn: decode, turn, encode at quality 92.
void BM_RotateJpegFile(benchmark::State& state) {
  const std::string file = NewBenchFolder() + "/photo.jpg";
  const std::string photo = EncodeTestPhoto(3000, 2000);
  const std::string tagged = photo.substr(0, 2) + ExifOrientation(6) + photo.substr(2);
  for (auto _ : state) {
    state.PauseTiming();
    WriteOutputFile(file, tagged);
    state.ResumeTiming();
    RotateJpegFile(file);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(tagged.size()));
}
BENCHMARK(BM_RotateJpegFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading the tag of a 6-megapixel photo whose Exif segment follows 60 large segments:
// only segment headers are read, the rest is skipped with a seek.
void BM_ReadExifOrientation(benchmark::State& state) {
  const std::string file = NewBenchFolder() + "/photo.jpg";
  std::string filler;
  for (int i = 0; i < 60; ++i) filler += std::string("\xFF\xE2\xFF\xFF", 4) + std::string(0xFFFD, 'x');
  const std::string photo = EncodeTestPhoto(3000, 2000);
  WriteOutputFile(file, photo.substr(0, 2) + filler + ExifOrientation(8) + photo.substr(2));
  for (auto _ : state) benchmark::DoNotOptimize(ReadExifOrientation(file));
}
BENCHMARK(BM_ReadExifOrientation)->Unit(benchmark::kMicrosecond);

}  // namespace
