// lyricforge-cli export: the export pipelines (BIN, MP3+G, WMA+G, MP4) and the
// lyric and subtitle files on a project.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/command.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "cli/terminal_progress.h"
#include "core/audio/loudness.h"
#include "core/export/export_formats.h"
#include "core/export/song_export.h"
#include "core/platform/paths.h"
#include "core/platform/settings.h"
#include "core/timing/voice_pitch.h"

namespace lf::cli {
namespace {

ExportType ParseFormat(const std::string& name) {
  if (auto format = ExportFormatNamed(name)) return format->type;
  throw CliError(kExitUsage, "--format takes " + ExportFormatNames() + ", not '" + name + "'");
}

// Every file the export writes, for the check against its inputs.
std::vector<std::string> ExportOutputs(const SongExportRequest& request) {
  if (request.type == ExportType::Bin || request.type == ExportType::Mp4 || IsLyricFileType(request.type))
    return {request.outputPath};
  AudioExportJob job;
  job.type = request.type;
  job.outputPath = request.outputPath;
  job.zip = request.zip;
  job.lrc = request.lrc;
  const AudioExportPaths paths = PathsOf(job);
  std::vector<std::string> outputs;
  for (const std::string& p : {paths.audio, paths.cdg, paths.lrc, paths.zip})
    if (!p.empty()) outputs.push_back(p);
  return outputs;
}

// The rates the export dialog offers for the type; without --bitrate, the
// rate last chosen in the export dialog (the shared preferences).
int ParseBitRate(const Args& args, ExportType type) {
  auto text = args.Option("--bitrate");
  if (IsLyricFileType(type)) {
    if (text) throw CliError(kExitUsage, "--bitrate goes with mp3g or wmag");
    return kDefaultExportBitRate;
  }
  if (!text) {
    if (type == ExportType::Bin || type == ExportType::Mp4) return kDefaultExportBitRate;
    const char* key = type == ExportType::Mp3G ? kExportRatioMp3Key : kExportRatioWmaKey;
    const int stored = AppSettings().Int("Settings", key, kDefaultExportBitRate);
    for (const auto& entry : CompressionEntries(type))
      if (EntryValue(entry) == stored) return stored;
    return kDefaultExportBitRate;
  }
  if (type == ExportType::Bin || type == ExportType::Mp4)
    throw CliError(kExitUsage, std::string("--bitrate does not apply to ") + (type == ExportType::Bin ? "BIN" : "MP4"));
  std::string value = *text;
  if (!value.empty() && (value.back() == 'k' || value.back() == 'K')) value.pop_back();
  const auto& entries = CompressionEntries(type);
  for (const auto& entry : entries)
    if (std::to_string(EntryValue(entry)) == value) return EntryValue(entry);
  std::string offered;
  for (const auto& entry : entries) offered += (offered.empty() ? "" : ", ") + std::to_string(EntryValue(entry));
  throw CliError(kExitUsage, "--bitrate for this format is one of " + offered + ", not '" + *text + "'");
}

// The dialog's list offers rates that MP3 has only at other sample rates;
// the encoder would silently take another, so the export is refused.
void RefuseMp3BitRate(int kbps, int sampleRate, const std::optional<std::string>& asked) {
  const std::vector<int> rates = Mp3BitRatesFor(sampleRate);
  if (std::find(rates.begin(), rates.end(), kbps) != rates.end()) return;
  std::string offered;
  for (const int rate : rates) offered += (offered.empty() ? "" : ", ") + std::to_string(rate);
  const std::string what = asked ? "'" + *asked + "'" : std::to_string(kbps) + " (the rate last chosen for MP3+G)";
  throw CliError(kExitUsage, "--bitrate for MP3 of " + std::to_string(sampleRate) + " Hz music is one of " + offered +
                                 ", not " + what);
}

LrcStyle ParseLrc(const Args& args, ExportType type) {
  auto text = args.Option("--lrc");
  if (!text) return type == ExportType::Lrc ? LrcStyle::Enhanced : LrcStyle::None;
  if (type != ExportType::Mp3G && type != ExportType::WmaG && type != ExportType::Lrc)
    throw CliError(kExitUsage, "--lrc goes with mp3g, wmag or lrc");
  if (*text == "simple") return LrcStyle::Simple;
  if (*text == "enhanced") return LrcStyle::Enhanced;
  throw CliError(kExitUsage, "--lrc takes simple or enhanced, not '" + *text + "'");
}

// `text` as a whole number from `low` to `high`, written plainly ("07" and "9k" are refused).
int WholeNumberIn(const std::string& text, int low, int high, const std::string& what) {
  for (int n = low; n <= high; ++n)
    if (std::to_string(n) == text) return n;
  throw CliError(kExitUsage,
                 what + " from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" + text + "'");
}

// The options of the lyric and subtitle files, refused with the other formats.
LyricFileOptions ParseLyricFile(const Args& args, ExportType type) {
  LyricFileOptions options;
  const auto timing = args.Option("--timing");
  if (!IsLyricFileType(type)) {
    if (timing) throw CliError(kExitUsage, "--timing goes with ass, ultrastar, ttml, vtt, srt or lrc");
    if (args.Flag("--sweep")) throw CliError(kExitUsage, "--sweep goes with ass");
    if (args.Option("--pitch")) throw CliError(kExitUsage, "--pitch goes with ultrastar");
    return options;
  }
  if (timing && *timing == "export")
    options.timing = TimingBase::kExport;
  else if (timing && *timing != "music")
    throw CliError(kExitUsage, "--timing takes music or export, not '" + *timing + "'");
  if (args.Flag("--sweep") && type != ExportType::Ass) throw CliError(kExitUsage, "--sweep goes with ass");
  options.assSweep = args.Flag("--sweep");
  if (const auto pitch = args.Option("--pitch"); pitch && *pitch != "music") {
    if (type != ExportType::UltraStar) throw CliError(kExitUsage, "--pitch goes with ultrastar");
    options.pitch = WholeNumberIn(*pitch, -48, 48, "--pitch takes music or semitones from C4");
  }
  return options;
}

// The video options; each is refused with the formats it does not belong to.
VideoOptions ParseVideo(const Args& args, ExportType type) {
  VideoOptions video;
  const char* names[] = {"--size", "--fps", "--crf", "--preset", "--audio-bitrate", "--keyframe-interval"};
  const char* flags[] = {"--visible", "--constant-fps"};
  if (type != ExportType::Mp4) {
    for (const char* name : names)
      if (args.Option(name)) throw CliError(kExitUsage, std::string(name) + " goes with mp4");
    for (const char* flag : flags)
      if (args.Flag(flag)) throw CliError(kExitUsage, std::string(flag) + " goes with mp4");
    return video;
  }
  if (auto text = args.Option("--size")) {
    const auto size = VideoFrameSizeNamed(*text);
    if (!size) throw CliError(kExitUsage, "--size takes " + VideoFrameSizeList() + ", not '" + *text + "'");
    video.width = size->width;
    video.height = size->height;
  }
  if (auto text = args.Option("--fps")) {
    const auto& rates = VideoFrameRates();
    const auto rate = std::find_if(rates.begin(), rates.end(), [&](int r) { return std::to_string(r) == *text; });
    if (rate == rates.end()) throw CliError(kExitUsage, "--fps takes 25, 30 or 60, not '" + *text + "'");
    video.fps = *rate;
  }
  if (auto text = args.Option("--crf")) {
    if (*text == "0")
      throw CliError(kExitUsage,
                     "--crf 0 is lossless H.264, which browsers and most players do not play; 1 is the finest quality "
                     "offered");
    video.crf = WholeNumberIn(*text, kMinVideoCrf, kMaxVideoCrf, "--crf takes a whole number");
  }
  if (auto text = args.Option("--keyframe-interval"))
    video.keyframeSeconds = WholeNumberIn(*text, 1, kMaxKeyframeSeconds, "--keyframe-interval takes whole seconds");
  video.constantFrameRate = args.Flag("--constant-fps");
  if (auto text = args.Option("--preset")) {
    if (!IsVideoPreset(*text))
      throw CliError(kExitUsage, "--preset takes one of " + std::string(VideoPresetList()) + ", not '" + *text + "'");
    video.preset = *text;
  }
  if (auto text = args.Option("--audio-bitrate"))
    video.audioKbps =
        WholeNumberIn(*text, kMinVideoAudioKbps, kMaxVideoAudioKbps, "--audio-bitrate takes a whole number of kbit/s");
  video.area = args.Flag("--visible") ? VideoArea::Visible : VideoArea::Screen;
  return video;
}

// --loudness LUFS: a target within the offered range, as a plain number.
std::optional<double> ParseLoudness(const Args& args) {
  const auto text = args.Option("--loudness");
  if (!text) return std::nullopt;
  char* end = nullptr;
  const double lufs = std::strtod(text->c_str(), &end);
  if (text->empty() || *end != '\0' || !(lufs >= kMinLoudnessTarget && lufs <= kMaxLoudnessTarget))
    throw CliError(kExitUsage, "--loudness takes a loudness in LUFS from " + std::to_string(int(kMinLoudnessTarget)) +
                                   " to " + std::to_string(int(kMaxLoudnessTarget)) + ", not '" + *text + "'");
  return lufs;
}

int RunExport(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--zip", "--visible", "--sweep", "--constant-fps"},
            {"--format", "--bitrate", "--lrc", "--timing", "--size", "--fps", "--crf", "--preset", "--audio-bitrate",
             "--keyframe-interval", "--loudness", "--pitch"});
  const std::string project = args.Positional(0, "project file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  SongExportRequest request;
  request.type = ParseFormat(args.Required("--format"));
  request.outputPath = args.Required("-o");
  request.bitRate = ParseBitRate(args, request.type);
  request.zip = args.Flag("--zip");
  if (request.zip && request.type != ExportType::Mp3G && request.type != ExportType::WmaG)
    throw CliError(kExitUsage, "--zip goes with mp3g or wmag");
  request.lrc = ParseLrc(args, request.type);
  request.video = ParseVideo(args, request.type);
  request.lyricFile = ParseLyricFile(args, request.type);
  if (request.type == ExportType::Lrc) {
    request.lyricFile.lrc = request.lrc;
    request.lrc = LrcStyle::None;
  }
  request.loudnessTarget = ParseLoudness(args);
  std::string problem;
  request.outputPath = OutputPathWithExtension(request.outputPath, request.type, request.zip, problem);
  if (!problem.empty()) throw CliError(kExitUsage, problem);

  Song& song = LoadSongProject(project);
  RefuseOutputClash({project, song.MusicPath()}, ExportOutputs(request));
  ScopedTempFolder workFolder("lyricforge-export");
  // Every export reads the music once: a WAV where it lies (never written, its
  // added silence only counted), other music decoded into this run's working copy.
  if (song.MusicPath().empty()) throw CliError(kExitInput, "the project has no music");
  PrepareProjectMusic(song, workFolder.Path(), true);
  if (request.type == ExportType::Mp3G)
    RefuseMp3BitRate(request.bitRate, song.Music().SampleRate(), args.Option("--bitrate"));
  if (args.Option("--pitch") == "music") {
    if (request.type != ExportType::UltraStar) throw CliError(kExitUsage, "--pitch goes with ultrastar");
    request.lyricFile.notePitch = SungNotePitch(song.Music().WorkingMusicPath());
  }

  ExportOutcome outcome;
  {
    TerminalProgress progress;
    outcome = ExportSong(song, request, DefaultAudioExportServices(), progress);
  }
  if (outcome.reason == Reason::Cancelled) throw CliError(kExitFailure, "export cancelled");
  if (!outcome.Ok()) {
    // The failure is told once, on one line: the user's message, then why.
    const std::string message = OneLine(outcome.text);
    std::string line = message.empty() ? outcome.detail : message;
    if (!message.empty() && !outcome.detail.empty() && OneLine(outcome.detail) != message)
      line += " (" + outcome.detail + ")";
    const bool unusableInput = outcome.reason == Reason::BadInput || outcome.reason == Reason::NotFound;
    throw CliError(unusableInput ? kExitInput : kExitOutput, line);
  }
  // A lyric file's note: the fixed lines its format could not carry.
  if (IsLyricFileType(request.type) && !outcome.text.empty())
    std::fprintf(stderr, "lyricforge-cli: %s\n", OneLine(outcome.text).c_str());
  std::printf("%s\n", request.outputPath.c_str());
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(export_song, "export",
               "export P.lfp --format bin|mp3g|wmag|mp4|ass|ultrastar|ttml|vtt|srt|lrc [--bitrate K] [--zip] "
               "[--lrc simple|enhanced] [--timing music|export] [--sweep] "
               "[--size 720p|1080p|2160p] [--fps 25|30|60] [--crf Q] [--preset P] [--keyframe-interval S] "
               "[--constant-fps] [--audio-bitrate K] [--visible] [--loudness LUFS] [--pitch music|N] -o PATH",
               RunExport);

}  // namespace lf::cli
