#pragma once
// Something about a song an author should know before it goes out: where it
// is (a line, a word of it, or the whole song), how bad it is and what it
// is. Any part that looks over a song (the export check, a timing pass that
// doubts its words) reports in this form, so one list shows them all.
#include <algorithm>
#include <string>
#include <vector>

namespace lf {

enum class ProblemSeverity {
  Error,    // the export would come out wrong: it is refused
  Warning,  // worth a look; the author may export anyway
};

struct SongProblem {
  ProblemSeverity severity = ProblemSeverity::Warning;
  std::string kind;  // a short stable name ("untimed", "too-wide", ...), for scripts and filters
  int line = -1;     // index into the laid-out lines, from 0; -1: the whole song
  int word = -1;     // index into the song's words, from 0; -1: the whole line or song
  std::string message;
};

using SongProblems = std::vector<SongProblem>;

inline const char* SeverityName(ProblemSeverity severity) {
  return severity == ProblemSeverity::Error ? "error" : "warning";
}

inline bool HasErrors(const SongProblems& problems) {
  return std::any_of(problems.begin(), problems.end(),
                     [](const SongProblem& p) { return p.severity == ProblemSeverity::Error; });
}

// "line 3, word 12", "line 3" or "the song": counted from 0, as `lines --json`
// and `nudge` count them, so the place can be typed back to them.
inline std::string ProblemPlace(const SongProblem& problem) {
  if (problem.line < 0) return "the song";
  std::string place = "line " + std::to_string(problem.line);
  if (problem.word >= 0) place += ", word " + std::to_string(problem.word);
  return place;
}

}  // namespace lf
