#include "desktop/rules/export_check_list.h"

#include <algorithm>

#include "core/song/song.h"

namespace lf {

namespace {

std::string Counted(int n, const char* one) { return std::to_string(n) + " " + one + (n == 1 ? "" : "s"); }

std::string AuthorsPlace(const SongProblem& problem) {
  if (problem.line < 0) return "Song";
  std::string place = "Line " + std::to_string(problem.line + 1);
  if (problem.word >= 0) place += ", word " + std::to_string(problem.word + 1);
  return place;
}

}  // namespace

std::vector<ExportCheckRow> ExportCheckRows(const SongProblems& problems) {
  std::vector<ExportCheckRow> rows;
  for (const SongProblem& p : problems)
    rows.push_back({p.severity == ProblemSeverity::Error, AuthorsPlace(p) + ": " + p.message});
  return rows;
}

std::string ExportCheckHeading(const SongProblems& problems) {
  const int errors = int(std::count_if(problems.begin(), problems.end(),
                                       [](const SongProblem& p) { return p.severity == ProblemSeverity::Error; }));
  const int warnings = int(problems.size()) - errors;
  if (errors > 0)
    return Counted(errors, "error") + (errors == 1 ? " stops" : " stop") + " the export." +
           (warnings > 0 ? " " + Counted(warnings, "warning") + "." : "");
  return Counted(warnings, "warning") + ": export anyway?";
}

int WordToAdjustFor(const SongProblem& problem, const Song& song) {
  if (problem.word >= 0 && problem.word < song.Lyrics().WordCount()) return problem.word;
  if (problem.line < 0 || problem.line >= song.Lyrics().LineCount()) return -1;
  int first = 0;
  for (int i = 0; i < problem.line; ++i) first += int(song.Lyrics().Line(i)->m_words.size());
  return song.Lyrics().Line(problem.line)->HasWords() ? first : -1;
}

}  // namespace lf
