#include "uJson.h"

#include <vector>

#include "uUtils.h"

namespace {

// Builds a document like nlohmann's own DOM parser, except that a repeated key
// keeps its first value (the readers of the stored files take the first pair).
class TFirstKeyWinsBuilder : public nlohmann::json_sax<TJson> {
 public:
  TJson root;
  std::string error;

  bool null() override { return Put(nullptr); }
  bool boolean(bool v) override { return Put(v); }
  bool number_integer(number_integer_t v) override { return Put(v); }
  bool number_unsigned(number_unsigned_t v) override { return Put(v); }
  bool number_float(number_float_t v, const string_t&) override { return Put(v); }
  bool string(string_t& v) override { return Put(std::move(v)); }
  bool binary(binary_t&) override { return Put(nullptr); }

  bool start_object(std::size_t) override { return Open(TJson::object()); }
  bool start_array(std::size_t) override { return Open(TJson::array()); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& k) override {
    if (FSkipDepth > 0) return true;
    if (FStack.back()->contains(k)) {
      FSkipNext = true;
    } else {
      FKey = std::move(k);
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
    error = JsonParseErrorText(ex);
    return false;
  }

 private:
  std::vector<TJson*> FStack;
  std::string FKey;
  int FSkipDepth = 0;
  bool FSkipNext = false;

  // Stores v in the current container; returns where it went, or nullptr when skipped.
  TJson* Place(TJson&& v) {
    if (FSkipDepth > 0) return nullptr;
    if (FSkipNext) {
      FSkipNext = false;
      return nullptr;
    }
    if (FStack.empty()) {
      root = std::move(v);
      return &root;
    }
    TJson& parent = *FStack.back();
    if (parent.is_array()) {
      parent.push_back(std::move(v));
      return &parent.back();
    }
    TJson& slot = parent[FKey];
    slot = std::move(v);
    return &slot;
  }

  bool Put(TJson v) {
    Place(std::move(v));
    return true;
  }

  bool Open(TJson&& container) {
    if (FSkipDepth > 0 || FSkipNext) {
      FSkipNext = false;
      ++FSkipDepth;
      return true;
    }
    FStack.push_back(Place(std::move(container)));
    return true;
  }

  bool Close() {
    if (FSkipDepth > 0) {
      --FSkipDepth;
      return true;
    }
    FStack.pop_back();
    return true;
  }
};

const char kHex[] = "0123456789ABCDEF";

void AppendU16Escape(std::string& out, unsigned unit) {
  out += "\\u";
  out += kHex[(unit >> 12) & 0xF];
  out += kHex[(unit >> 8) & 0xF];
  out += kHex[(unit >> 4) & 0xF];
  out += kHex[unit & 0xF];
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x80) {
      if (c == '"' || c == '\\' || c == '/') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    switch (c) {
      case '\b':
        out += "\\b";
        ++i;
        continue;
      case '\t':
        out += "\\t";
        ++i;
        continue;
      case '\n':
        out += "\\n";
        ++i;
        continue;
      case '\f':
        out += "\\f";
        ++i;
        continue;
      case '\r':
        out += "\\r";
        ++i;
        continue;
      default: break;
    }
    if (c < 0x20) {
      AppendU16Escape(out, c);
      ++i;
      continue;
    }
    // A non-ASCII character: escape its UTF-16 code units.
    size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80 && end - i < 4) ++end;
    for (char16_t unit : Utf8ToUtf16(text.substr(i, end - i))) AppendU16Escape(out, unit);
    i = end;
  }
  out += '"';
}

}  // namespace

std::string JsonParseErrorText(const std::exception& ex) {
  std::string what = ex.what();
  const size_t close = what.find("] ");
  if (close != std::string::npos) what = what.substr(close + 2);
  if (StartsWith(what, "parse error at ")) what = what.substr(15);
  return what;
}

bool TryParseJson(std::string_view text, TJson& out, std::string* error) {
  TFirstKeyWinsBuilder builder;
  bool ok = false;
  try {
    ok = TJson::sax_parse(text, &builder, nlohmann::detail::input_format_t::json, true);
  } catch (const std::exception& ex) {
    builder.error = ex.what();
  }
  if (!ok) {
    if (error) *error = builder.error.empty() ? "invalid JSON" : builder.error;
    return false;
  }
  out = std::move(builder.root);
  return true;
}

std::string JsonWrite(const TJson& value) {
  TJsonWriter writer;
  writer.Value(value);
  return std::move(writer.Text());
}

void TJsonWriter::Separate() {
  if (FNeedComma) FOut += ',';
  FNeedComma = true;
}

void TJsonWriter::BeginObject() {
  Separate();
  FOut += '{';
  FNeedComma = false;
}

void TJsonWriter::EndObject() {
  FOut += '}';
  FNeedComma = true;
}

void TJsonWriter::BeginArray() {
  Separate();
  FOut += '[';
  FNeedComma = false;
}

void TJsonWriter::EndArray() {
  FOut += ']';
  FNeedComma = true;
}

void TJsonWriter::Key(std::string_view name) {
  Separate();
  AppendQuoted(FOut, name);
  FOut += ':';
  FNeedComma = false;
}

void TJsonWriter::String(std::string_view text) {
  Separate();
  AppendQuoted(FOut, text);
}

void TJsonWriter::Bool(bool value) {
  Separate();
  FOut += value ? "true" : "false";
}

void TJsonWriter::Integer(std::int64_t value) {
  Separate();
  FOut += std::to_string(value);
}

void TJsonWriter::Unsigned(std::uint64_t value) {
  Separate();
  FOut += std::to_string(value);
}

void TJsonWriter::Float(double value) {
  Separate();
  FOut += FloatToText(value);
}

void TJsonWriter::Null() {
  Separate();
  FOut += "null";
}

void TJsonWriter::StringArray(const std::vector<std::string>& items) {
  BeginArray();
  for (const std::string& item : items) String(item);
  EndArray();
}

void TJsonWriter::Value(const TJson& v) {
  switch (v.type()) {
    case TJson::value_t::boolean: Bool(v.get<bool>()); break;
    case TJson::value_t::number_integer: Integer(v.get<std::int64_t>()); break;
    case TJson::value_t::number_unsigned: Unsigned(v.get<std::uint64_t>()); break;
    case TJson::value_t::number_float: Float(v.get<double>()); break;
    case TJson::value_t::string: String(v.get_ref<const std::string&>()); break;
    case TJson::value_t::array:
      BeginArray();
      for (const auto& item : v) Value(item);
      EndArray();
      break;
    case TJson::value_t::object:
      BeginObject();
      for (const auto& [key, item] : v.items()) {
        Key(key);
        Value(item);
      }
      EndObject();
      break;
    default: Null(); break;
  }
}

std::string JsonQuote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendQuoted(out, text);
  return out;
}

const TJson* JsonFind(const TJson& object, const std::string& name) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

std::string JsonValueText(const TJson& value) {
  switch (value.type()) {
    case TJson::value_t::string: return value.get<std::string>();
    case TJson::value_t::null: return "null";
    case TJson::value_t::object:
    case TJson::value_t::array: return "";
    default: return JsonWrite(value);
  }
}

std::string JsonString(const TJson& object, const std::string& name, const std::string& defaultValue) {
  const TJson* v = JsonFind(object, name);
  return v ? JsonValueText(*v) : defaultValue;
}

bool JsonBool(const TJson& object, const std::string& name, bool defaultValue) {
  const TJson* v = JsonFind(object, name);
  if (!v) return defaultValue;
  const std::string text = AsciiLower(JsonValueText(*v));
  if (text == "true") return true;
  if (text == "false") return false;
  return defaultValue;
}

std::string JsonKindName(const TJson& value) {
  switch (value.type()) {
    case TJson::value_t::null: return "null";
    case TJson::value_t::boolean: return "a boolean";
    case TJson::value_t::string: return "a string";
    case TJson::value_t::array: return "an array";
    case TJson::value_t::object: return "an object";
    default: return "a number";
  }
}
