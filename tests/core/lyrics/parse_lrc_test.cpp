#include "core/lyrics/parse_lrc.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace lf {
namespace {

struct Parsed {
  size_t length = 0;
  std::string text;
  LrcFile lrc;
};

Parsed Parse(std::string_view data) {
  Parsed p;
  p.length = ParseLrc(data, p.text, p.lrc);
  return p;
}

TEST(ParseLrc, PlainLinesShareTheirTimeEvenly) {
  const Parsed p = Parse("[00:12.34]Hello world\n[00:15.34]Next\n");
  EXPECT_EQ(p.text, "Hello world\nNext\n");
  EXPECT_EQ(p.length, p.text.size());
  ASSERT_EQ(p.lrc.lines.size(), 2u);
  const auto& w = p.lrc.lines[0].elements;
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].text, "Hello");
  EXPECT_EQ(w[0].start, 12340);
  EXPECT_EQ(w[0].end, 13830);
  EXPECT_EQ(w[1].text, "world");
  EXPECT_EQ(w[1].start, 13840);
  EXPECT_EQ(w[1].end, 15330);
  // The last line takes the average share (150) of the words before it.
  const auto& last = p.lrc.lines[1].elements;
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].start, 15340);
  EXPECT_EQ(last[0].end, 16830);
}

TEST(ParseLrc, TimeTagForms) {
  auto firstStart = [](std::string_view data) {
    const Parsed p = Parse(data);
    return p.lrc.lines.empty() ? -1 : p.lrc.lines[0].elements.at(0).start;
  };
  EXPECT_EQ(firstStart("[00:12]a"), 12000);
  EXPECT_EQ(firstStart("[00:12.345]a"), 12345);  // the fraction has any number of digits
  EXPECT_EQ(firstStart("[00:03.500]a"), 3500);
  EXPECT_EQ(firstStart("[00:01.2]a"), 1200);
  EXPECT_EQ(firstStart("[00:01.23456]a"), 1234);
  EXPECT_EQ(firstStart("[00:12:34]a"), 12340);  // a colon before the hundredths
  EXPECT_EQ(firstStart("[01:02.03]a"), 62030);
  EXPECT_EQ(firstStart("[00:45.00][00:05.00]a"), 5000);  // several tags: the earliest comes first
  EXPECT_EQ(firstStart("[1:23.45]a"), 83450);            // one-digit minutes
  EXPECT_EQ(firstStart("[123:00.00]a"), 7380000);
  EXPECT_EQ(firstStart("[00:99999999999999999999]a"), kLrcMaxTime);  // no overflow

  const Parsed several = Parse("[00:45.00][00:05.00]Chorus\n[00:20.00]Verse\n");
  EXPECT_EQ(several.lrc.lines.size(), 3u);
  EXPECT_EQ(several.text, "Chorus\nVerse\nChorus\n");
}

TEST(ParseLrc, IdTagsFillTheRecordAndMakeNoLine) {
  const Parsed p = Parse(
      "[AR:Some Artist]\n[al:An Album]\n[ti:The Title]\n[au:Writer]\n[by:Me]\n"
      "[re:Tool]\n[ve:1.2]\n[length:3:20]\n[offset:-250]\n[xx:unknown]\n[noColon]\n"
      "[00:01.00]Words\n");
  EXPECT_EQ(p.lrc.artist, "Some Artist");
  EXPECT_EQ(p.lrc.album, "An Album");
  EXPECT_EQ(p.lrc.title, "The Title");
  EXPECT_EQ(p.lrc.author, "Writer");
  EXPECT_EQ(p.lrc.creator, "Me");
  EXPECT_EQ(p.lrc.tool, "Tool");
  EXPECT_EQ(p.lrc.toolVersion, "1.2");
  EXPECT_EQ(p.lrc.length, 20000);
  EXPECT_EQ(p.lrc.offset, -250);
  EXPECT_EQ(p.text, "Words\n");
  ASSERT_EQ(p.lrc.lines.size(), 1u);
  EXPECT_EQ(p.lrc.lines[0].elements[0].start, 1250);  // shown 250 ms later
  EXPECT_EQ(Parse("[offset:+500]\n[00:01.00]x").lrc.offset, 500);
}

TEST(ParseLrc, EmptyTimedLineKeepsItsPlace) {
  const Parsed p = Parse("[00:01.00]One\n[00:03.00]\n[00:05.00]Two\n");
  EXPECT_EQ(p.text, "One\n\nTwo\n");
  ASSERT_EQ(p.lrc.lines.size(), 3u);
  ASSERT_EQ(p.lrc.lines[1].elements.size(), 1u);
  EXPECT_EQ(p.lrc.lines[1].elements[0].text, "");
  EXPECT_EQ(p.lrc.lines[1].elements[0].start, 3000);
}

TEST(ParseLrc, EnhancedLinesTakeTheirWordTimes) {
  const Parsed p = Parse("[00:10.00]<00:10.00>Hel<00:10.40>lo <00:11.00>you<00:11.80>\n");
  EXPECT_EQ(p.text, "Hello you\n");
  ASSERT_EQ(p.lrc.lines.size(), 1u);
  // The syllable tag inside "Hello" moves the clock on; each word keeps its own tag.
  const auto& w = p.lrc.lines[0].elements;
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].text, "Hello");
  EXPECT_EQ(w[0].start, 10000);
  EXPECT_EQ(w[0].end, 10990);
  EXPECT_EQ(w[1].text, "you");
  EXPECT_EQ(w[1].start, 11000);
  EXPECT_EQ(w[1].end, 11790);
}

TEST(ParseLrc, EnhancedLineWithoutClosingTagNeverEndsBeforeItStarts) {
  const Parsed p = Parse(
      "[00:10.00]<00:10.00>One <00:10.50>two\n"
      "[00:12.00]<00:12.00>Three <00:12.50>four\n");
  ASSERT_EQ(p.lrc.lines.size(), 2u);
  const auto& first = p.lrc.lines[0].elements;
  EXPECT_EQ(first[0].end, 10490);
  EXPECT_EQ(first[1].start, 10500);
  EXPECT_EQ(first[1].end, 11990);  // up to the next line
  const auto& last = p.lrc.lines[1].elements;
  EXPECT_EQ(last[1].start, 12500);
  EXPECT_GE(last[1].end, last[1].start);
}

TEST(ParseLrc, WordTagFractions) {
  auto secondStart = [](std::string_view tag) {
    const Parsed p = Parse("[00:10.00]<00:10.00>a " + std::string(tag) + "b<00:20.00>");
    return p.lrc.lines.at(0).elements.at(1).start;
  };
  EXPECT_EQ(secondStart("<00:10.40>"), 10400);
  EXPECT_EQ(secondStart("<00:10.400>"), 10400);  // milliseconds, not 400 hundredths
  EXPECT_EQ(secondStart("<00:10.4>"), 10400);
  EXPECT_EQ(secondStart("<00:10.456>"), 10456);
  EXPECT_EQ(secondStart("<00:11>"), 11000);
}

TEST(ParseLrc, LinesBeforeTheFirstWordTagAreSpreadOverTheirLine) {
  const Parsed p = Parse("[00:01.00]plain line\n[00:05.00]<00:05.00>tag<00:06.00>\n");
  const auto& plain = p.lrc.lines.at(0).elements;
  ASSERT_EQ(plain.size(), 2u);
  EXPECT_EQ(plain[0].start, 1000);
  EXPECT_EQ(plain[1].start, 3000);
  EXPECT_EQ(plain[1].end, 4990);
  EXPECT_EQ(p.text, "plain line\ntag\n");
}

TEST(ParseLrc, SingerMarksCarryToFollowingLines) {
  const Parsed p = Parse("[00:01.00]One\n[00:02.00]F:Two\n[00:03.00]Three\n[00:04.00]m: Four\n[00:05.00]D:x\n");
  ASSERT_EQ(p.lrc.lines.size(), 5u);
  EXPECT_EQ(p.lrc.lines[0].singer, 1);
  EXPECT_EQ(p.lrc.lines[1].singer, 2);
  EXPECT_EQ(p.lrc.lines[2].singer, 2);
  EXPECT_EQ(p.lrc.lines[3].singer, 1);
  EXPECT_EQ(p.lrc.lines[4].singer, 3);
  EXPECT_EQ(p.text, "One\nTwo\nThree\n Four\nx\n");
  // The blank left after the mark makes no word of its own.
  ASSERT_EQ(p.lrc.lines[3].elements.size(), 1u);
  EXPECT_EQ(p.lrc.lines[3].elements[0].text, "Four");
}

TEST(ParseLrc, LinesWithoutUsableTagsAreSkipped) {
  EXPECT_EQ(Parse("no tags here\n[]\n[\n]\n").length, 0u);
  const Parsed p = Parse("junk[00:10.00]Hello [x] you\n");
  EXPECT_EQ(p.text, "Hello [x] you\n");  // a bracket that holds no time is lyric text
  ASSERT_EQ(p.lrc.lines.size(), 1u);
  EXPECT_EQ(p.lrc.lines[0].elements[0].start, 10000);
}

TEST(ParseLrc, NoTimedLineGivesNothing) {
  Parsed p = Parse("[ar:Only tags]\n[ti:Nothing else]\n");
  EXPECT_EQ(p.length, 0u);
  EXPECT_TRUE(p.text.empty());
  EXPECT_TRUE(p.lrc.lines.empty());
  EXPECT_EQ(p.lrc.artist, "Only tags");
  EXPECT_EQ(Parse("").length, 0u);
}

TEST(ParseLrc, BlanksCollapseAndLineEndsMayBeCrLf) {
  const Parsed p = Parse("  [00:01.00]  a    b  \r\n[00:02.00]c\r\n[00:03.00]d");
  EXPECT_EQ(p.text, "a b\nc\nd\n");
  EXPECT_EQ(p.lrc.lines.size(), 3u);
}

TEST(ParseLrc, ParsingEmptiesTheRecordFirst) {
  std::string text;
  LrcFile lrc;
  lrc.artist = "old";
  lrc.lines.resize(3);
  ParseLrc("[00:01.00]x", text, lrc);
  EXPECT_EQ(lrc.artist, "");
  EXPECT_EQ(lrc.lines.size(), 1u);
}

TEST(ParseLrc, PunctuationArrivesAsUtf8InBothEncodings) {
  // UTF-8 stays; Windows-1252 quotes and dashes become the same characters.
  EXPECT_EQ(Parse("[00:01.00]don\xE2\x80\x99t \xE2\x80\x93 go\xE2\x80\xA6").text,
            "don\xE2\x80\x99t \xE2\x80\x93 go\xE2\x80\xA6\n");
  EXPECT_EQ(Parse("[00:01.00]don\x92t \x96 \x93go\x94 caf\xE9").text,
            "don\xE2\x80\x99t \xE2\x80\x93 \xE2\x80\x9Cgo\xE2\x80\x9D caf\xC3\xA9\n");
}

TEST(ParseLrc, WordTimesInTheFormsFoundInTheWild) {
  struct Word {
    std::string text;
    int32_t start;
  };
  struct Case {
    const char* what;
    std::string data;
    std::string text;
    std::vector<Word> words;  // every line's words, in order
  };
  const Case cases[] = {
      {"inline square word tags",
       "[00:05.000] hello [00:06.000] world\r\n",
       "hello world\n",
       {{"hello", 5000}, {"world", 6000}}},
      {"syllable tags inside a word",
       "[00:01.00]<00:01.00>Hel<00:01.40>lo <00:02.00>world<00:02.50>\n",
       "Hello world\n",
       {{"Hello", 1000}, {"world", 2000}}},
      {"positive offset: sooner",
       "[offset:+500]\n[00:02.00]<00:02.00>a <00:03.00>b<00:04.00>\n",
       "a b\n",
       {{"a", 1500}, {"b", 2500}}},
      {"negative offset: later", "[offset:-250]\r\n[00:02.00]x\r\n", "x\n", {{"x", 2250}}},
      {"an offset before the music starts", "[offset:3000]\n[00:01.00]x\n", "x\n", {{"x", 0}}},
      {"a repeated line moves its word tags along",
       "[00:20.00][00:10.00]<00:10.00>la <00:10.50>la<00:11.00>\n[00:15.00]<00:15.00>mid<00:16.00>\n",
       "la la\nmid\nla la\n",
       {{"la", 10000}, {"la", 10500}, {"mid", 15000}, {"la", 20000}, {"la", 20500}}},
      {"comma for the point, one-digit minutes", "[0:01,5]one\n", "one\n", {{"one", 1500}}},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.data);
    EXPECT_EQ(p.text, c.text) << c.what;
    std::vector<std::pair<std::string, int32_t>> got, want;
    for (const auto& line : p.lrc.lines)
      for (const auto& e : line.elements) got.emplace_back(e.text, e.start);
    for (const Word& w : c.words) want.emplace_back(w.text, w.start);
    EXPECT_EQ(got, want) << c.what;
  }
}

TEST(ParseLrc, AnUnreadableTimeTagRefusesTheFileNamingItsLine) {
  for (const char* bad : {"[0x:12]", "[00:1a.00]", "[00:]", "[1:2:3:4]"}) {
    std::string text, error;
    LrcFile lrc;
    const std::string data = std::string("[ar:x]\r\n[00:01.00]fine\r\n") + bad + "bad\r\n[00:03.00]later\r\n";
    EXPECT_EQ(ParseLrc(data, text, lrc, &error), 0u) << bad;
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(lrc.lines.empty());
    EXPECT_EQ(error, "line 3: \"" + std::string(bad) + "\" is not a time tag (m:ss.xx)");
  }
}

// Every word's span, line by line, for files that mix plain and tagged lines,
// tag single characters, tag groups of words or give a translation per line.
TEST(ParseLrc, WordSpans) {
  struct Span {
    std::string text;
    int32_t start, end;
    bool operator==(const Span&) const = default;
  };
  struct Case {
    const char* what;
    std::string data;
    std::string text;
    std::vector<std::vector<Span>> lines;
  };
  const Case cases[] = {
      {"one inline tag among plain lines",
       "[00:10.00]Plain words here\n[00:13.00]Let it be[00:15.40]ADLIB\n[00:17.00]Last line\n",
       "Plain words here\nLet it be ADLIB\nLast line\n",
       {{{"Plain", 10000, 10990}, {"words", 11000, 11990}, {"here", 12000, 12990}},
        // up to the tag by letters (3, 2, 2 of 7), the tagged word up to the next line
        {{"Let", 13000, 14018}, {"it", 14028, 14704}, {"be", 14714, 15390}, {"ADLIB", 15400, 16990}},
        {{"Last", 17000, 17990}, {"line", 18000, 18990}}}},
      {"a tag for each character",
       "[00:18.912]<00:18.912>\xE4\xBB\x96<00:19.322>\xE4\xBB\xAC<00:20.474>\xE6\x80\xBB<00:21.000>\n",
       "\xE4\xBB\x96*\xE4\xBB\xAC*\xE6\x80\xBB\n",
       {{{"\xE4\xBB\x96", 18912, 19312}, {"\xE4\xBB\xAC", 19322, 20464}, {"\xE6\x80\xBB", 20474, 20990}}}},
      {"an inline tag for each character",
       "[00:01.00]\xE4\xBB\x96[00:01.50]\xE4\xBB\xAC[00:02.00]\n",
       "\xE4\xBB\x96*\xE4\xBB\xAC\n",
       {{{"\xE4\xBB\x96", 1000, 1490}, {"\xE4\xBB\xAC", 1500, 1990}}}},
      {"a tag for several words",
       "[00:02.00]<00:02.50> Line one <00:04.50> two<00:05.00>\n",
       " Line one  two\n",
       {{{"Line", 2500, 3632}, {"one", 3642, 4490}, {"two", 4500, 4990}}}},
      {"a translation on the same time",
       "[00:10.00]Hello world\n[00:10.00]\xE4\xBD\xA0\xE5\xA5\xBD\n[00:14.00]Bye\n[00:14.00]\xE5\x86\x8D\n",
       "Hello world\n!\xE4\xBD\xA0\xE5\xA5\xBD\nBye\n!\xE5\x86\x8D\n",
       {{{"Hello", 10000, 11990}, {"world", 12000, 13990}},
        {{"\xE4\xBD\xA0\xE5\xA5\xBD", 10000, 13990}},
        {{"Bye", 14000, 15990}},
        {{"\xE5\x86\x8D", 14000, 15990}}}},
      {"steps in whole hundredths, the last line's too",
       "[00:13.00]one two three\n[00:17.00]four five six\n",
       "one two three\nfour five six\n",
       {{{"one", 13000, 14320}, {"two", 14330, 15650}, {"three", 15660, 16980}},
        {{"four", 17000, 18320}, {"five", 18330, 19650}, {"six", 19660, 20980}}}},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.data);
    EXPECT_EQ(p.text, c.text) << c.what;
    std::vector<std::vector<Span>> got;
    for (const auto& line : p.lrc.lines) {
      got.emplace_back();
      for (const auto& e : line.elements) got.back().push_back({e.text, e.start, e.end});
    }
    EXPECT_EQ(got, c.lines) << c.what;
  }
}

}  // namespace
}  // namespace lf
