#include "core/export/song_export.h"

#include <algorithm>
#include <exception>

#include "core/audio/loudness.h"
#include "core/audio/wav_file.h"
#include "core/export/song_check.h"
#include "core/platform/staged_output.h"
#include "core/song/song.h"
#include "core/song/song_build.h"

namespace lf {

namespace {

constexpr const char* kMeasuringLoudnessCaption = "Measuring Loudness...";

std::string CreateError(ExportType type) {
  if (IsLyricFileType(type)) return "Unable to create " + LyricFileFormatName(type) + " file.";
  switch (type) {
    case ExportType::Bin:
      return "Unable to create BIN file.";
    case ExportType::WmaG:
      return "Unable to create WMA file.";
    case ExportType::Mp4:
      return "Unable to create MP4 file.";
    default:
      return "Unable to create MP3 file.";
  }
}

// Frames of silence the song counts past the end of its working music's data.
// A working copy holds them (compiling lengthens it); music read where it lies
// does not, so its export plays them after the data as part of the music.
int64_t SilenceNotInWorkingMusic(const Song& song) {
  if (!song.Music().WorkingMusicReadOnly()) return 0;
  WavInFile wav(song.Music().WorkingMusicPath());
  const int64_t block = wav.BlockAlign();
  if (block <= 0) return 0;
  const int64_t inFile = int64_t(std::min<uint64_t>(wav.DataBytes(), wav.DataBytesInFile()));
  return std::max<int64_t>(0, int64_t(song.Music().MusicLength()) / block - inFile / block);
}

// The part the audio and the video jobs share: where to write, the music, the
// tags, the silence around the music and the compiled stream.
template <typename Job>
Job SharedJobPart(const Song& song, const SongExportRequest& request, const SongBuild& compiled, double gain) {
  Job job;
  job.gain = gain;
  job.outputPath = request.outputPath;
  job.workingWavPath = song.Music().WorkingMusicPath();
  job.musicPath = song.MusicPath();
  job.title = song.Lyrics().Title();
  job.artist = song.Lyrics().Artist();
  job.leadIn = compiled.result.leadIn;
  job.musicSilence = int(SilenceNotInWorkingMusic(song));
  job.tail = int(song.Music().CreditsLength());
  job.stream = compiled.stream->data();
  job.streamSize = int(compiled.stream->size());
  return job;
}

AudioExportJob AudioJobOf(const Song& song, const SongExportRequest& request, const SongBuild& compiled, double gain) {
  AudioExportJob job = SharedJobPart<AudioExportJob>(song, request, compiled, gain);
  job.type = request.type;
  job.zip = request.zip;
  job.bitRate = request.bitRate;
  job.lrc = request.lrc;
  job.lines = &song.Lyrics().LineList();
  job.sampleRate = song.Music().SampleRate();
  return job;
}

VideoExportJob VideoJobOf(const Song& song, const SongExportRequest& request, const SongBuild& compiled, double gain) {
  VideoExportJob job = SharedJobPart<VideoExportJob>(song, request, compiled, gain);
  job.video = request.video;
  return job;
}

// The audio an UltraStar file names: the exported MP3 beside it when its
// times are the exported audio's, else the original music.
std::string UltraStarAudio(const SongExportRequest& request, const Song& song) {
  const std::string path =
      request.lyricFile.timing == TimingBase::kExport ? ReplaceExtension(request.outputPath, ".mp3") : song.MusicPath();
  return path.substr(path.find_last_of('/') + 1);
}

ExportOutcome Refuse(Reason reason, const std::string& text, const std::string& caption, const std::string& why) {
  return Outcome::Failure(reason, text, caption, MessageIcon::Exclamation, why);
}

// The first pass over the working music: the gain that brings it to the
// target loudness. Unity without a target; nothing when measuring failed or
// was cancelled (`outcome` then says which).
std::optional<double> LoudnessGain(const Song& song, const SongExportRequest& request, ProgressSink& progress,
                                   ExportOutcome& outcome) {
  if (!request.loudnessTarget) return 1.0;
  progress.SetCaption(kMeasuringLoudnessCaption);
  std::string error;
  if (auto gain = GainForLoudness(song.Music().WorkingMusicPath(), *request.loudnessTarget, &progress, &error))
    return gain;
  outcome = progress.CancelRequested()
                ? ExportOutcome::Cancelled()
                : Refuse(Reason::Failed, CreateError(request.type), "Error", "the loudness was not measured: " + error);
  return std::nullopt;
}

}  // namespace

ExportOutcome ExportSong(Song& song, const SongExportRequest& request, const AudioExportServices& services,
                         ProgressSink& progress) {
  const bool bin = request.type == ExportType::Bin;
  const std::string createError = CreateError(request.type);
  const std::string working = song.Music().WorkingMusicPath();
  WavInFile music(working);
  if (working.empty() || !music.IsOpen())
    return Refuse(Reason::Failed, createError, "Error", "the project's music is not prepared");
  if (bin) {
    const std::string refusal = BinNotAllowedText(int(music.SampleRate()), music.ChannelCount(), music.BitsPerSample());
    if (!refusal.empty()) return Refuse(Reason::BadInput, refusal, kBinNotAllowedTitle, refusal);
  }
  // Checked before compiling, which may rewrite the working music.
  if (std::string problem = OutputPathProblem(request.outputPath); !problem.empty()) {
    return Refuse(Reason::WriteFailed, createError, "Error", problem);
  }

  // Refused before compiling, which would lengthen the music to reach them.
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  if (auto stray = FirstWordPastTheMusic(song)) {
    const std::string text = ProblemPlace(*stray) + ": " + stray->message;
    return Refuse(Reason::BadInput, text, "Error", text);
  }

  // The percentages belong to the pipeline that follows; the compilation only heeds cancel.
  CancelOnlyProgress compileProgress(progress);
  const SongBuild compiled = CompileSongStream(song, &compileProgress);
  if (compiled.reason == Reason::Cancelled) return ExportOutcome::Cancelled();
  if (!compiled)
    return Refuse(Reason::Failed, createError, "Error", "the song could not be compiled: " + compiled.detail);
  const int leadIn = compiled.result.leadIn;
  const int endOffset = int(compiled.result.endOffset);

  ExportOutcome outcome;
  const std::optional<double> gain = LoudnessGain(song, request, progress, outcome);
  if (!gain) return outcome;
  if (bin) {
    BinExportJob job{request.outputPath, working, compiled.stream->data(),    int(compiled.stream->size()),
                     endOffset,          leadIn,  song.Music().MusicLength(), *gain};
    progress.SetCaption("Exporting project to BIN file...");
    outcome = ExportBin(job, progress);
  } else if (IsLyricFileType(request.type)) {
    LyricFileOptions options = request.lyricFile;
    if (options.audioFile.empty()) options.audioFile = UltraStarAudio(request, song);
    outcome = ExportLyricFile(song, compiled.result, request.type, request.outputPath, options);
  } else if (request.type == ExportType::Mp4) {
    outcome = ExportVideo(VideoJobOf(song, request, compiled, *gain), progress);
  } else {
    outcome = ExportAudio(AudioJobOf(song, request, compiled, *gain), services, progress);
  }
  outcome.leadIn = leadIn;
  outcome.endOffset = endOffset;
  return outcome;
}

}  // namespace lf
