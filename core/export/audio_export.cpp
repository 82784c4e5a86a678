#include "core/export/audio_export.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "core/export/cdg_file.h"
#include "core/export/zip_archive.h"
#include "core/platform/staged_output.h"

namespace lf {

namespace {

constexpr const char* kCompressingCaption = "Compressing Audio...";

std::string AudioExtension(ExportType type) { return type == ExportType::WmaG ? ".wma" : ".mp3"; }

ExportOutcome Fail(const std::string& message, const std::string& why, Reason reason = Reason::WriteFailed) {
  return Outcome::Failure(reason, message, "Error", MessageIcon::Exclamation, why);
}

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

AudioExportPaths PathsOf(const AudioExportJob& job) {
  AudioExportPaths p;
  p.audio = job.zip ? ReplaceExtension(job.outputPath, AudioExtension(job.type)) : job.outputPath;
  p.cdg = ReplaceExtension(p.audio, ".cdg");
  if (job.lrc != LrcStyle::None) p.lrc = ReplaceExtension(p.audio, ".lrc");
  if (job.zip) p.zip = job.outputPath;
  return p;
}

ExportOutcome ExportAudio(const AudioExportJob& job, const AudioExportServices& services, ProgressSink& progress) {
  const bool wma = job.type == ExportType::WmaG;
  const std::string audioError = wma ? "Unable to create WMA file." : "Unable to create MP3 file.";
  if (job.type != ExportType::Mp3G && job.type != ExportType::WmaG)
    return Fail(audioError, "not an audio export type", Reason::Failed);
  if (!services.encode)
    return Fail(audioError, wma ? "WMA encoding is not available" : "MP3 encoding is not available", Reason::Failed);
  if (std::string problem = OutputPathProblem(job.outputPath); !problem.empty()) return Fail(audioError, problem);

  const AudioExportPaths paths = PathsOf(job);
  for (const std::string& out : {paths.audio, paths.cdg, paths.lrc, paths.zip}) {
    if (SameFile(out, job.musicPath) || SameFile(out, job.workingWavPath)) {
      return Fail("The export would replace the project's music file.\nPlease choose another name.",
                  out + " is the project's music file");
    }
  }

  StagedOutput audio(paths.audio), cdg(paths.cdg);
  std::unique_ptr<StagedOutput> lrc, zip;
  if (!paths.lrc.empty()) lrc = std::make_unique<StagedOutput>(paths.lrc);
  if (!paths.zip.empty()) zip = std::make_unique<StagedOutput>(paths.zip);

  progress.SetCaption(kCompressingCaption);
  EncodeRequest request{job.type,   job.workingWavPath, audio.TempPath(), job.bitRate, job.title,
                        job.artist, job.leadIn,         job.musicSilence, job.tail,    job.gain};
  std::string encodeError;
  if (!services.encode(request, progress, encodeError) || !std::filesystem::exists(audio.TempPath())) {
    return Fail(audioError, encodeError.empty() ? "the encoder could not write " + paths.audio : encodeError);
  }

  const int64_t durationMs = services.durationMs ? services.durationMs(audio.TempPath()) : 0;
  const int64_t cdgBytes = CdgBytesToWrite(job.streamSize, durationMs);
  if (!WriteCdgFile(cdg.DescriptorPath(), job.stream, cdgBytes)) {
    return Fail("Unable to create CDG file.", "cannot write " + paths.cdg);
  }

  if (lrc) {
    static const KaraokeLineList kNoLines;
    LrcHeader header{job.artist, job.title, job.leadIn};
    const std::string text = FormatLrc(job.lines ? *job.lines : kNoLines, job.lrc, header, job.sampleRate);
    if (!WriteLrcFile(lrc->DescriptorPath(), text))
      return Fail("Unable to create LRC file.", "cannot write " + paths.lrc);
  }

  std::string error;
  if (zip) {
    std::vector<ZipArchive::Entry> entries{{BaseName(paths.audio), audio.TempPath(), true},
                                           {BaseName(paths.cdg), cdg.TempPath(), false}};
    if (lrc) entries.push_back({BaseName(paths.lrc), lrc->TempPath(), false});
    if (!ZipArchive::Create(*zip, entries, &error) || !zip->Commit(&error)) {
      return Fail("Unable to create ZIP file.", error);
    }
    return Outcome::Success();  // the loose files go with their staging
  }
  // A player pairs the files by name: they are put in place as one set.
  std::vector<StagedOutput*> set{&audio, &cdg};
  if (lrc) set.push_back(lrc.get());
  if (!StagedOutput::CommitTogether(set, &error)) return Fail(audioError, error);
  return Outcome::Success();
}

}  // namespace lf
