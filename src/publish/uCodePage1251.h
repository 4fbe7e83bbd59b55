// UTF-8 text to the Windows-1251 code page of the CHM files, through iconv.
#pragma once

#include <string>
#include <string_view>

// What becomes of a character that Windows-1251 lacks.
enum class TUnmappable {
  CloseCharacter,    // a close character where iconv knows one ("é" -> "e"), else "?"
  NumericReference,  // a decimal character reference ("&#233;"), so no text is lost
};

// One converter, opened once and reused for many texts (not shared between threads).
class TCodePage1251Encoder {
 public:
  explicit TCodePage1251Encoder(TUnmappable mode);
  ~TCodePage1251Encoder();
  TCodePage1251Encoder(const TCodePage1251Encoder&) = delete;
  TCodePage1251Encoder& operator=(const TCodePage1251Encoder&) = delete;

  // Converts valid UTF-8 (invalid bytes become U+FFFD first).
  std::string Encode(std::string_view utf8);

 private:
  TUnmappable FMode;
  void* FIconv;
};

std::string Utf8ToWindows1251(std::string_view utf8, TUnmappable mode);
