// A small PCRE2 wrapper: UTF mode, compiled once, JIT where available.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TRegexOption : unsigned {
  roNone = 0,
  roIgnoreCase = 1,
  roDotAll = 2,
  roMultiLine = 4,
  roUnicodeClasses = 8,  // \w, \d, \b and [[:alpha:]] know every script, not ASCII alone
};

class TRegex;

// One match: group 0 is the whole match. Offsets are byte offsets into the subject.
class TRegexMatch {
 public:
  bool Matched(int group = 0) const;
  std::string_view Group(int group = 0) const;
  std::string_view Group(const std::string& name) const;
  size_t Start(int group = 0) const;
  size_t End(int group = 0) const;
  int GroupCount() const { return static_cast<int>(FStarts.size()); }

 private:
  friend class TRegex;
  const TRegex* FRegex = nullptr;
  std::string_view FSubject;
  std::vector<size_t> FStarts;  // npos for an unset group
  std::vector<size_t> FEnds;
};

class TRegex {
 public:
  // Raises EFolivaneError when the pattern does not compile.
  explicit TRegex(const std::string& pattern, unsigned options = roNone);
  ~TRegex();
  TRegex(const TRegex&) = delete;
  TRegex& operator=(const TRegex&) = delete;

  // The first match at or after offset.
  bool Search(std::string_view subject, TRegexMatch& match, size_t offset = 0) const;
  bool IsMatch(std::string_view subject) const;
  std::vector<TRegexMatch> FindAll(std::string_view subject) const;
  // Every match replaced by what the callback returns.
  std::string Replace(std::string_view subject, const std::function<std::string(const TRegexMatch&)>& replacer) const;
  // Every match replaced by a template in which $0..$99, ${n} and ${name} name groups; $$ is "$".
  std::string ReplaceAll(std::string_view subject, std::string_view replacement) const;
  int GroupNumber(const std::string& name) const;
  const std::string& Pattern() const { return FPattern; }

 private:
  std::string FPattern;
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The replacement template for one match: $0..$99, ${n} and ${name} name groups; $$ is "$".
std::string ExpandReplacement(const TRegexMatch& match, std::string_view replacement);

// A compiled pattern from a process-wide cache, so a pattern is compiled once.
const TRegex& CachedRegex(const std::string& pattern, unsigned options = roNone);
