// JSON for every file and message: lenient reading, one compact pure-ASCII writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

// Keys keep their order, so objects are written in the order they are built.
using TJson = nlohmann::ordered_json;

// Parses text. A repeated key keeps its first value. On failure returns false and,
// when error is given, a short reason with line and column.
bool TryParseJson(std::string_view text, TJson& out, std::string* error = nullptr);

// The reason of a parser error without the library's prefix: "line 1, column 5: ...".
std::string JsonParseErrorText(const std::exception& error);

// The one writer: compact, keys in their order, pure ASCII ("/" escaped, every
// character outside U+0020..U+007F as \u with four upper-case hex digits).
std::string JsonWrite(const TJson& value);
// A JSON string literal of UTF-8 text, quotes included.
std::string JsonQuote(std::string_view text);

// The same writer as a stream, for large files that need no document in memory.
class TJsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(std::string_view name);
  void String(std::string_view text);
  void Bool(bool value);
  void Integer(std::int64_t value);
  void Unsigned(std::uint64_t value);
  void Float(double value);
  void Null();
  void StringArray(const std::vector<std::string>& items);
  void Value(const TJson& value);
  std::string& Text() { return FOut; }
  void Reserve(size_t bytes) { FOut.reserve(bytes); }

 private:
  std::string FOut;
  bool FNeedComma = false;
  void Separate();
};

// The pair called name (case-sensitive), or nullptr.
const TJson* JsonFind(const TJson& object, const std::string& name);
// A value's text: a string's content, a number as written, true/false, null; "" for containers.
std::string JsonValueText(const TJson& value);
std::string JsonString(const TJson& object, const std::string& name, const std::string& defaultValue);
// JSON booleans and the strings "true"/"false" in any letter case; anything else gives the default.
bool JsonBool(const TJson& object, const std::string& name, bool defaultValue);
// Name of a value's kind for messages ("a string", "an array", ...).
std::string JsonKindName(const TJson& value);
