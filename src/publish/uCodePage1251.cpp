#include "uCodePage1251.h"

#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

#include "uUtils.h"

namespace {

iconv_t Handle(void* p) { return static_cast<iconv_t>(p); }

// The code point and byte length of the UTF-8 sequence at s (valid UTF-8 assumed).
std::pair<char32_t, size_t> DecodeOne(const unsigned char* s, size_t left) {
  const unsigned char b = s[0];
  size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  if (len > left) len = left;
  char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
  for (size_t i = 1; i < len; ++i) cp = (cp << 6) | (s[i] & 0x3F);
  return {cp, len};
}

// iconv finds close characters through the thread's LC_CTYPE; the program runs in the
// "C" locale, which knows few of them. C.UTF-8 knows the accented letters ("é" -> "e").
locale_t TransliterationLocale() {
  static const locale_t loc = [] {
    locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = ::newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    return l;
  }();
  return loc;
}

class TThreadLocaleScope {
 public:
  explicit TThreadLocaleScope(locale_t loc) : FOld(loc ? ::uselocale(loc) : static_cast<locale_t>(nullptr)) {}
  ~TThreadLocaleScope() {
    if (FOld) ::uselocale(FOld);
  }
  TThreadLocaleScope(const TThreadLocaleScope&) = delete;
  TThreadLocaleScope& operator=(const TThreadLocaleScope&) = delete;

 private:
  locale_t FOld;
};

}  // namespace

TCodePage1251Encoder::TCodePage1251Encoder(TUnmappable mode) : FMode(mode) {
  const iconv_t cd = ::iconv_open(mode == TUnmappable::CloseCharacter ? "CP1251//TRANSLIT" : "CP1251", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw EFolivaneError(std::string("The Windows-1251 code page is not available: ") + std::strerror(errno));
  }
  FIconv = cd;
}

TCodePage1251Encoder::~TCodePage1251Encoder() { ::iconv_close(Handle(FIconv)); }

std::string TCodePage1251Encoder::Encode(std::string_view utf8) {
  std::string repaired;
  if (!IsValidUtf8(utf8)) {
    repaired = SanitizeUtf8(utf8);
    utf8 = repaired;
  }
  const iconv_t cd = Handle(FIconv);
  TThreadLocaleScope locale(FMode == TUnmappable::CloseCharacter ? TransliterationLocale()
                                                                 : static_cast<locale_t>(nullptr));
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out(utf8.size() + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  size_t outPos = 0;
  while (inLeft > 0) {
    char* outPtr = out.data() + outPos;
    size_t outLeft = out.size() - outPos;
    const size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    outPos = static_cast<size_t>(outPtr - out.data());
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // A character the code page lacks (or a cut-off sequence at the end).
    const auto [cp, len] = DecodeOne(reinterpret_cast<const unsigned char*>(in), inLeft);
    const std::string replacement =
        FMode == TUnmappable::NumericReference ? "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";" : "?";
    if (out.size() - outPos < replacement.size()) out.resize(out.size() * 2 + replacement.size());
    std::memcpy(out.data() + outPos, replacement.data(), replacement.size());
    outPos += replacement.size();
    in += len;
    inLeft -= len;
  }
  out.resize(outPos);
  return out;
}

std::string Utf8ToWindows1251(std::string_view utf8, TUnmappable mode) {
  TCodePage1251Encoder encoder(mode);
  return encoder.Encode(utf8);
}
