// libFuzzer target: the EXIF orientation reader over any bytes must not crash, read
// outside its data or trip a sanitizer, and always answer a 16-bit value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "uJpegOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int orientation = ReadExifOrientationFromBytes(data, size);
  if (orientation < 0 || orientation > 0xFFFF) std::abort();
  return 0;
}
