#include "core/song/karaoke_line_list.h"

#include <algorithm>
#include <string_view>

namespace lf {
namespace {

// Replaces every two-character `pair` by its character at `keep` (0 or 1);
// the search resumes one character before a replacement so that runs of any
// length collapse completely.
void CollapsePairs(std::string& text, std::string_view pair, size_t keep) {
  size_t pos = 0;
  while ((pos = text.find(pair, pos)) != std::string::npos) {
    text.erase(pos + (1 - keep), 1);
    pos = pos > 0 ? pos - 1 : 0;
  }
}

std::vector<std::string> SplitAtLineFeeds(const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
}

bool StartsDuetPart(const std::string& text) {
  return !text.empty() && text[0] == '&' && (text.size() < 2 || text[1] != '&');
}

}  // namespace

void NormalizeLyricText(std::string& text) {
  std::erase(text, '\r');
  CollapsePairs(text, "  ", 0);
  CollapsePairs(text, "\n ", 0);
  CollapsePairs(text, " \n", 1);
  CollapsePairs(text, "* ", 0);
  CollapsePairs(text, " *", 1);
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(text.find_last_not_of(' ') + 1);
  text.erase(0, first);
}

void SplitLineIntoWords(KaraokeLine& line, KaraokeLineList& list, bool convertMarkers) {
  std::string& text = line.m_text;
  if (text.empty()) return;
  size_t s = 0;
  bool joins = false;
  do {
    // Separators are ASCII, so a byte search never lands inside a UTF-8 sequence.
    const size_t sep = text.find_first_of(" *", s);
    const size_t k = (sep == std::string::npos ? text.size() : sep) - s;
    KaraokeWord& word = list.AddWord(line);
    word.m_firstChar = static_cast<int32_t>(s);
    word.m_lastChar = static_cast<int32_t>(s + k) - 1;
    if (joins) word.m_flags |= KaraokeWord::kJoinsPrevious;
    joins = false;
    if (convertMarkers) std::replace(text.begin() + s, text.begin() + s + k, '_', ' ');
    if (s + k < text.size() && text[s + k] == '*') {
      word.m_flags |= KaraokeWord::kSyllableBreak;
      joins = true;
      if (convertMarkers) {
        text.erase(s + k, 1);
        s += k;
      } else {
        s += k + 1;
      }
    } else {
      s += k + 1;
    }
  } while (s < text.size());
}

KaraokeLineList LayoutKaraokeLines(const std::string& rawText, const KaraokeLineList& old,
                                   const LineLayoutOptions& options, bool* duetInSolo) {
  KaraokeLineList fresh;
  std::string text = rawText;
  NormalizeLyricText(text);
  if (text.empty()) return fresh;

  auto oldLine = old.lines.begin();
  int page = 0, row = 0;
  bool pageBreak = false;
  for (auto& piece : SplitAtLineFeeds(text)) {
    if (piece.find('^') != std::string::npos) {
      pageBreak = true;
      continue;
    }
    if (pageBreak && row > 0) {
      ++page;
      row = 0;
    }
    int color = options.defaultColorIndex;
    if (oldLine != old.lines.end()) color = (*oldLine++)->m_colorIndex;

    KaraokeLine& line = fresh.AddLine();
    line.m_text = std::move(piece);
    line.m_page = page;
    line.m_lineInPage = row;
    line.m_colorIndex = color;
    line.m_newPage = pageBreak;

    pageBreak = false;
    if (++row >= options.linesPerPage) {
      ++page;
      row = 0;
    }
  }

  bool noticed = false;
  for (auto& line : fresh.lines) {
    line->m_singer2 = false;
    line->m_fixed = false;
    if (StartsDuetPart(line->m_text)) {
      if (options.singerMode > 1) {
        line->m_singer2 = true;
        if (!options.hasPlacedLyrics) line->m_colorIndex = ColorIndexSinger2;
      } else if (!noticed) {
        noticed = true;
        if (duetInSolo) *duetInSolo = true;
      }
      line->m_text.erase(0, 1);
    } else if (!line->m_text.empty() && line->m_text[0] == '!') {
      line->m_fixed = true;
      line->m_colorIndex = ColorIndexFixed;
      line->m_text.erase(0, 1);
    }
    SplitLineIntoWords(*line, fresh, options.convertMarkers);
  }
  return fresh;
}

void CarryOverWordTimes(const KaraokeLineList& old, KaraokeLineList& fresh) {
  SampleTime last = 0;
  const size_t pairs = std::min(old.lines.size(), fresh.lines.size());
  for (size_t i = 0; i < pairs; ++i) {
    const KaraokeLine& from = *old.lines[i];
    KaraokeLine& to = *fresh.lines[i];
    to.m_placed = from.m_placed;
    size_t w = 0;
    for (; w < from.m_words.size() && w < to.m_words.size(); ++w) {
      to.m_words[w]->m_startTime = from.m_words[w]->m_startTime;
      to.m_words[w]->m_endTime = from.m_words[w]->m_endTime;
      to.m_words[w]->m_flags |= from.m_words[w]->m_flags & (KaraokeWord::kNeedsReview | KaraokeWord::kRetapped);
      last = from.m_words[w]->m_endTime;
    }
    for (; w < to.m_words.size(); ++w) {
      to.m_words[w]->m_startTime = last;
      to.m_words[w]->m_endTime = last;
    }
  }
}

void CalcLineAndPageNumbers(KaraokeLineList& list, int linesPerPage) {
  int row = 0, page = 0;
  for (auto& line : list.lines) {
    if (line->m_newPage && row > 0) {
      row = 0;
      ++page;
    }
    line->m_lineInPage = row;
    line->m_page = page;
    if (row + 1 >= linesPerPage) {
      ++page;
      row = 0;
    } else {
      ++row;
    }
  }
}

}  // namespace lf
