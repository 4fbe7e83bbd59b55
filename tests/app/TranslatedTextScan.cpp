#include "TranslatedTextScan.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <set>

namespace {

enum class TKind { Ident, String, Number, Char, Punct };

struct TToken {
  TKind kind;
  std::string text;  // a string literal's value, escapes decoded
  int line;
};

bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class TLexer {
 public:
  explicit TLexer(const std::string& s) : S(s) {}

  std::vector<TToken> Tokens() {
    std::vector<TToken> out;
    bool lineStart = true;
    while (I < S.size()) {
      const char c = S[I];
      if (c == '\n') {
        ++Line;
        ++I;
        lineStart = true;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++I;
      } else if (c == '#' && lineStart) {
        SkipDirective();
      } else if (S.compare(I, 2, "//") == 0) {
        while (I < S.size() && S[I] != '\n') ++I;
      } else if (S.compare(I, 2, "/*") == 0) {
        const size_t end = S.find("*/", I + 2);
        CountLines(I, end == std::string::npos ? S.size() : end + 2);
        I = end == std::string::npos ? S.size() : end + 2;
      } else {
        lineStart = false;
        out.push_back(Next());
      }
    }
    return out;
  }

 private:
  void CountLines(size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) Line += S[k] == '\n';
  }

  void SkipDirective() {
    while (I < S.size() && S[I] != '\n') {
      if (S[I] == '\\' && I + 1 < S.size() && S[I + 1] == '\n') {
        ++Line;
        ++I;
      }
      ++I;
    }
  }

  TToken Next() {
    const int line = Line;
    const char c = S[I];
    if (IdentStart(c)) {
      const size_t start = I;
      while (I < S.size() && IdentChar(S[I])) ++I;
      const std::string word = S.substr(start, I - start);
      static const std::set<std::string> prefixes = {"u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"};
      if (I < S.size() && S[I] == '"' && prefixes.count(word)) {
        return {TKind::String, word.back() == 'R' ? RawString() : QuotedString(), line};
      }
      return {TKind::Ident, word, line};
    }
    if (c == '"') return {TKind::String, QuotedString(), line};
    if (c == '\'') {
      QuotedString();
      return {TKind::Char, "", line};
    }
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && I + 1 < S.size() && std::isdigit(static_cast<unsigned char>(S[I + 1])))) {
      const size_t start = I;
      while (I < S.size() && (IdentChar(S[I]) || S[I] == '.' || S[I] == '\'' ||
                              ((S[I] == '+' || S[I] == '-') && std::strchr("eEpP", S[I - 1])))) {
        ++I;
      }
      return {TKind::Number, S.substr(start, I - start), line};
    }
    for (const char* op : {"::", "->", "==", "!=", "<=", ">=", "+=", "<<", "&&", "||"}) {
      if (S.compare(I, 2, op) == 0) {
        I += 2;
        return {TKind::Punct, op, line};
      }
    }
    ++I;
    return {TKind::Punct, std::string(1, c), line};
  }

  // S[I] is the opening quote (" or '); returns the value with escapes decoded.
  std::string QuotedString() {
    const char quote = S[I++];
    std::string value;
    while (I < S.size() && S[I] != quote) {
      if (S[I] == '\n') ++Line;
      if (S[I] != '\\' || I + 1 >= S.size()) {
        value += S[I++];
        continue;
      }
      const char e = S[I + 1];
      I += 2;
      switch (e) {
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case 'a': value += '\a'; break;
        case 'b': value += '\b'; break;
        case 'f': value += '\f'; break;
        case 'v': value += '\v'; break;
        case 'x': {
          int v = 0;
          while (I < S.size() && HexDigit(S[I]) >= 0) v = v * 16 + HexDigit(S[I++]);
          value += static_cast<char>(v);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            int v = e - '0';
            for (int n = 0; n < 2 && I < S.size() && S[I] >= '0' && S[I] <= '7'; ++n) v = v * 8 + (S[I++] - '0');
            value += static_cast<char>(v);
          } else {
            value += e;  // \" \' \\ \?
          }
      }
    }
    ++I;
    return value;
  }

  // S[I] is the quote of R"delim( ... )delim".
  std::string RawString() {
    const size_t open = S.find('(', I);
    const std::string close = ")" + S.substr(I + 1, open - I - 1) + "\"";
    const size_t end = S.find(close, open);
    const std::string value = S.substr(open + 1, end - open - 1);
    CountLines(I, end);
    I = end + close.size();
    return value;
  }

  const std::string& S;
  size_t I = 0;
  int Line = 1;
};

struct TUnit {
  std::string name;
  std::vector<TToken> toks;
};

bool Is(const TUnit& u, size_t i, const char* text) {
  return i < u.toks.size() && u.toks[i].kind == TKind::Punct && u.toks[i].text == text;
}
bool IsIdent(const TUnit& u, size_t i) { return i < u.toks.size() && u.toks[i].kind == TKind::Ident; }
bool IsIdent(const TUnit& u, size_t i, const std::string& word) { return IsIdent(u, i) && u.toks[i].text == word; }

// The index of the bracket that closes the one at i; toks.size() when unbalanced.
size_t Close(const TUnit& u, size_t i) {
  int depth = 0;
  for (size_t k = i; k < u.toks.size(); ++k) {
    if (u.toks[k].kind != TKind::Punct) continue;
    const std::string& t = u.toks[k].text;
    if (t == "(" || t == "[" || t == "{") ++depth;
    if (t == ")" || t == "]" || t == "}") {
      if (--depth == 0) return k;
    }
  }
  return u.toks.size();
}

// The index of the bracket that opens the one closing at i; npos when unbalanced.
size_t Open(const TUnit& u, size_t i) {
  int depth = 0;
  for (size_t k = i + 1; k-- > 0;) {
    if (u.toks[k].kind != TKind::Punct) continue;
    const std::string& t = u.toks[k].text;
    if (t == ")" || t == "]" || t == "}") ++depth;
    if (t == "(" || t == "[" || t == "{") {
      if (--depth == 0) return k;
    }
  }
  return std::string::npos;
}

// The top-level pieces of [b, e) split at commas.
std::vector<std::pair<size_t, size_t>> SplitArgs(const TUnit& u, size_t b, size_t e) {
  std::vector<std::pair<size_t, size_t>> parts;
  size_t start = b;
  for (size_t k = b; k < e; ++k) {
    if (Is(u, k, "(") || Is(u, k, "[") || Is(u, k, "{")) k = Close(u, k);
    else if (Is(u, k, ",")) {
      parts.push_back({start, k});
      start = k + 1;
    }
  }
  if (start < e || !parts.empty()) parts.push_back({start, e});
  return parts;
}

// A function (or a lambda held in a variable) defined in a unit.
struct TFunction {
  const TUnit* unit;
  size_t name;    // the name token (for a lambda, the variable)
  size_t params;  // the "(" of its parameter list
  size_t body;    // the "{" of its body
};

class TScanner {
 public:
  explicit TScanner(const std::vector<TSourceFile>& files) {
    for (const TSourceFile& f : files) FUnits.push_back({f.name, TLexer(f.text).Tokens()});
  }

  TTranslatedTextScan Run() {
    for (const TUnit& u : FUnits) {
      for (size_t i = 0; i + 1 < u.toks.size(); ++i) {
        if (!(IsIdent(u, i, "Tr") || IsIdent(u, i, "TranslateText")) || !Is(u, i + 1, "(")) continue;
        // "QString Tr(const std::string& english)" declares; calls follow punctuation or return.
        if (i > 0 && ((IsIdent(u, i - 1) && u.toks[i - 1].text != "return") || Is(u, i - 1, ".") || Is(u, i - 1, "->")))
          continue;
        const size_t close = Close(u, i + 1);
        std::set<std::string> texts;
        FVisited.clear();
        FInWrapper = false;
        const bool resolved = Resolve(u, i + 2, close, texts, 0);
        if (FInWrapper) continue;
        if (resolved && !texts.empty()) {
          // The lookup takes a text of several lines line by line.
          for (const std::string& t : texts) {
            for (size_t from = 0; from <= t.size();) {
              const size_t end = std::min(t.find('\n', from), t.size());
              if (end > from) FResult.texts.push_back({u.name, u.toks[i].line, t.substr(from, end - from)});
              from = end + 1;
            }
          }
        } else {
          FResult.unresolved.push_back({u.name, u.toks[i].line, Spelling(u, i + 2, close)});
        }
      }
    }
    return FResult;
  }

 private:
  static std::string Spelling(const TUnit& u, size_t b, size_t e) {
    std::string s;
    for (size_t k = b; k < e && k < u.toks.size(); ++k) {
      if (!s.empty()) s += ' ';
      s += u.toks[k].kind == TKind::String ? "\"" + u.toks[k].text + "\"" : u.toks[k].text;
    }
    return s;
  }

  // Every string literal in [b, e), adjacent ones joined as the compiler joins them;
  // returns how many there were.
  static int Literals(const TUnit& u, size_t b, size_t e, std::set<std::string>& out) {
    int count = 0;
    for (size_t k = b; k < e; ++k) {
      if (u.toks[k].kind != TKind::String) continue;
      std::string text;
      for (; k < e && u.toks[k].kind == TKind::String; ++k) text += u.toks[k].text;
      out.insert(text);
      ++count;
    }
    return count;
  }

  // The texts the expression [b, e) can have; false when it cannot be followed back.
  bool Resolve(const TUnit& u, size_t b, size_t e, std::set<std::string>& out, int depth) {
    if (depth > 10 || b >= e) return false;
    if (Is(u, b, "(") && Close(u, b) == e - 1) return Resolve(u, b + 1, e - 1, out, depth);
    // cond ? a : b
    for (size_t k = b; k < e; ++k) {
      if (Is(u, k, "(") || Is(u, k, "[") || Is(u, k, "{")) k = Close(u, k);
      else if (Is(u, k, "?")) {
        int nested = 0;
        for (size_t c = k + 1; c < e; ++c) {
          if (Is(u, c, "(") || Is(u, c, "[") || Is(u, c, "{")) c = Close(u, c);
          else if (Is(u, c, "?")) ++nested;
          else if (Is(u, c, ":") && nested-- == 0)
            return Resolve(u, k + 1, c, out, depth + 1) && Resolve(u, c + 1, e, out, depth + 1);
        }
        return false;
      }
    }
    bool allStrings = true;
    for (size_t k = b; k < e; ++k) allStrings = allStrings && u.toks[k].kind == TKind::String;
    if (allStrings) {
      Literals(u, b, e, out);
      return true;
    }
    // A table: every text in it.
    if (Is(u, b, "{") && Close(u, b) == e - 1) return Literals(u, b, e, out) > 0;
    // name, a.b, a->b, a[i], ns::name, or a call of one of these.
    size_t k = b;
    std::string base, last;
    while (k < e) {
      if (IsIdent(u, k)) {
        if (base.empty()) base = u.toks[k].text;
        last = u.toks[k].text;
        ++k;
      } else if (Is(u, k, "::") && !last.empty()) {
        base.clear();  // a qualified name: the part after "::" names it
        ++k;
        if (IsIdent(u, k)) base = u.toks[k].text;
      } else if ((Is(u, k, ".") || Is(u, k, "->")) && !last.empty()) {
        ++k;
      } else if (Is(u, k, "[") && !last.empty()) {
        k = Close(u, k) + 1;
      } else {
        break;
      }
    }
    if (base.empty()) return false;
    if (k == e) return ResolveName(u, base, b, out, depth + 1);
    if (Is(u, k, "(") && Close(u, k) == e - 1) return ResolveCall(u, last, out);
    return false;
  }

  // A call: the texts its body returns, for a function defined in the sources.
  bool ResolveCall(const TUnit& u, const std::string& name, std::set<std::string>& out) {
    int count = 0;
    for (const TFunction& f : Functions(u, name)) count += Literals(*f.unit, f.body, Close(*f.unit, f.body), out);
    return count > 0;
  }

  // 1 resolved, 0 not this kind of name, -1 this kind but not followed back.
  bool ResolveName(const TUnit& u, const std::string& name, size_t pos, std::set<std::string>& out, int depth) {
    const std::string key = u.name + ":" + std::to_string(pos) + ":" + name;
    if (!FVisited.insert(key).second) return true;  // a cycle adds nothing new
    if (const int loop = ResolveLoopVariable(u, name, pos, out, depth)) return loop > 0;
    if (const int param = ResolveParameter(u, name, pos, out, depth)) return param > 0;
    // A local of the function around pos...
    const auto [b, e] = OutermostBlock(u, pos);
    if (b < e) {
      const int assigned = ResolveAssignments(u, name, b, e, out, depth, false);
      const int filled = ResolveOutArguments(u, name, b, e, out, depth);
      if (assigned < 0 || filled < 0) return false;
      if (assigned > 0 || filled > 0) return true;
    }
    // ...else a constant of this file or another ("extern const char* const kName").
    const int here = ResolveAssignments(u, name, 0, u.toks.size(), out, depth, true);
    if (here != 0) return here > 0;
    bool found = false;
    for (const TUnit& other : FUnits) {
      if (&other == &u) continue;
      const int r = ResolveAssignments(other, name, 0, other.toks.size(), out, depth, true);
      if (r < 0) return false;
      found = found || r > 0;
    }
    return found;
  }

  // The outermost braces around pos that are not a namespace's: a function's body, or a
  // class's. [0, 0) at namespace level.
  static std::pair<size_t, size_t> OutermostBlock(const TUnit& u, size_t pos) {
    std::pair<size_t, size_t> block{0, 0};
    for (size_t k = pos; k-- > 0;) {
      if (!Is(u, k, "{") || IsNamespaceBlock(u, k)) continue;
      const size_t close = Close(u, k);
      if (close >= pos) block = {k, close};
    }
    return block;
  }

  static bool IsNamespaceBlock(const TUnit& u, size_t brace) {
    return (brace >= 1 && IsIdent(u, brace - 1, "namespace")) || (brace >= 2 && IsIdent(u, brace - 2, "namespace")) ||
           (brace >= 2 && IsIdent(u, brace - 2, "extern") && u.toks[brace - 1].kind == TKind::String);
  }

  // Whether token i lies inside braces other than a namespace's.
  static bool InsideBlock(const TUnit& u, size_t i) {
    for (size_t k = i; k-- > 0;) {
      if (Is(u, k, "{") && !IsNamespaceBlock(u, k) && Close(u, k) > i) return true;
    }
    return false;
  }

  // for (... name ... : range) around pos: the texts of the range.
  int ResolveLoopVariable(const TUnit& u, const std::string& name, size_t pos, std::set<std::string>& out, int depth) {
    for (size_t k = pos; k-- > 0;) {
      if (!IsIdent(u, k, "for") || !Is(u, k + 1, "(")) continue;
      const size_t close = Close(u, k + 1);
      size_t bodyEnd = close + 1;
      if (Is(u, bodyEnd, "{")) bodyEnd = Close(u, bodyEnd);
      else
        while (bodyEnd < u.toks.size() && !Is(u, bodyEnd, ";"))
          bodyEnd = Is(u, bodyEnd, "(") ? Close(u, bodyEnd) + 1 : bodyEnd + 1;
      if (pos <= close || pos > bodyEnd) continue;
      bool declares = false;
      for (size_t c = k + 2; c < close; ++c) {
        if (Is(u, c, ":")) {
          if (!declares) break;
          return Resolve(u, c + 1, close, out, depth + 1) ? 1 : -1;
        }
        declares = declares || IsIdent(u, c, name);
      }
    }
    return 0;
  }

  // A parameter of the function or lambda around pos: the arguments of its calls.
  int ResolveParameter(const TUnit& u, const std::string& name, size_t pos, std::set<std::string>& out, int depth) {
    for (size_t k = pos; k-- > 0;) {
      if (!Is(u, k, "{") || Close(u, k) < pos) continue;
      size_t h = k;
      while (h > 0 && IsQualifier(u, h - 1)) --h;
      if (h == 0 || !Is(u, h - 1, ")")) continue;
      const size_t open = Open(u, h - 1);
      if (open == std::string::npos || (open > 0 && IsControl(u, open - 1))) continue;
      const auto params = SplitArgs(u, open + 1, h - 1);
      for (size_t p = 0; p < params.size(); ++p) {
        bool named = false;
        for (size_t t = params[p].first; t < params[p].second && !Is(u, t, "="); ++t)
          named = named || IsIdent(u, t, name);
        if (!named) continue;
        const std::string function = FunctionNameBefore(u, open);
        // The lookup's own wrappers pass their parameter on.
        if (function == "Tr" || function == "TranslateText") {
          FInWrapper = true;
          return 1;
        }
        if (function.empty()) return -1;
        bool any = false;
        for (size_t c = 0; c + 1 < u.toks.size(); ++c) {
          if (!IsIdent(u, c, function) || !Is(u, c + 1, "(") || c + 1 == open) continue;
          if (c > 0 && IsIdent(u, c - 1) && u.toks[c - 1].text != "return") continue;  // a declaration
          const auto args = SplitArgs(u, c + 2, Close(u, c + 1));
          if (p >= args.size()) continue;
          if (!Resolve(u, args[p].first, args[p].second, out, depth + 1)) return -1;
          any = true;
        }
        return any ? 1 : -1;
      }
    }
    return 0;
  }

  static bool IsControl(const TUnit& u, size_t i) {
    static const std::set<std::string> words = {"if",    "for",    "while",  "switch",
                                                "catch", "return", "sizeof", "decltype"};
    return IsIdent(u, i) && words.count(u.toks[i].text) > 0;
  }

  static bool IsQualifier(const TUnit& u, size_t i) {
    static const std::set<std::string> words = {"const", "override", "noexcept", "mutable", "final"};
    return IsIdent(u, i) && words.count(u.toks[i].text) > 0;
  }

  // The name of the function whose parameter list opens at open; for a lambda, the
  // variable it is stored in.
  static std::string FunctionNameBefore(const TUnit& u, size_t open) {
    if (open == 0) return "";
    if (IsIdent(u, open - 1)) return IsControl(u, open - 1) ? "" : u.toks[open - 1].text;
    if (Is(u, open - 1, "]")) {
      const size_t capture = Open(u, open - 1);
      if (capture != std::string::npos && capture >= 2 && Is(u, capture - 1, "=") && IsIdent(u, capture - 2))
        return u.toks[capture - 2].text;
    }
    return "";
  }

  // "name = ...;", "name[] = {...}", "name{...}" in [b, e): the texts assigned.
  // 1 something found, 0 nothing, -1 an assignment not followed back.
  int ResolveAssignments(const TUnit& u, const std::string& name, size_t b, size_t e, std::set<std::string>& out,
                         int depth, bool namespaceLevelOnly) {
    int found = 0;
    for (size_t k = b; k < e; ++k) {
      if (!IsIdent(u, k, name) || (k > 0 && (Is(u, k - 1, ".") || Is(u, k - 1, "->")))) continue;
      if (namespaceLevelOnly && InsideBlock(u, k)) continue;
      size_t n = k + 1;
      while (Is(u, n, "[")) n = Close(u, n) + 1;
      size_t from = 0, to = 0;
      if (Is(u, n, "=")) {
        // Up to the end of the statement, the next declarator, or the end of a default argument's list.
        from = n + 1;
        to = from;
        while (to < e && !Is(u, to, ";") && !Is(u, to, ",") && !Is(u, to, ")") && !Is(u, to, "}")) {
          to = (Is(u, to, "(") || Is(u, to, "[") || Is(u, to, "{")) ? Close(u, to) + 1 : to + 1;
        }
      } else if (Is(u, n, "{") && k > 0 &&
                 (IsIdent(u, k - 1) || Is(u, k - 1, "*") || Is(u, k - 1, "&") || Is(u, k - 1, ">")) &&
                 !IsIdent(u, k - 1, "struct") && !IsIdent(u, k - 1, "class") && !IsIdent(u, k - 1, "namespace") &&
                 !IsIdent(u, k - 1, "enum")) {
        from = n;
        to = Close(u, n) + 1;
      } else {
        continue;
      }
      if (!Resolve(u, from, to, out, depth + 1)) return -1;
      found = 1;
    }
    return found;
  }

  // name handed to a function that fills it: what that function assigns to its parameter.
  // 1 resolved, 0 no such call, -1 a call whose function is not followed back.
  int ResolveOutArguments(const TUnit& u, const std::string& name, size_t b, size_t e, std::set<std::string>& out,
                          int depth) {
    int found = 0;
    for (size_t c = b; c + 1 < e; ++c) {
      if (!IsIdent(u, c) || !Is(u, c + 1, "(")) continue;
      if (c > 0 && IsIdent(u, c - 1) && u.toks[c - 1].text != "return") continue;
      const auto args = SplitArgs(u, c + 2, Close(u, c + 1));
      for (size_t p = 0; p < args.size(); ++p) {
        if (args[p].second != args[p].first + 1 || !IsIdent(u, args[p].first, name)) continue;
        if (u.toks[c].text == "Tr" || u.toks[c].text == "TranslateText") continue;
        for (const TFunction& f : Functions(u, u.toks[c].text)) {
          const auto params = SplitArgs(*f.unit, f.params + 1, Close(*f.unit, f.params));
          if (p >= params.size()) continue;
          size_t t = params[p].second;
          while (t > params[p].first && !IsIdent(*f.unit, t - 1)) --t;
          if (t == params[p].first) continue;
          const std::string param = f.unit->toks[t - 1].text;
          const int r = ResolveAssignments(*f.unit, param, f.body, Close(*f.unit, f.body), out, depth + 1, false);
          if (r < 0) return -1;
          if (r > 0) found = 1;
        }
      }
    }
    return found;
  }

  // Definitions of the function name: in u first, else in every unit.
  std::vector<TFunction> Functions(const TUnit& u, const std::string& name) {
    std::vector<TFunction> found = FunctionsIn(u, name);
    if (!found.empty()) return found;
    for (const TUnit& other : FUnits) {
      if (&other == &u) continue;
      for (const TFunction& f : FunctionsIn(other, name)) found.push_back(f);
    }
    return found;
  }

  static std::vector<TFunction> FunctionsIn(const TUnit& u, const std::string& name) {
    std::vector<TFunction> found;
    for (size_t k = 0; k + 1 < u.toks.size(); ++k) {
      if (!IsIdent(u, k, name) || !Is(u, k + 1, "(")) continue;
      size_t h = Close(u, k + 1) + 1;
      while (IsQualifier(u, h)) ++h;
      if (Is(u, h, "{") && k > 0 &&
          (IsIdent(u, k - 1) || Is(u, k - 1, "::") || Is(u, k - 1, "*") || Is(u, k - 1, "&") || Is(u, k - 1, ">")))
        found.push_back({&u, k, k + 1, h});
    }
    return found;
  }

  std::vector<TUnit> FUnits;
  std::set<std::string> FVisited;
  bool FInWrapper = false;  // the call is inside Tr or TranslateText itself
  TTranslatedTextScan FResult;
};

}  // namespace

TTranslatedTextScan ScanTranslatedTexts(const std::vector<TSourceFile>& files) { return TScanner(files).Run(); }
