#pragma once
// What the list shown before an export says and allows: one row per problem,
// a heading that counts them, "Export Anyway" only without errors, and the
// word "Go To" selects on the Adjust Lyrics page.
#include <string>
#include <vector>

#include "core/song/song_problem.h"

namespace lf {

class Song;

struct ExportCheckRow {
  bool error = false;
  std::string text;  // "Line 4, word 13: 'star' is sung ..." (counted from 1, as the author reads them)
};

std::vector<ExportCheckRow> ExportCheckRows(const SongProblems& problems);

// "2 errors stop the export. 1 warning." / "3 warnings: export anyway?"
std::string ExportCheckHeading(const SongProblems& problems);

inline bool MayExportAnyway(const SongProblems& problems) { return !HasErrors(problems); }

// The word Go To selects: the problem's own, else the first of its line; -1
// for a problem of the whole song or a line without words.
int WordToAdjustFor(const SongProblem& problem, const Song& song);

}  // namespace lf
