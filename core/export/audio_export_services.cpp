// The audio pipeline's bindings to the real encoders and the duration probe.
#include "core/audio/mp3_encoder.h"
#include "core/audio/music_preparation.h"
#include "core/audio/wma_writer.h"
#include "core/export/audio_export.h"

namespace lf {

namespace {

bool EncodeWithRealEncoders(const EncodeRequest& r, ProgressSink& progress, std::string& error) {
  if (r.type == ExportType::WmaG) {
    WmaAttributes().clear();
    AddWmaAttribute("Title", kWmaAttributeString, r.title);
    AddWmaAttribute("Author", kWmaAttributeString, r.artist);
    return EncodeWavToWma(r.target, r.sourceWav, WmaProfileNumber(r.bitRate), &progress, r.leadIn,
                          r.musicSilence + r.tail, &error, r.gain) == 0;
  }
  return EncodeWavToMp3(r.sourceWav, r.target, r.bitRate, &progress, r.title, r.artist, r.leadIn, r.musicSilence,
                        r.tail, &error, r.gain);
}

}  // namespace

AudioExportServices DefaultAudioExportServices() {
  return {EncodeWithRealEncoders, [](const std::string& path) { return int64_t(GetMediaDuration(path, true)); }};
}

}  // namespace lf
