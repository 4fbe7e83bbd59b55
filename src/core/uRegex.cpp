#include "uRegex.h"

#include <map>
#include <mutex>

#include <pcre2.h>

#include "uUtils.h"

struct TRegex::TImpl {
  pcre2_code* code = nullptr;
  int captureCount = 0;
};

namespace {

// Match data is per thread: compiled patterns are shared, scratch space is not.
struct TMatchData {
  pcre2_match_data* data = nullptr;
  ~TMatchData() { pcre2_match_data_free(data); }
};

pcre2_match_data* MatchDataFor(int captureCount) {
  thread_local TMatchData scratch;
  thread_local int capacity = -1;
  if (capacity < captureCount + 1) {
    pcre2_match_data_free(scratch.data);
    capacity = std::max(captureCount + 1, 16);
    scratch.data = pcre2_match_data_create(static_cast<uint32_t>(capacity), nullptr);
  }
  return scratch.data;
}

}  // namespace

TRegex::TRegex(const std::string& pattern, unsigned options) : FPattern(pattern), FImpl(new TImpl) {
  uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
  if (options & roIgnoreCase) flags |= PCRE2_CASELESS;
  if (options & roDotAll) flags |= PCRE2_DOTALL;
  if (options & roMultiLine) flags |= PCRE2_MULTILINE;
  if (options & roUnicodeClasses) flags |= PCRE2_UCP;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  FImpl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &errorCode,
                              &errorOffset, nullptr);
  if (!FImpl->code) {
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(errorCode, buffer, sizeof buffer);
    throw EFolivaneError("Invalid regular expression at offset " + std::to_string(errorOffset) + ": " +
                         reinterpret_cast<const char*>(buffer));
  }
  pcre2_jit_compile(FImpl->code, PCRE2_JIT_COMPLETE);  // falls back to the interpreter when unavailable
  uint32_t count = 0;
  pcre2_pattern_info(FImpl->code, PCRE2_INFO_CAPTURECOUNT, &count);
  FImpl->captureCount = static_cast<int>(count);
}

TRegex::~TRegex() { pcre2_code_free(FImpl->code); }

bool TRegex::Search(std::string_view subject, TRegexMatch& match, size_t offset) const {
  if (offset > subject.size()) return false;
  pcre2_match_data* md = MatchDataFor(FImpl->captureCount);
  const int rc =
      pcre2_match(FImpl->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), offset, 0, md, nullptr);
  if (rc < 0) {
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT) {
      throw EFolivaneError("The text is too complex for a regular expression");
    }
    return false;
  }
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
  const int groups = FImpl->captureCount + 1;
  match.FRegex = this;
  match.FSubject = subject;
  match.FStarts.assign(groups, std::string::npos);
  match.FEnds.assign(groups, std::string::npos);
  for (int g = 0; g < groups && g < rc; ++g) {
    if (ov[2 * g] == PCRE2_UNSET) continue;
    match.FStarts[g] = ov[2 * g];
    match.FEnds[g] = ov[2 * g + 1];
  }
  return true;
}

bool TRegex::IsMatch(std::string_view subject) const {
  TRegexMatch m;
  return Search(subject, m);
}

namespace {

// Where the next search starts after m: past an empty match by one whole character.
size_t NextOffset(std::string_view subject, const TRegexMatch& m) {
  size_t next = m.End();
  if (m.End() == m.Start()) {
    ++next;
    while (next < subject.size() && (static_cast<unsigned char>(subject[next]) & 0xC0) == 0x80) ++next;
  }
  return next;
}

}  // namespace

std::vector<TRegexMatch> TRegex::FindAll(std::string_view subject) const {
  std::vector<TRegexMatch> all;
  TRegexMatch m;
  for (size_t offset = 0; offset <= subject.size() && Search(subject, m, offset); offset = NextOffset(subject, m)) {
    all.push_back(m);
  }
  return all;
}

std::string TRegex::Replace(std::string_view subject,
                            const std::function<std::string(const TRegexMatch&)>& replacer) const {
  TRegexMatch m;
  if (!Search(subject, m)) return std::string(subject);
  std::string out;
  out.reserve(subject.size());
  size_t copied = 0;
  size_t offset = 0;
  while (offset <= subject.size() && Search(subject, m, offset)) {
    out.append(subject.substr(copied, m.Start() - copied));
    out.append(replacer(m));
    copied = m.End();
    offset = NextOffset(subject, m);
    if (offset > copied && offset <= subject.size()) {
      out.append(subject.substr(copied, offset - copied));
      copied = offset;
    }
  }
  if (copied < subject.size()) out.append(subject.substr(copied));
  return out;
}

std::string TRegex::ReplaceAll(std::string_view subject, std::string_view replacement) const {
  if (replacement.find('$') == std::string_view::npos) {
    const std::string fixed(replacement);
    return Replace(subject, [&](const TRegexMatch&) { return fixed; });
  }
  return Replace(subject, [&](const TRegexMatch& m) { return ExpandReplacement(m, replacement); });
}

std::string ExpandReplacement(const TRegexMatch& m, std::string_view replacement) {
  std::string out;
  for (size_t i = 0; i < replacement.size(); ++i) {
    const char c = replacement[i];
    if (c != '$' || i + 1 >= replacement.size()) {
      out += c;
      continue;
    }
    const char next = replacement[i + 1];
    if (next == '$') {
      out += '$';
      ++i;
    } else if (next >= '0' && next <= '9') {
      int group = next - '0';
      ++i;
      if (i + 1 < replacement.size() && replacement[i + 1] >= '0' && replacement[i + 1] <= '9' &&
          group * 10 + (replacement[i + 1] - '0') < m.GroupCount()) {
        group = group * 10 + (replacement[++i] - '0');
      }
      if (group < m.GroupCount()) out.append(m.Group(group));
    } else if (next == '{') {
      const size_t close = replacement.find('}', i + 2);
      if (close == std::string_view::npos) {
        out += c;
        continue;
      }
      const std::string name(replacement.substr(i + 2, close - i - 2));
      const bool numeric =
          !name.empty() && name.size() < 4 && name.find_first_not_of("0123456789") == std::string::npos;
      out.append(numeric ? m.Group(std::stoi(name)) : m.Group(name));
      i = close;
    } else {
      out += c;
    }
  }
  return out;
}

int TRegex::GroupNumber(const std::string& name) const {
  const int n = pcre2_substring_number_from_name(FImpl->code, reinterpret_cast<PCRE2_SPTR>(name.c_str()));
  return n < 0 ? -1 : n;
}

bool TRegexMatch::Matched(int group) const {
  return group >= 0 && group < GroupCount() && FStarts[group] != std::string::npos;
}

std::string_view TRegexMatch::Group(int group) const {
  if (!Matched(group)) return {};
  return FSubject.substr(FStarts[group], FEnds[group] - FStarts[group]);
}

std::string_view TRegexMatch::Group(const std::string& name) const {
  return FRegex ? Group(FRegex->GroupNumber(name)) : std::string_view();
}

size_t TRegexMatch::Start(int group) const { return Matched(group) ? FStarts[group] : std::string::npos; }
size_t TRegexMatch::End(int group) const { return Matched(group) ? FEnds[group] : std::string::npos; }

const TRegex& CachedRegex(const std::string& pattern, unsigned options) {
  static std::mutex lock;
  static std::map<std::pair<std::string, unsigned>, std::unique_ptr<TRegex>> cache;
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = cache[{pattern, options}];
  if (!slot) slot = std::make_unique<TRegex>(pattern, options);
  return *slot;
}
