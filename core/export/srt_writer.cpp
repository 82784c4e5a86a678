#include "core/export/srt_writer.h"

#include "core/export/caption_clock.h"

namespace lf {

LyricFileText FormatSrt(const TimedLyrics& lyrics) {
  LyricFileText file;
  int number = 0;
  for (const CaptionCue& cue : CaptionCues(lyrics)) {
    if (number > 0) file.text += "\n";
    file.text += std::to_string(++number) + "\n" + ClockText(cue.span.begin, ClockStyle::kHoursCommaMillis) + " --> " +
                 ClockText(cue.span.end, ClockStyle::kHoursCommaMillis) + "\n" + WithoutControls(cue.line->Text()) +
                 "\n";
  }
  return file;
}

}  // namespace lf
