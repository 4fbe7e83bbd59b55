// Small JPEG photos built in memory for the orientation and CHM tests.
#pragma once

#include <cstdint>
#include <string>

struct TRgb {
  int r, g, b;
};

// A w x h photo of four coloured quadrants: top-left, top-right, bottom-left, bottom-right.
std::string MakeQuadrantJpeg(int w, int h, TRgb tl, TRgb tr, TRgb bl, TRgb br);
// The APP1 Exif segment holding one Orientation entry, in little- or big-endian order.
std::string ExifSegment(int orientation, bool littleEndian);
// Inserts a segment right after the start-of-image marker.
std::string InsertAfterSoi(const std::string& jpeg, const std::string& segment);

struct TDecoded {
  int width = 0;
  int height = 0;
  std::string rgb;
  TRgb At(int x, int y) const;
};
TDecoded DecodeJpegForTest(const std::string& bytes);
// Colours within a tolerance (JPEG is lossy).
bool Near(TRgb a, TRgb b);
