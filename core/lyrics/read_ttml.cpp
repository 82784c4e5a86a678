// The TTML reader of timed_format_readers.h, on libxml2.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "TTML";

std::string_view Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string Content(const xmlNode* node) {
  std::unique_ptr<xmlChar, void (*)(void*)> text(xmlNodeGetContent(node), xmlFree);
  return text ? std::string(reinterpret_cast<const char*>(text.get())) : std::string();
}

// An attribute by its local name, in whatever namespace the file puts it.
std::optional<std::string> Attribute(const xmlNode* node, std::string_view name) {
  for (const xmlAttr* a = node->properties; a; a = a->next)
    if (reinterpret_cast<const char*>(a->name) == name) return Content(reinterpret_cast<const xmlNode*>(a));
  return std::nullopt;
}

int LineOf(const xmlNode* node) { return static_cast<int>(xmlGetLineNo(node)); }

// The rates that frame and tick times count in (ttp:frameRate and friends).
struct TimeBase {
  double frameRate = 30;
  double subFrameRate = 1;
  double tickRate = 1;
};

// A TTML time expression in milliseconds: clock time (hh:mm:ss, hh:mm:ss.fff,
// hh:mm:ss:ff with frames), offset time (12.3s, 1.5m, 2h, 500ms, 30f, 1000t),
// and the shorter clock times (m:ss.fff, ss.fff) of word-timed lyrics files.
std::optional<Millis> TimeExpression(std::string_view s, const TimeBase& base) {
  s = TrimBlanks(s);
  if (s.empty()) return std::nullopt;
  const auto millis = [](double seconds) { return static_cast<Millis>(std::llround(seconds * 1000)); };
  if (s.find(':') != std::string_view::npos) {
    const size_t colons = static_cast<size_t>(std::count(s.begin(), s.end(), ':'));
    if (colons == 3) {  // hh:mm:ss:frames(.subframes)
      const size_t last = s.rfind(':');
      const std::string_view frameText = s.substr(last + 1);
      const size_t point = frameText.find('.');
      Millis clock = 0;
      const auto frames = ReadDecimal(frameText.substr(0, point));
      const auto sub =
          point == std::string_view::npos ? std::optional<double>(0) : ReadDecimal(frameText.substr(point + 1));
      if (!ReadClockTime(s.substr(0, last), clock) || !frames || !sub) return std::nullopt;
      return clock + millis((*frames + *sub / base.subFrameRate) / base.frameRate);
    }
    Millis clock = 0;
    if (!ReadClockTime(s, clock)) return std::nullopt;
    return clock;
  }
  size_t unit = s.size();
  while (unit > 0 && ((s[unit - 1] >= 'a' && s[unit - 1] <= 'z'))) --unit;
  const auto value = ReadDecimal(s.substr(0, unit));
  if (!value) return std::nullopt;
  const std::string_view metric = s.substr(unit);
  if (metric.empty() || metric == "s") return millis(*value);
  if (metric == "ms") return static_cast<Millis>(std::llround(*value));
  if (metric == "m") return millis(*value * 60);
  if (metric == "h") return millis(*value * 3600);
  if (metric == "f") return millis(*value / base.frameRate);
  if (metric == "t") return millis(*value / base.tickRate);
  return std::nullopt;
}

struct Span {
  Millis begin = kUntimed;
  Millis end = kUntimed;
  bool Timed() const { return begin != kUntimed && end != kUntimed; }
};

struct Agents {
  std::map<std::string, Singer> singers;
  std::array<std::string, 3> names;
};

struct TtmlReader {
  const std::string& fileName;
  TimeBase base;
  Agents agents;
  SingerNaming undeclared;
  bool relative = false;
  Outcome problem;

  bool Fail(const xmlNode* node, const std::string& what) {
    problem = TimedFormatProblem(fileName, kFormat, LineOf(node), what);
    return false;
  }

  // The element's begin and end (or begin and dur); false on a time that cannot be read.
  bool Times(const xmlNode* node, Span& span) {
    span = {};
    const auto begin = Attribute(node, "begin"), end = Attribute(node, "end"), dur = Attribute(node, "dur");
    std::optional<Millis> b, e, d;
    if (begin && !(b = TimeExpression(*begin, base))) return Fail(node, "begin=\"" + *begin + "\" is not a time");
    if (end && !(e = TimeExpression(*end, base))) return Fail(node, "end=\"" + *end + "\" is not a time");
    if (dur && !(d = TimeExpression(*dur, base))) return Fail(node, "dur=\"" + *dur + "\" is not a time");
    if (b) span.begin = *b;
    if (e) span.end = *e;
    if (b && !e && d) span.end = *b + *d;
    if (span.Timed() && span.end < span.begin) return Fail(node, "an element that ends before it begins");
    return true;
  }

  void ReadAgents(const xmlNode* node) {
    for (const xmlNode* c = node; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      if (Name(c) == "agent") {
        const std::string id = Attribute(c, "id").value_or("");
        const std::string type = Attribute(c, "type").value_or("person");
        Singer singer = Singer::kBoth;
        if (type != "group") {
          size_t people = 0;
          for (const auto& [_, s] : agents.singers) people += s != Singer::kBoth;
          singer = people == 0 ? Singer::kSinger1 : Singer::kSinger2;
        }
        agents.singers[id] = singer;
        for (const xmlNode* n = c->children; n; n = n->next)
          if (n->type == XML_ELEMENT_NODE && Name(n) == "name" && agents.names[static_cast<int>(singer)].empty())
            agents.names[static_cast<int>(singer)] = std::string(TrimBlanks(Content(n)));
        continue;
      }
      ReadAgents(c->children);
    }
  }

  Singer SingerOf(const std::string& agentList) {
    std::vector<Singer> found;
    size_t i = 0;
    while (i < agentList.size()) {
      while (i < agentList.size() && agentList[i] == ' ') ++i;
      size_t e = agentList.find(' ', i);
      if (e == std::string::npos) e = agentList.size();
      if (e > i) {
        const std::string id = agentList.substr(i, e - i);
        const auto it = agents.singers.find(id);
        found.push_back(it != agents.singers.end() ? it->second : undeclared.RoleOf(id).singer);
      }
      i = e;
    }
    if (found.empty()) return Singer::kSinger1;
    for (const Singer s : found)
      if (s != found.front()) return Singer::kBoth;
    return found.front();
  }

  // The runs of a <p>: each timed span starts one; text between spans takes
  // the times of the element it stands in.
  bool CollectRuns(const xmlNode* node, const Span& times, const Span& line, std::vector<TimedRun>& runs,
                   bool& spanTimed) {
    for (const xmlNode* c = node->children; c; c = c->next) {
      if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
        std::string text = Content(c);
        for (char& ch : text)
          if (ch == '\n' || ch == '\r' || ch == '\t') ch = ' ';
        if (runs.empty() || runs.back().start != times.begin || runs.back().end != times.end)
          runs.push_back({{}, times.begin, times.end});
        runs.back().text += text;
        continue;
      }
      if (c->type != XML_ELEMENT_NODE) continue;
      if (Name(c) == "br") {
        runs.push_back({" ", times.begin, times.end});
        continue;
      }
      Span own;
      if (!Times(c, own)) return false;
      Span inner = times;
      if (own.Timed()) {
        spanTimed = true;
        inner = own;
        if (relative && line.begin != kUntimed) inner = {own.begin + line.begin, own.end + line.begin};
        runs.push_back({{}, inner.begin, inner.end});
      }
      if (!CollectRuns(c, inner, line, runs, spanTimed)) return false;
      if (own.Timed()) runs.push_back({{}, times.begin, times.end});
    }
    return true;
  }
};

// Whether the spans count from their line's begin (TTML's own rule) rather
// than from the start of the music, as word-timed lyrics files write them:
// a span that starts before its line does only when counted from the line.
bool SpansAreRelative(const xmlNode* node, TtmlReader& reader, Millis lineBegin) {
  for (const xmlNode* c = node; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    Millis begin = lineBegin;
    if (Name(c) == "p") {
      Span p;
      if (!reader.Times(c, p)) return false;
      begin = p.begin;
    } else if (Name(c) == "span" && lineBegin != kUntimed) {
      Span s;
      if (!reader.Times(c, s)) return false;
      if (s.begin != kUntimed && s.begin < lineBegin) return true;
    }
    if (SpansAreRelative(c->children, reader, begin)) return true;
  }
  return false;
}

void FindElements(const xmlNode* node, std::string_view name, std::vector<const xmlNode*>& found) {
  for (const xmlNode* c = node; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (Name(c) == name) {
      found.push_back(c);
      continue;
    }
    FindElements(c->children, name, found);
  }
}

const xmlNode* Child(const xmlNode* node, std::string_view name) {
  for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && Name(c) == name) return c;
  return nullptr;
}

std::string InheritedAgent(const xmlNode* node) {
  for (; node && node->type == XML_ELEMENT_NODE; node = node->parent)
    if (auto agent = Attribute(node, "agent")) return *agent;
  return {};
}

Outcome Cleared(TimedLyrics& out, Outcome outcome) {
  out = {};
  return outcome;
}

// libxml2 prints some errors (validity, IDs) itself; the reader tells its
// own one line instead.
void IgnoreXmlError(void* /*context*/, xmlErrorPtr /*error*/) {}

struct QuietXmlErrors {
  QuietXmlErrors() { xmlSetStructuredErrorFunc(nullptr, IgnoreXmlError); }
  ~QuietXmlErrors() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
  QuietXmlErrors(const QuietXmlErrors&) = delete;
  QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;
};

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

}  // namespace

Outcome ReadTtml(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  xmlResetLastError();
  const QuietXmlErrors quiet;
  std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) {
    const xmlError* error = xmlGetLastError();
    // libxml2's messages may run over several lines ("... !\nBytes: ..."): they are told as one.
    std::string message = error && error->message ? std::string(error->message) : "not XML";
    for (char& c : message)
      if (c == '\n' || c == '\r') c = ' ';
    message = std::string(TrimBlanks(message));
    return TimedFormatProblem(fileName, kFormat, error ? error->line : 0, message);
  }
  const xmlNode* tt = xmlDocGetRootElement(doc.get());
  if (!tt || Name(tt) != "tt")
    return TimedFormatProblem(fileName, kFormat, tt ? LineOf(tt) : 0, "the root is not <tt>");

  TtmlReader reader{fileName, {}, {}, {}, false, {}};
  if (auto rate = Attribute(tt, "frameRate"); rate && ReadDecimal(*rate) && *ReadDecimal(*rate) > 0)
    reader.base.frameRate = *ReadDecimal(*rate);
  if (auto m = Attribute(tt, "frameRateMultiplier")) {
    const size_t blank = m->find(' ');
    const auto num = ReadDecimal(m->substr(0, blank)),
               den = blank == std::string::npos ? 1.0 : ReadDecimal(m->substr(blank + 1));
    if (num && den && *den > 0) reader.base.frameRate *= *num / *den;
  }
  if (auto sub = Attribute(tt, "subFrameRate"); sub && ReadDecimal(*sub) && *ReadDecimal(*sub) > 0)
    reader.base.subFrameRate = *ReadDecimal(*sub);
  reader.base.tickRate = Attribute(tt, "frameRate") ? reader.base.frameRate * reader.base.subFrameRate : 1;
  if (auto tick = Attribute(tt, "tickRate"); tick && ReadDecimal(*tick) && *ReadDecimal(*tick) > 0)
    reader.base.tickRate = *ReadDecimal(*tick);

  const xmlNode* head = Child(tt, "head");
  if (head) {
    reader.ReadAgents(head->children);
    std::vector<const xmlNode*> found;
    FindElements(head->children, "title", found);
    if (!found.empty()) out.title = std::string(TrimBlanks(Content(found.front())));
    found.clear();
    FindElements(head->children, "artist", found);
    if (!found.empty()) out.artist = std::string(TrimBlanks(Content(found.front())));
  }
  out.singerNames = reader.agents.names;
  const xmlNode* body = Child(tt, "body");
  if (!body) return TimedFormatProblem(fileName, kFormat, LineOf(tt), "no <body>");
  reader.relative = SpansAreRelative(body->children, reader, kUntimed);
  if (!reader.problem.Ok()) return reader.problem;

  std::vector<const xmlNode*> paragraphs;
  FindElements(body->children, "p", paragraphs);
  bool anyTimed = false;
  for (const xmlNode* p : paragraphs) {
    Span span;
    if (!reader.Times(p, span)) return Cleared(out, reader.problem);
    std::vector<TimedRun> runs;
    bool spanTimed = false;
    if (!reader.CollectRuns(p, span, span, runs, spanTimed)) return Cleared(out, reader.problem);
    TimedLine line;
    line.singer = reader.SingerOf(InheritedAgent(p));
    line.show = span.begin;
    line.erase = span.end;
    if (spanTimed) {
      AppendTimedRuns(runs, line);
    } else {
      std::string text;
      for (const TimedRun& r : runs) text += r.text;
      AppendLineText(text, span.begin, span.end, line);
      line.fixed = !span.Timed();
    }
    anyTimed = anyTimed || spanTimed || span.Timed();
    Outcome o;
    if (!CheckLineForRawText(line, fileName, kFormat, LineOf(p), o)) return Cleared(out, o);
    out.duet = out.duet || (!line.fixed && line.singer != Singer::kSinger1);
    out.lines.push_back(std::move(line));
  }
  if (paragraphs.empty()) return Cleared(out, TimedFormatProblem(fileName, kFormat, LineOf(body), "no <p> lines"));
  if (!anyTimed)
    return Cleared(out,
                   TimedFormatProblem(fileName, kFormat, LineOf(body), "no <p> or <span> has begin and end times"));
  return Outcome::Success();
}

}  // namespace lf
