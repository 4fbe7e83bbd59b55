#include "JpegTestImages.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

std::string MakeQuadrantJpeg(int w, int h, TRgb tl, TRgb tr, TRgb bl, TRgb br) {
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TRgb c = y < h / 2 ? (x < w / 2 ? tl : tr) : (x < w / 2 ? bl : br);
      unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<unsigned char>(c.r);
      p[1] = static_cast<unsigned char>(c.g);
      p[2] = static_cast<unsigned char>(c.b);
    }
  }
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
  jpeg_set_quality(&cinfo, 95, TRUE);
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

namespace {

void Put16(std::string& s, int v, bool le) {
  if (le) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
  } else {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
  }
}

void Put32(std::string& s, std::uint32_t v, bool le) {
  if (le) {
    Put16(s, static_cast<int>(v & 0xFFFF), le);
    Put16(s, static_cast<int>(v >> 16), le);
  } else {
    Put16(s, static_cast<int>(v >> 16), le);
    Put16(s, static_cast<int>(v & 0xFFFF), le);
  }
}

}  // namespace

std::string ExifSegment(int orientation, bool le) {
  std::string tiff = le ? "II" : "MM";
  Put16(tiff, 42, le);
  Put32(tiff, 8, le);
  Put16(tiff, 1, le);            // one entry
  Put16(tiff, 0x0112, le);       // Orientation
  Put16(tiff, 3, le);            // SHORT
  Put32(tiff, 1, le);            // one value
  Put16(tiff, orientation, le);  // in the first half of the value field
  Put16(tiff, 0, le);
  Put32(tiff, 0, le);  // no next IFD
  const std::string data = std::string("Exif\0\0", 6) + tiff;
  std::string seg = "\xFF\xE1";
  Put16(seg, static_cast<int>(data.size() + 2), false);
  return seg + data;
}

std::string InsertAfterSoi(const std::string& jpeg, const std::string& segment) {
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

TRgb TDecoded::At(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
          static_cast<unsigned char>(rgb[i + 2])};
}

TDecoded DecodeJpegForTest(const std::string& bytes) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  TDecoded d;
  d.width = static_cast<int>(cinfo.output_width);
  d.height = static_cast<int>(cinfo.output_height);
  d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<unsigned char*>(&d.rgb[static_cast<size_t>(cinfo.output_scanline) * d.width * 3]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return d;
}

bool Near(TRgb a, TRgb b) { return std::abs(a.r - b.r) < 40 && std::abs(a.g - b.g) < 40 && std::abs(a.b - b.b) < 40; }
