// Turns published JPEG photos upright according to their EXIF Orientation tag, so
// viewers that ignore the tag (the HTML Help viewer) show them the right way up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "uDocModel.h"

// For every JPEG the project's pages reference under assets/ (topics excluded from CHM
// skipped), turns its copy below outputDir when its tag asks for a turn (3, 6 or 8).
// Each file is examined once. The project's own assets are never touched.
void NormaliseJpegOrientation(const TDocProject& project, const std::string& outputDir);

// The EXIF orientation (tag 0x0112 in IFD0 of the APP1 Exif segment), 1 when the file
// is missing, not a JPEG or has no usable tag. Reads only segment headers up to the
// APP1 segment; other segments are skipped with a seek.
int ReadExifOrientation(const std::string& fileName);
// The same over bytes in memory.
int ReadExifOrientationFromBytes(const std::uint8_t* data, std::size_t size);

// Turns one .jpg/.jpeg file in place for orientation 3, 6 or 8 and writes it again at
// quality 92 without EXIF data; any other file or orientation is left alone. A photo
// that cannot be decoded, is too large, or cannot be written raises EFolivaneError.
void RotateJpegFile(const std::string& fileName);

// Largest image (in pixels) RotateJpegFile decodes, so a damaged header that claims
// huge dimensions fails with a message instead of exhausting memory.
constexpr std::uint64_t kMaxRotatePixels = 200'000'000;
