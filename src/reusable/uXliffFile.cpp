#include "uXliffFile.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "uTranslation.h"

namespace {

constexpr const char* kNamespace = "urn:oasis:names:tc:xliff:document:2.0";

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const xmlChar* X(const std::string& s) { return X(s.c_str()); }

struct TDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using TDocPtr = std::unique_ptr<xmlDoc, TDocFree>;

// ---- writing

// Line breaks and indentation between elements that hold only elements, for a reader.
void Indent(xmlNode* parent, int depth) { xmlAddChild(parent, xmlNewText(X("\n" + std::string(depth, ' ')))); }

xmlNode* AddElement(xmlNode* parent, xmlNs* ns, const char* name) { return xmlNewChild(parent, ns, X(name), nullptr); }

// Text as XML may hold it: control characters XML 1.0 cannot carry become <cp/>.
void AddText(xmlNode* parent, xmlNs* ns, const std::string& text) {
  std::string run;
  const auto flush = [&]() {
    if (!run.empty()) xmlAddChild(parent, xmlNewText(X(run)));
    run.clear();
  };
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      flush();
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", u);
      xmlSetProp(AddElement(parent, ns, "cp"), X("hex"), X(hex));
    } else {
      run += c;
    }
  }
  flush();
}

void SetCodeProps(xmlNode* element, const std::string& id) {
  xmlSetProp(element, X("id"), X(id));
  // Translators may move codes but not copy or delete them: the page needs each once.
  xmlSetProp(element, X("canCopy"), X("no"));
  xmlSetProp(element, X("canDelete"), X("no"));
}

void WriteContent(xmlNode* parent, xmlNs* ns, const TXliffContent& content) {
  std::vector<xmlNode*> open{parent};
  for (const TXliffRun& run : content) {
    switch (run.kind) {
      case TXliffRun::TKind::Text: AddText(open.back(), ns, run.value); break;
      case TXliffRun::TKind::Placeholder: {
        xmlNode* ph = AddElement(open.back(), ns, "ph");
        SetCodeProps(ph, run.value);
        xmlSetProp(ph, X("dataRef"), X("o" + run.value));
        break;
      }
      case TXliffRun::TKind::Open: {
        xmlNode* pc = AddElement(open.back(), ns, "pc");
        SetCodeProps(pc, run.value);
        xmlSetProp(pc, X("dataRefStart"), X("o" + run.value));
        xmlSetProp(pc, X("dataRefEnd"), X("c" + run.value));
        open.push_back(pc);
        break;
      }
      case TXliffRun::TKind::Close:
        if (open.size() > 1) open.pop_back();
        break;
    }
  }
}

void WriteUnit(xmlNode* file, xmlNs* ns, const TXliffUnit& unit) {
  Indent(file, 2);
  xmlNode* node = AddElement(file, ns, "unit");
  xmlSetProp(node, X("id"), X(unit.id));
  if (!unit.note.empty()) {
    Indent(node, 3);
    xmlNode* notes = AddElement(node, ns, "notes");
    Indent(notes, 4);
    xmlNode* note = AddElement(notes, ns, "note");
    xmlSetProp(note, X("category"), X("location"));
    AddText(note, ns, unit.note);
    Indent(notes, 3);
  }
  if (!unit.codes.empty()) {
    Indent(node, 3);
    xmlNode* data = AddElement(node, ns, "originalData");
    const auto addData = [&](const std::string& id, const std::string& markup) {
      Indent(data, 4);
      xmlNode* d = AddElement(data, ns, "data");
      xmlSetProp(d, X("id"), X(id));
      AddText(d, ns, markup);
    };
    for (const TXliffCode& code : unit.codes) {
      addData("o" + code.id, code.open);
      if (code.paired) addData("c" + code.id, code.close);
    }
    Indent(data, 3);
  }
  Indent(node, 3);
  xmlNode* segment = AddElement(node, ns, "segment");
  Indent(segment, 4);
  WriteContent(AddElement(segment, ns, "source"), ns, unit.source);
  if (unit.target) {
    Indent(segment, 4);
    WriteContent(AddElement(segment, ns, "target"), ns, *unit.target);
  }
  Indent(segment, 3);
  Indent(node, 2);
}

// ---- reading

std::string Prop(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, X(name));
  if (!value) return "";
  std::string out(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return out;
}

bool IsXliff(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && node->ns && node->ns->href && xmlStrEqual(node->ns->href, X(kNamespace)) &&
         xmlStrEqual(node->name, X(name));
}

void AppendText(TXliffContent& content, const std::string& text) {
  if (text.empty()) return;
  if (!content.empty() && content.back().kind == TXliffRun::TKind::Text) content.back().value += text;
  else content.push_back({TXliffRun::TKind::Text, text});
}

void ReadContent(const xmlNode* parent, TXliffContent& content, std::string& problem) {
  for (const xmlNode* n = parent->children; n; n = n->next) {
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      if (n->content) AppendText(content, reinterpret_cast<const char*>(n->content));
    } else if (n->type != XML_ELEMENT_NODE) {
      continue;  // comments, processing instructions
    } else if (IsXliff(n, "ph")) {
      content.push_back({TXliffRun::TKind::Placeholder, Prop(n, "id")});
    } else if (IsXliff(n, "pc")) {
      const std::string id = Prop(n, "id");
      content.push_back({TXliffRun::TKind::Open, id});
      ReadContent(n, content, problem);
      content.push_back({TXliffRun::TKind::Close, id});
    } else if (IsXliff(n, "cp")) {
      const std::string hex = Prop(n, "hex");
      std::string character;
      if (!hex.empty() && hex.size() <= 6 && hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
        AppendUtf8(character, static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
      AppendText(content, character);
    } else if (IsXliff(n, "mrk")) {
      ReadContent(n, content, problem);  // an annotation of the text: its content counts
    } else if (IsXliff(n, "sm") || IsXliff(n, "em")) {
      continue;  // the ends of an annotation
    } else if (problem.empty()) {
      problem = FormatText(TranslateText("Unsupported inline element <%s>"), {reinterpret_cast<const char*>(n->name)});
    }
  }
}

// Adjacent text runs joined, as the writer and the segmenter produce them.
TXliffContent Joined(const TXliffContent& content) {
  TXliffContent out;
  for (const TXliffRun& run : content) {
    if (run.kind == TXliffRun::TKind::Text) AppendText(out, run.value);
    else out.push_back(run);
  }
  return out;
}

TXliffUnit ReadUnit(const xmlNode* node) {
  TXliffUnit unit;
  unit.id = Prop(node, "id");
  TXliffContent target;
  bool translated = true;
  bool anyTarget = false;
  for (const xmlNode* n = node->children; n; n = n->next) {
    const bool segment = IsXliff(n, "segment");
    if (!segment && !IsXliff(n, "ignorable")) continue;
    const xmlNode* source = nullptr;
    const xmlNode* targetNode = nullptr;
    for (const xmlNode* c = n->children; c; c = c->next) {
      if (IsXliff(c, "source")) source = c;
      if (IsXliff(c, "target")) targetNode = c;
    }
    if (source) ReadContent(source, unit.source, unit.problem);
    if (targetNode) {
      ReadContent(targetNode, target, unit.problem);
      anyTarget = true;
    } else if (segment) {
      translated = false;
    } else if (source) {
      ReadContent(source, target, unit.problem);  // white space between segments
    }
  }
  unit.source = Joined(unit.source);
  if (translated && anyTarget) unit.target = Joined(target);
  return unit;
}

void ReadUnits(const xmlNode* parent, std::vector<TXliffUnit>& units) {
  for (const xmlNode* n = parent->children; n; n = n->next) {
    if (IsXliff(n, "unit")) units.push_back(ReadUnit(n));
    else if (IsXliff(n, "group")) ReadUnits(n, units);
  }
}

}  // namespace

bool IsLanguageTag(const std::string& code) {
  if (code.empty() || code.size() > 35) return false;
  for (const std::string& part : SplitString(code, '-')) {
    if (part.empty() || part.size() > 8) return false;
    for (const char c : part) {
      if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    }
  }
  return std::isalpha(static_cast<unsigned char>(code[0]));
}

std::string WriteXliff(const TXliffDocument& document) {
  TDocPtr doc(xmlNewDoc(X("1.0")));
  xmlNode* root = xmlNewDocNode(doc.get(), nullptr, X("xliff"), nullptr);
  xmlDocSetRootElement(doc.get(), root);
  xmlNs* ns = xmlNewNs(root, X(kNamespace), nullptr);
  xmlSetNs(root, ns);
  xmlSetProp(root, X("version"), X("2.1"));
  xmlSetProp(root, X("srcLang"), X(document.sourceLang));
  if (!document.targetLang.empty()) xmlSetProp(root, X("trgLang"), X(document.targetLang));
  Indent(root, 1);
  xmlNode* file = AddElement(root, ns, "file");
  xmlSetProp(file, X("id"), X("f1"));
  if (!document.original.empty()) xmlSetProp(file, X("original"), X(document.original));
  // Spaces, tabs and line breaks of the texts are the page's own: tools must not fold them.
  xmlNodeSetSpacePreserve(file, 1);
  for (const TXliffUnit& unit : document.units) WriteUnit(file, ns, unit);
  Indent(file, 1);
  Indent(root, 0);

  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc.get(), &text, &size, "UTF-8", 0);
  std::string out(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
  xmlFree(text);
  return out;
}

TXliffDocument ReadXliff(std::string_view xml, const std::string& fileName) {
  if (xml.size() > static_cast<size_t>(INT32_MAX))
    throw EFolivaneError(FormatText(TranslateText("%s is not a valid XML file: %s"), {fileName, "too large"}));
  std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(xmlNewParserCtxt(), xmlFreeParserCtxt);
  if (!context) throw EFolivaneError("Out of memory reading " + fileName);
  // No network, no external entities, no messages on stderr: the caller reports.
  TDocPtr doc(xmlCtxtReadMemory(context.get(), xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) {
    const char* message = context->lastError.message;
    throw EFolivaneError(FormatText(TranslateText("%s is not a valid XML file: %s"),
                                    {fileName, message ? Trim(message) : std::string("?")}));
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root || !IsXliff(root, "xliff") || !StartsWith(Prop(root, "version"), "2."))
    throw EFolivaneError(FormatText(TranslateText("%s is not an XLIFF 2 file"), {fileName}));
  TXliffDocument document;
  document.sourceLang = Prop(root, "srcLang");
  document.targetLang = Prop(root, "trgLang");
  for (const xmlNode* n = root->children; n; n = n->next) {
    if (!IsXliff(n, "file")) continue;
    if (document.original.empty()) document.original = Prop(n, "original");
    ReadUnits(n, document.units);
  }
  return document;
}
