#include "uJpegOrientation.h"

#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "uContainment.h"
#include "uRegex.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

// --- Reading the orientation ---------------------------------------------------

// Where the segment walk reads from: a file (seeking past segments) or memory.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual std::uint64_t Remaining() const = 0;
  // Reads exactly n bytes; false (and nothing consumed that matters) when fewer remain.
  virtual bool Read(std::uint8_t* buffer, std::size_t n) = 0;
  virtual void Skip(std::uint64_t n) = 0;

  bool ReadByte(std::uint8_t& b) { return Read(&b, 1); }
};

class TMemorySource : public TByteSource {
 public:
  TMemorySource(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  std::uint64_t Remaining() const override { return FSize - FPos; }
  bool Read(std::uint8_t* buffer, std::size_t n) override {
    if (n > Remaining()) return false;
    if (n > 0) std::memcpy(buffer, FData + FPos, n);
    FPos += n;
    return true;
  }
  void Skip(std::uint64_t n) override { FPos += static_cast<std::size_t>(std::min<std::uint64_t>(n, Remaining())); }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

class TFileSource : public TByteSource {
 public:
  explicit TFileSource(const std::string& fileName) : FFile(std::fopen(fileName.c_str(), "rb")) {
    struct stat st {};
    if (FFile && ::fstat(::fileno(FFile), &st) == 0 && S_ISREG(st.st_mode)) {
      FSize = static_cast<std::uint64_t>(st.st_size);
    } else if (FFile) {
      std::fclose(FFile);
      FFile = nullptr;
    }
  }
  ~TFileSource() override {
    if (FFile) std::fclose(FFile);
  }
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  bool IsOpen() const { return FFile != nullptr; }
  std::uint64_t Remaining() const override { return FPos < FSize ? FSize - FPos : 0; }
  bool Read(std::uint8_t* buffer, std::size_t n) override {
    if (n > Remaining()) return false;
    if (std::fread(buffer, 1, n, FFile) != n) return false;
    FPos += n;
    return true;
  }
  void Skip(std::uint64_t n) override {
    n = std::min<std::uint64_t>(n, Remaining());
    if (::fseeko(FFile, static_cast<off_t>(n), SEEK_CUR) == 0) FPos += n;
    else FPos = FSize;  // a failed seek ends the walk
  }

 private:
  std::FILE* FFile;
  std::uint64_t FSize = 0;
  std::uint64_t FPos = 0;
};

std::uint16_t Get16(const std::vector<std::uint8_t>& d, std::size_t at, bool littleEndian) {
  return littleEndian ? static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8))
                      : static_cast<std::uint16_t>((d[at] << 8) | d[at + 1]);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& d, std::size_t at, bool littleEndian) {
  const std::uint32_t b0 = d[at], b1 = d[at + 1], b2 = d[at + 2], b3 = d[at + 3];
  return littleEndian ? (b0 | (b1 << 8) | (b2 << 16) | (b3 << 24)) : ((b0 << 24) | (b1 << 16) | (b2 << 8) | b3);
}

constexpr int kNoResult = 0;  // the segment held no orientation: go on
constexpr int kStop = -1;     // the TIFF structure is unusable: stop the walk

// The orientation in one APP1 segment's data, kNoResult or kStop.
int OrientationInExifSegment(const std::vector<std::uint8_t>& data) {
  static const std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (data.size() < 14 || std::memcmp(data.data(), kExifId, 6) != 0) return kNoResult;
  bool le;
  if (data[6] == 'I' && data[7] == 'I') le = true;
  else if (data[6] == 'M' && data[7] == 'M') le = false;
  else return kStop;
  if (Get16(data, 8, le) != 42) return kStop;
  const std::uint64_t ifd0 = 6 + static_cast<std::uint64_t>(Get32(data, 10, le));
  if (data.size() < ifd0 + 2) return kStop;
  const std::uint16_t count = Get16(data, static_cast<std::size_t>(ifd0), le);
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t entry = ifd0 + 2 + i * 12;
    if (entry + 12 > data.size()) break;
    const auto at = static_cast<std::size_t>(entry);
    const std::uint16_t tag = Get16(data, at, le);
    const std::uint16_t type = Get16(data, at + 2, le);
    const std::uint32_t valueCount = Get32(data, at + 4, le);
    if (tag != 0x0112 || type != 3 || valueCount == 0) continue;
    if (valueCount == 1) return Get16(data, at + 8, le);  // the first half of the value field in either order
    const std::uint64_t valueAt = 6 + static_cast<std::uint64_t>(Get32(data, at + 8, le));
    if (valueAt + 2 > data.size()) return 1;
    return Get16(data, static_cast<std::size_t>(valueAt), le);
  }
  return kNoResult;
}

int WalkJpegSegments(TByteSource& src) {
  std::uint8_t soi[2];
  if (src.Remaining() < 4 || !src.Read(soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return 1;
  std::vector<std::uint8_t> data;
  for (;;) {
    if (src.Remaining() < 4) return 1;
    std::uint8_t b = 0;
    if (!src.ReadByte(b) || b != 0xFF) return 1;
    std::uint8_t marker = 0xFF;
    while (marker == 0xFF) {
      if (!src.ReadByte(marker)) return 1;
    }
    if (marker == 0xD9 || marker == 0xDA) return 1;
    std::uint8_t len[2];
    if (!src.Read(len, 2)) return 1;
    const std::size_t length = static_cast<std::size_t>((len[0] << 8) | len[1]);
    if (length < 2) return 1;
    if (marker != 0xE1) {
      src.Skip(length - 2);
      continue;
    }
    data.resize(length - 2);
    if (!src.Read(data.data(), data.size())) return 1;
    const int result = OrientationInExifSegment(data);
    if (result == kStop) return 1;
    if (result != kNoResult) return result;
  }
}

// --- Decoding and encoding -------------------------------------------------------

// libjpeg's default error handler ends the process. This one jumps back to the step
// that called libjpeg, which raises the message as an EFolivaneError.
struct TJpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TJpegError*>(cinfo->err)->jump, 1);
}

void JpegSilentMessage(j_common_ptr) {}

void InstallErrorManager(TJpegError& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegSilentMessage;
}

std::string JpegErrorText(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX] = {};
  (*cinfo->err->format_message)(cinfo, text);
  return text;
}

// Runs one step of libjpeg calls. A libjpeg error jumps back here; the step itself must
// hold nothing that needs destroying (only libjpeg calls on raw pointers).
template <class TStep>
void RunJpegStep(TJpegError& err, j_common_ptr cinfo, const std::string& what, TStep&& step) {
  if (setjmp(err.jump) != 0) throw EFolivaneError(what + ": " + JpegErrorText(cinfo));
  step();
}

struct TRgbImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // 3 bytes per pixel, rows of the full width
};

TRgbImage DecodeJpeg(const std::string& fileName, const std::string& bytes) {
  const std::string what = "Cannot decode the photo " + fileName;
  jpeg_decompress_struct cinfo{};
  TJpegError err;
  InstallErrorManager(err);
  cinfo.err = &err.pub;
  struct TDestroy {
    jpeg_decompress_struct* c;
    bool created = false;
    ~TDestroy() {
      if (created) jpeg_destroy_decompress(c);
    }
  } destroy{&cinfo};
  jpeg_decompress_struct* c = &cinfo;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto size = static_cast<unsigned long>(bytes.size());
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [c, &destroy] {
    jpeg_create_decompress(c);
    destroy.created = true;
  });
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [c, data, size] {
    jpeg_mem_src(c, data, size);
    jpeg_read_header(c, TRUE);
  });
  const std::uint64_t pixels = static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height;
  if (pixels > kMaxRotatePixels) {
    throw EFolivaneError("The photo " + fileName + " is too large to turn (" + std::to_string(cinfo.image_width) +
                         " x " + std::to_string(cinfo.image_height) + " pixels).");
  }
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [c] {
    c->out_color_space = JCS_RGB;
    jpeg_start_decompress(c);
  });
  TRgbImage image;
  image.width = cinfo.output_width;
  image.height = cinfo.output_height;
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  unsigned char* out = image.pixels.data();
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [c, out, stride] {
    while (c->output_scanline < c->output_height) {
      JSAMPROW row = out + static_cast<std::size_t>(c->output_scanline) * stride;
      jpeg_read_scanlines(c, &row, 1);
    }
    jpeg_finish_decompress(c);
  });
  return image;
}

std::string EncodeJpeg(const TRgbImage& image, const std::string& fileName) {
  const std::string what = "Cannot encode the photo " + fileName;
  jpeg_compress_struct cinfo{};
  TJpegError err;
  InstallErrorManager(err);
  cinfo.err = &err.pub;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  struct TCleanup {
    jpeg_compress_struct* c;
    unsigned char** buffer;
    bool created = false;
    ~TCleanup() {
      if (created) jpeg_destroy_compress(c);
      std::free(*buffer);
    }
  } cleanup{&cinfo, &buffer};
  jpeg_compress_struct* c = &cinfo;
  unsigned char** bufferPtr = &buffer;
  unsigned long* sizePtr = &size;
  const unsigned char* in = image.pixels.data();
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  const JDIMENSION width = image.width, height = image.height;
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [c, &cleanup] {
    jpeg_create_compress(c);
    cleanup.created = true;
  });
  RunJpegStep(err, reinterpret_cast<j_common_ptr>(c), what, [=] {
    jpeg_mem_dest(c, bufferPtr, sizePtr);
    c->image_width = width;
    c->image_height = height;
    c->input_components = 3;
    c->in_color_space = JCS_RGB;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, 92, TRUE);
    jpeg_start_compress(c, TRUE);
    while (c->next_scanline < c->image_height) {
      JSAMPROW row = const_cast<unsigned char*>(in + static_cast<std::size_t>(c->next_scanline) * stride);
      jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
  });
  return std::string(reinterpret_cast<const char*>(buffer), size);
}

// The image turned for display: 3 a half turn, 6 a quarter clockwise, 8 counter-clockwise.
TRgbImage TurnImage(const TRgbImage& src, int orientation) {
  const std::size_t w = src.width, h = src.height;
  TRgbImage dst;
  dst.pixels.resize(src.pixels.size());
  if (orientation == 3) {
    dst.width = src.width;
    dst.height = src.height;
  } else {
    dst.width = src.height;
    dst.height = src.width;
  }
  const std::uint8_t* s = src.pixels.data();
  std::uint8_t* d = dst.pixels.data();
  for (std::size_t y = 0; y < h; ++y) {
    for (std::size_t x = 0; x < w; ++x) {
      std::size_t to;
      if (orientation == 3) to = (h - 1 - y) * w + (w - 1 - x);
      else if (orientation == 6) to = x * h + (h - 1 - y);
      else to = (w - 1 - x) * h + y;
      std::memcpy(d + to * 3, s + (y * w + x) * 3, 3);
    }
  }
  return dst;
}

bool IsJpegFileName(const std::string& name) {
  const std::string ext = ExtractFileExt(name);
  return SameTextAscii(ext, ".jpg") || SameTextAscii(ext, ".jpeg");
}

bool NeedsTurn(int orientation) { return orientation == 3 || orientation == 6 || orientation == 8; }

// The published copy a page's src names, or "" when the reference is not a photo below assets/.
std::string PublishedPhotoPath(std::string ref, const std::string& outputDir, const std::string& assetsRoot) {
  if (StartsWithText(ref, "/assets/")) ref.erase(0, 1);
  else if (!StartsWithText(ref, "assets/")) return "";
  if (!IsJpegFileName(ref)) return "";
  const std::string path = PathJoin(outputDir, ref);
  // "assets/../.." would name a file outside the output, and so would a link left in the
  // output folder: never read or rewrite such a file.
  if (!StartsWith(ExpandFileName(path), assetsRoot) ||
      !IsLexicallyInside(ResolvedPath(path), ResolvedPath(assetsRoot))) {
    return "";
  }
  return path;
}

}  // namespace

int ReadExifOrientationFromBytes(const std::uint8_t* data, std::size_t size) {
  TMemorySource src(data, data ? size : 0);
  return WalkJpegSegments(src);
}

int ReadExifOrientation(const std::string& fileName) {
  TFileSource src(fileName);
  if (!src.IsOpen()) return 1;
  return WalkJpegSegments(src);
}

void RotateJpegFile(const std::string& fileName) {
  if (!IsJpegFileName(fileName)) return;
  const int orientation = ReadExifOrientation(fileName);
  if (!NeedsTurn(orientation)) return;
  const TRgbImage image = DecodeJpeg(fileName, ReadBinaryFile(fileName));
  WriteFileAtomic(fileName, EncodeJpeg(TurnImage(image, orientation), fileName));
}

void NormaliseJpegOrientation(const TDocProject& project, const std::string& outputDir) {
  const TRegex& srcAttr = CachedRegex("src\\s*=\\s*[\"']([^\"']+)[\"']", roIgnoreCase);
  const std::string assetsRoot = IncludeTrailingDelimiter(ExpandFileName(PathJoin(outputDir, "assets")));
  std::set<std::string> examined;
  const TFolderBoundary inside(project.RootPath());
  for (const auto& [id, topic] : project.Topics()) {
    if (topic->ExcludeChm()) continue;
    const std::string page = TopicFilePath(project, id);
    if (!FileExists(page) || !inside.Holds(page)) continue;
    const std::string html = ReadTextFileUtf8(page);
    for (const TRegexMatch& m : srcAttr.FindAll(html)) {
      const std::string path = PublishedPhotoPath(Trim(m.Group(1)), outputDir, assetsRoot);
      if (path.empty() || !FileExists(path) || !examined.insert(path).second) continue;
      if (NeedsTurn(ReadExifOrientation(path))) RotateJpegFile(path);
    }
  }
}
