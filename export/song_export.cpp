#include "export/song_export.h"

#include <exception>

#include "audio/wav_file.h"
#include "engine/song/song_settings.h"
#include "platform/staged_output.h"

namespace lf {

namespace {

struct CompiledSong {
  int leadIn = 0;
  int endOffset = 0;
};

// The lines laid out afresh and the whole song compiled into its output buffer.
CompiledSong LayOutAndCompile(MSongSettings& song) {
  song.GenerateKaraokeLineList(true, true);
  if (!song.RwMemory()) song.AllocateRwMemory(song.MusicLengthAtLoad() == 0);
  CompiledSong compiled;
  if (!song.RwMemory()) return compiled;
  uint32_t endOffset = 0;
  compiled.leadIn = song.WriteRwMemory(song.RwMemory(), song.RwMemorySize(), endOffset, kCompileEverything);
  compiled.endOffset = int(endOffset);
  return compiled;
}

ExportOutcome Refuse(Reason reason, const std::string& text, const std::string& caption, const std::string& why) {
  return Outcome::Failure(reason, text, caption, MessageIcon::Exclamation, why);
}

}  // namespace

ExportOutcome ExportSong(MSongSettings& song, const SongExportRequest& request, const AudioExportServices& services,
                         IProgress& progress) {
  const bool bin = request.type == ExportType::Bin;
  const std::string createError = bin ? "Unable to create BIN file."
                                  : request.type == ExportType::WmaG ? "Unable to create WMA file."
                                                                     : "Unable to create MP3 file.";
  const std::string working = song.WorkingMusicPath();
  WavInFile music(working);
  if (working.empty() || !music.IsOpen()) return Refuse(Reason::Failed, createError, "Error", "the project's music is not prepared");
  if (bin) {
    const std::string refusal = BinNotAllowedText(int(music.SampleRate()), music.ChannelCount(), music.BitsPerSample());
    if (!refusal.empty()) return Refuse(Reason::BadInput, refusal, kBinNotAllowedTitle, refusal);
  }
  // Checked before compiling, which may rewrite the working music.
  if (std::string problem = OutputPathProblem(request.outputPath); !problem.empty()) {
    return Refuse(Reason::WriteFailed, createError, "Error", problem);
  }

  CompiledSong compiled;
  try {
    compiled = LayOutAndCompile(song);
  } catch (const std::exception& e) {
    return Refuse(Reason::Failed, createError, "Error", std::string("the song could not be compiled: ") + e.what());
  }
  if (!song.RwMemory()) return Refuse(Reason::Failed, createError, "Error", "the song could not be compiled (no output buffer)");

  if (bin) {
    BinExportJob job{request.outputPath, working, song.RwMemory(), int(song.RwMemorySize()), compiled.endOffset,
                     compiled.leadIn};
    progress.SetCaption("Exporting project to BIN file...");
    ExportOutcome outcome = ExportBin(job, progress);
    outcome.leadIn = compiled.leadIn;
    outcome.endOffset = compiled.endOffset;
    return outcome;
  }

  AudioExportJob job;
  job.type = request.type;
  job.outputPath = request.outputPath;
  job.zip = request.zip;
  job.workingWavPath = working;
  job.musicPath = song.MusicPath();
  job.bitRate = request.bitRate;
  job.title = song.Title();
  job.artist = song.Artist();
  job.leadIn = compiled.leadIn;
  job.tail = int(song.CreditsLength());
  job.stream = song.RwMemory();
  job.streamSize = int(song.RwMemorySize());
  job.lrc = request.lrc;
  job.lines = &song.LineList();
  job.sampleRate = song.SampleRate();
  ExportOutcome outcome = ExportAudio(job, services, progress);
  outcome.leadIn = compiled.leadIn;
  outcome.endOffset = compiled.endOffset;
  return outcome;
}

}  // namespace lf
