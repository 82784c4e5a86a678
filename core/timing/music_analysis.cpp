#include "core/timing/music_analysis.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <optional>

#include "core/audio/wav_in_file.h"
#include "core/song/sample_time.h"
#include "core/timing/voice_onset_file.h"
#include "core/timing/voice_onsets.h"

namespace lf {

uint16_t MusicAnalysis::PeakOver(int64_t fromPacket, int64_t toPacket) const {
  const int64_t from = std::max<int64_t>(fromPacket, 0), to = std::min<int64_t>(toPacket, peaks.size());
  uint16_t peak = 0;
  for (int64_t p = from; p < to; ++p) peak = std::max(peak, peaks[static_cast<size_t>(p)]);
  return peak;
}

std::shared_ptr<const MusicAnalysis> AnalyseMusic(const std::string& path, const std::atomic<bool>* cancelled) {
  WavInFile wav(path);
  const int channels = wav.ChannelCount();
  if (!wav.IsOpen() || channels <= 0 || wav.SampleRate() == 0) return nullptr;
  auto analysis = std::make_shared<MusicAnalysis>();
  analysis->sampleRate = static_cast<int>(wav.SampleRate());
  analysis->samplesPerPacket = SamplesPerPacket(analysis->sampleRate);
  OnsetDetector onsets(analysis->sampleRate);
  std::optional<VoicePart> storedVoice = ReadVoiceOnsetFile(path);
  VoiceOnsetDetector voice(analysis->sampleRate);

  const int frames = analysis->samplesPerPacket * 64;
  std::vector<int16_t> block(static_cast<size_t>(frames * channels));
  std::vector<float> mono, left, right;
  int inPacket = 0;
  uint16_t peak = 0;
  while (true) {
    if (cancelled && cancelled->load()) return nullptr;
    const int got = wav.ReadSamples(block.data(), static_cast<int>(block.size())) / channels;
    if (got <= 0) break;
    mono.resize(static_cast<size_t>(got));
    left.resize(static_cast<size_t>(got));
    right.resize(static_cast<size_t>(got));
    for (int f = 0; f < got; ++f) {
      int sum = 0;
      for (int c = 0; c < channels; ++c) {
        const int s = block[static_cast<size_t>(f) * channels + c];
        sum += s;
        peak = std::max<uint16_t>(peak, static_cast<uint16_t>(std::abs(s)));
      }
      mono[static_cast<size_t>(f)] = static_cast<float>(sum) / (32768.0f * static_cast<float>(channels));
      left[static_cast<size_t>(f)] = static_cast<float>(block[static_cast<size_t>(f) * channels]) / 32768.0f;
      right[static_cast<size_t>(f)] =
          static_cast<float>(block[static_cast<size_t>(f) * channels + (channels > 1 ? 1 : 0)]) / 32768.0f;
      if (++inPacket == analysis->samplesPerPacket) {
        analysis->peaks.push_back(peak);
        inPacket = 0;
        peak = 0;
      }
    }
    onsets.Push(mono.data(), mono.size());
    if (!storedVoice) voice.Push(left.data(), channels > 1 ? right.data() : nullptr, left.size());
  }
  if (inPacket > 0) analysis->peaks.push_back(peak);
  analysis->onsets = onsets.Onsets();
  if (storedVoice) {
    analysis->voice = std::move(*storedVoice);
  } else {
    analysis->voice = voice.Part();
    WriteVoiceOnsetFile(path, analysis->voice);  // only a cache: a folder that refuses it costs a re-run
  }
  return analysis;
}

struct MusicAnalysisCache::Impl {
  struct Entry {
    std::shared_future<std::shared_ptr<const MusicAnalysis>> analysis;
    std::shared_ptr<std::atomic<bool>> cancelled;
  };
  std::mutex mutex;
  std::map<std::string, Entry> analyses;

  // A file rewritten in place (the working file) is a new file.
  static std::string KeyOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto time = std::filesystem::last_write_time(path, error).time_since_epoch().count();
    return path + '|' + std::to_string(error ? 0 : size) + '|' + std::to_string(time);
  }

  static bool Running(const Entry& entry) {
    return entry.analysis.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
  }

  // Stops the analyses still running other than `keep`'s; they are worked out
  // again if their music is asked for again.
  void CancelOthers(const std::string& keep) {
    for (auto it = analyses.begin(); it != analyses.end();) {
      if (it->first != keep && Running(it->second)) {
        it->second.cancelled->store(true);
        it = analyses.erase(it);  // waits the moment the worker takes to see the flag
      } else {
        ++it;
      }
    }
  }

  std::shared_future<std::shared_ptr<const MusicAnalysis>> Start(const std::string& path) {
    std::lock_guard lock(mutex);
    const std::string key = KeyOf(path);
    CancelOthers(key);
    Entry& entry = analyses[key];
    if (!entry.analysis.valid()) {
      entry.cancelled = std::make_shared<std::atomic<bool>>(false);
      entry.analysis = std::async(std::launch::async, [path, cancelled = entry.cancelled] {
                         return AnalyseMusic(path, cancelled.get());
                       }).share();
    }
    return entry.analysis;
  }

  ~Impl() {
    for (auto& [key, entry] : analyses)
      if (entry.cancelled) entry.cancelled->store(true);
  }
};

MusicAnalysisCache::MusicAnalysisCache() : m(std::make_unique<Impl>()) {}
MusicAnalysisCache::~MusicAnalysisCache() = default;

MusicAnalysisCache& MusicAnalysisCache::Instance() {
  static MusicAnalysisCache cache;
  return cache;
}

std::shared_ptr<const MusicAnalysis> MusicAnalysisCache::Get(const std::string& path) {
  auto future = m->Start(path);
  if (future.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  return future.get();
}

std::shared_ptr<const MusicAnalysis> MusicAnalysisCache::Wait(const std::string& path) { return m->Start(path).get(); }

}  // namespace lf
