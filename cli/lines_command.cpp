// lyricforge-cli lines: the karaoke lines as the line list lays them out.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/song_project.h"

namespace lf::cli {
namespace {

std::string LineFlags(const KaraokeLine& line) {
  std::string flags;
  if (line.m_placed) flags += "placed,";
  if (line.m_newPage) flags += "newpage,";
  if (line.m_singer2) flags += "singer2,";
  if (line.m_fixed) flags += "fixed,";
  if (!flags.empty()) flags.pop_back();
  return flags;
}

std::string WordText(const KaraokeLine& line, const KaraokeWord& word) {
  if (word.m_firstChar < 0 || word.Length() == 0 || static_cast<size_t>(word.m_lastChar) >= line.m_text.size())
    return {};
  return line.m_text.substr(static_cast<size_t>(word.m_firstChar), static_cast<size_t>(word.Length()));
}

void PrintJson(const Song& song) {
  JsonWriter json;
  json.BeginObject().Key("lines").BeginArray();
  for (const auto& line : song.Lyrics().Lines()) {
    json.BeginObject()
        .Field("text", line->m_text)
        .Field("page", line->m_page)
        .Field("row", line->m_lineInPage)
        .Field("placed", line->m_placed)
        .Field("newPage", line->m_newPage)
        .Field("singer2", line->m_singer2)
        .Field("fixed", line->m_fixed)
        .Field("colorIndex", line->m_colorIndex)
        .Field("start", line->m_startTime)
        .Field("end", line->m_endTime)
        .Key("words")
        .BeginArray();
    for (const KaraokeWord* word : line->m_words) {
      json.BeginObject()
          .Field("text", WordText(*line, *word))
          .Field("first", word->m_firstChar)
          .Field("last", word->m_lastChar)
          .Field("start", word->m_startTime)
          .Field("end", word->m_endTime)
          .Field("flags", static_cast<int64_t>(word->m_flags))
          .EndObject();
    }
    json.EndArray().EndObject();
  }
  json.EndArray().EndObject();
  std::printf("%s\n", json.Text().c_str());
}

void PrintText(const Song& song) {
  for (const auto& line : song.Lyrics().Lines()) {
    std::printf("%d:%d colour %d %d-%d [%s] %s\n", line->m_page, line->m_lineInPage, line->m_colorIndex,
                line->m_startTime, line->m_endTime, LineFlags(*line).c_str(), line->m_text.c_str());
    for (const KaraokeWord* word : line->m_words)
      std::printf("    %d-%d %d-%d flags %u %s\n", word->m_firstChar, word->m_lastChar, word->m_startTime,
                  word->m_endTime, word->m_flags, WordText(*line, *word).c_str());
  }
}

int RunLines(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--json", "--raw"}, {});
  Song& song = LoadSongProject(args.Positional(0, "project file"));
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = !args.Flag("--raw")});
  if (args.Flag("--json"))
    PrintJson(song);
  else
    PrintText(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(lines, "lines", "lines P.lfp [--json] [--raw]", RunLines);

}  // namespace lf::cli
