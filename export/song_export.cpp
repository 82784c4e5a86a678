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

std::string CreateError(ExportType type) {
  switch (type) {
    case ExportType::Bin: return "Unable to create BIN file.";
    case ExportType::WmaG: return "Unable to create WMA file.";
    case ExportType::Mp4: return "Unable to create MP4 file.";
    default: return "Unable to create MP3 file.";
  }
}

AudioExportJob AudioJobOf(MSongSettings& song, const SongExportRequest& request, int leadIn) {
  AudioExportJob job;
  job.type = request.type;
  job.outputPath = request.outputPath;
  job.zip = request.zip;
  job.workingWavPath = song.WorkingMusicPath();
  job.musicPath = song.MusicPath();
  job.bitRate = request.bitRate;
  job.title = song.Title();
  job.artist = song.Artist();
  job.leadIn = leadIn;
  job.tail = int(song.CreditsLength());
  job.stream = song.RwMemory();
  job.streamSize = int(song.RwMemorySize());
  job.lrc = request.lrc;
  job.lines = &song.LineList();
  job.sampleRate = song.SampleRate();
  return job;
}

VideoExportJob VideoJobOf(MSongSettings& song, const SongExportRequest& request, int leadIn) {
  VideoExportJob job;
  job.outputPath = request.outputPath;
  job.workingWavPath = song.WorkingMusicPath();
  job.musicPath = song.MusicPath();
  job.title = song.Title();
  job.artist = song.Artist();
  job.leadIn = leadIn;
  job.tail = int(song.CreditsLength());
  job.stream = song.RwMemory();
  job.streamSize = int(song.RwMemorySize());
  job.video = request.video;
  return job;
}

ExportOutcome Refuse(Reason reason, const std::string& text, const std::string& caption, const std::string& why) {
  return Outcome::Failure(reason, text, caption, MessageIcon::Exclamation, why);
}

}  // namespace

ExportOutcome ExportSong(MSongSettings& song, const SongExportRequest& request, const AudioExportServices& services,
                         IProgress& progress) {
  const bool bin = request.type == ExportType::Bin;
  const std::string createError = CreateError(request.type);
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

  ExportOutcome outcome;
  if (bin) {
    BinExportJob job{request.outputPath, working, song.RwMemory(), int(song.RwMemorySize()), compiled.endOffset,
                     compiled.leadIn};
    progress.SetCaption("Exporting project to BIN file...");
    outcome = ExportBin(job, progress);
  } else if (request.type == ExportType::Mp4) {
    outcome = ExportVideo(VideoJobOf(song, request, compiled.leadIn), progress);
  } else {
    outcome = ExportAudio(AudioJobOf(song, request, compiled.leadIn), services, progress);
  }
  outcome.leadIn = compiled.leadIn;
  outcome.endOffset = compiled.endOffset;
  return outcome;
}

}  // namespace lf
