#include "core/playback/cdg_player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/audio/pcm_effects.h"
#include "core/audio/sound_device.h"
#include "core/audio/tempo_pitch_processor.h"
#include "core/audio/wav_file.h"
#include "core/cdg/packet_time.h"
#include "core/platform/settings.h"
#include "core/platform/thread_priority.h"
#include "core/playback/rw_player.h"
#include "core/playback/rw_renderer.h"

namespace lf {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(10);

std::mutex g_globalMutex;
std::unique_ptr<CdgPlayer> g_globalPlayer;

void JoinUnlessSelf(std::thread& t) {
  if (t.joinable() && t.get_id() != std::this_thread::get_id()) t.join();
}

}  // namespace

CdgPlayer::CdgPlayer(CdgRenderer* renderer, const PlaybackClock& clock)
    : m_renderer(renderer ? renderer->Handle() : nullptr), m_clock(clock), m_device(std::make_unique<SoundDevice>()) {}

CdgPlayer::~CdgPlayer() {
  Stop();
  // A play that ended by itself from its own thread may still be joinable.
  if (m_playbackThread.joinable()) m_playbackThread.join();
  if (m_readerThread.joinable()) m_readerThread.join();
  m_rwPlayer.reset();
  ReleaseSound();
  ++*m_playSerial;  // end notices still on their way find no play to report
}

CdgPlayer* CdgPlayer::CreateGlobal(CdgRenderer* renderer) {
  std::lock_guard lock(g_globalMutex);
  g_globalPlayer.reset();
  g_globalPlayer = std::make_unique<CdgPlayer>(renderer);
  return g_globalPlayer.get();
}

CdgPlayer* CdgPlayer::Global() {
  std::lock_guard lock(g_globalMutex);
  return g_globalPlayer.get();
}

void CdgPlayer::DestroyGlobal() {
  std::lock_guard lock(g_globalMutex);
  g_globalPlayer.reset();
}

void CdgPlayer::SetSource(const std::string& wavPath, PacketStream stream) {
  m_wavPath = wavPath;
  m_stream = std::move(stream);
}

void CdgPlayer::SetSource(const std::string& wavPath, const uint8_t* stream, size_t size) {
  SetSource(wavPath, stream && size > 0 ? MakePacketStream(std::vector<uint8_t>(stream, stream + size)) : nullptr);
}

void CdgPlayer::SetRenderer(CdgRenderer* renderer) {
  std::shared_ptr<RendererHandle> handle = renderer ? renderer->Handle() : nullptr;
  if (handle == m_renderer) return;
  if (m_rwPlayer) m_rwPlayer.reset();  // stops it; the next play makes one on the new renderer
  m_renderer = std::move(handle);
}

void CdgPlayer::SetSampleRate(int sampleRate, int samplesPerPacket) {
  m_sampleRate = sampleRate > 0 ? sampleRate : 44100;
  m_samplesPerPacket = samplesPerPacket > 0 ? samplesPerPacket : m_sampleRate / 300;
}

void CdgPlayer::SetEndDispatcher(Dispatcher dispatcher) {
  std::lock_guard lock(m_dispatchMutex);
  m_endDispatcher = std::move(dispatcher);
}

void CdgPlayer::SetLevelOutputs(std::atomic<int>* all, std::atomic<int>* right, std::atomic<int>* left) {
  m_levelAll = all;
  m_levelRight = right;
  m_levelLeft = left;
}

std::string CdgPlayer::PlayTimeText() const {
  std::lock_guard lock(m_textMutex);
  return m_playTimeText;
}

void CdgPlayer::SetPlayTime(int32_t position) {
  const int32_t length = m_length;
  const int rate = m_sampleRate > 0 ? m_sampleRate.load() : 44100;
  const int seconds = position >= length ? 0 : (length - position) / rate;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
  std::lock_guard lock(m_textMutex);
  m_playTimeText = text;
}

Outcome CdgPlayer::Play(int flags, int32_t startSample, int32_t endSample, EndCallback endCallback,
                        uintptr_t userValue) {
  // A play still running, or one that ended by itself and left its threads to be joined.
  if (m_state != kStopped || m_playbackThread.joinable() || m_readerThread.joinable()) Stop();
  m_flags = flags;
  m_startSample = std::max<int32_t>(startSample, 0);
  m_endSample = endSample;
  m_endCallback = std::move(endCallback);
  m_userValue = userValue;
  m_playEndedEvent.Reset();
  m_finishedEvent.Reset();
  m_stoppedEvent.Reset();
  m_dataWantedEvent.Reset();
  m_position = m_startSample;
  {
    std::lock_guard positionLock(m_positionMutex);
    m_exactPosition = m_startSample;
    m_timeline.Reset(m_startSample);
  }
  m_readerDone = false;
  m_firstChunkWritten = false;
  m_firstChunkEvent.Reset();
  m_readerWake.Reset();
  m_notifyEvent.Reset();
  m_bytesWritten = 0;
  ++*m_playSerial;

  if (flags & kPlayAudio) {
    if (Outcome sound = SetUpSound(); !sound) {
      m_state = kStopped;
      return sound;
    }
  } else {
    // Graphics alone run as long as the stream.
    m_length = static_cast<int32_t>(std::min<int64_t>(
        SampleFrameOfSlot(static_cast<int64_t>(StreamSize(m_stream) / kPacketSize), m_sampleRate), INT32_MAX));
  }
  if ((flags & kPlayGraphics) && StreamSize(m_stream) > 0) {
    if (!m_rwPlayer) m_rwPlayer = std::make_unique<SubcodePlayer>(m_renderer, m_clock);
    m_rwPlayer->SetStream(m_stream);
    m_rwPlayer->SetExternalPosition(&m_position);
    m_rwPlayer->SetPace(RwPlayerPace{[this] { return m_sampleRate.load(); }, [this] { return m_tempoChange.load(); }});
    // The screen as it stands at the start, before any sound is heard.
    m_rwPlayer->Seek(m_startSample);
  }
  SetPlayTime(0);  // the whole length is still to play
  m_bytesAllowed = static_cast<uint64_t>(m_chunkBytes) + m_leadBytes;
  m_endNotified = false;
  m_playStartMs = m_clock.NowMs();
  m_state = kPlaying;
  if (flags & kPlayAudio)
    m_readerThread = std::thread([this, start = m_startSample] { ReaderThread(start); });
  else
    m_stoppedEvent.Set();  // no reader to stop
  m_playbackThread = std::thread([this] { PlaybackThread(); });
  return Outcome::Success();
}

namespace {

Outcome MusicRefused(const std::string& why) {
  return Outcome::Failure(Reason::BadInput, why, "Lyricforge", MessageIcon::Exclamation, why);
}

}  // namespace

Outcome CdgPlayer::SetUpSound() {
  if (!m_processor) m_processor = std::make_unique<TempoPitchProcessor>();
  m_processor->SetFormat(44100, 2);
  int channels = 2, rate = 44100, bits = 16;
  uint64_t frames = 0;
  m_wav.reset();
  if (!m_wavPath.empty()) {
    m_wav = std::make_unique<WavInFile>(m_wavPath);
    if (!m_wav->IsOpen()) {
      m_wav.reset();
      return MusicRefused("Cannot open the music file " + m_wavPath);
    }
    channels = m_wav->ChannelCount();
    rate = static_cast<int>(m_wav->SampleRate());
    bits = m_wav->BitsPerSample();
    const int block = m_wav->BlockAlign() > 0 ? m_wav->BlockAlign() : channels * bits / 8;
    if (block <= 0) {
      return MusicRefused("The music file has no sample format");
    }
    // A header that claims more data than the file holds does not make the music longer.
    frames = std::min<uint64_t>(m_wav->DataBytes(), m_wav->DataBytesInFile()) / static_cast<uint64_t>(block);
  }
  // The reader delivers 8- and 16-bit samples; wider ones it cannot read.
  if (bits != 8 && bits != 16) {
    return MusicRefused("Bits per Sample must be 8 or 16");
  }
  if (channels < 1 || channels > 8 || rate <= 0) {
    return MusicRefused("The music file's format cannot be played");
  }
  m_length = static_cast<int32_t>(std::min<uint64_t>(frames + static_cast<uint64_t>(std::max(m_leadIn, 0)), INT32_MAX));
  m_sampleRate = rate;
  m_samplesPerPacket = rate / 300;
  m_channels = channels;
  m_blockBytes = channels * 2;
  m_chunkBytes = kChunkBaseBytes - kChunkBaseBytes % m_blockBytes;
  m_processor->SetFormat(rate, channels);

  const bool opened = OpenDevice(rate, channels);
  if (!opened) {
    m_wav.reset();
    return Outcome::Failure(
        Reason::Failed,
        "An audio sound card is not installed in this computer.\nYou will not be able to hear the audio when you "
        "play Karaoke CDG or Audio CD files.",
        "Sound Device Not Detected", MessageIcon::Warning, "Sound Device Not Detected: " + m_device->ErrorText());
  }
  return Outcome::Success();
}

bool CdgPlayer::OpenDevice(int rate, int channels) {
  std::lock_guard lock(m_bufferMutex);
  if (m_device->IsOpen() && rate == m_deviceRate && channels == m_deviceChannels) {
    // Opening takes a tenth of a second or more; a stopped device only needs emptying.
    m_device->Pause();
    m_device->Clear();
  } else {
    m_deviceRate = m_deviceChannels = 0;
    if (!m_device->Open(rate, channels, static_cast<size_t>(m_chunkBytes) * kChunksInBuffer)) return false;
    m_deviceRate = rate;
    m_deviceChannels = channels;
    // The device takes a whole period at a time; twice that, in whole chunks,
    // and one chunk more stay written ahead so that a busy machine does not
    // let it run dry.
    const uint64_t period = m_device->PeriodBytes(), chunk = static_cast<uint64_t>(m_chunkBytes);
    m_leadBytes = (2 * period + chunk - 1) / chunk * chunk + chunk;
  }
  m_device->SetNotification(&m_notifyEvent, static_cast<size_t>(m_chunkBytes));
  return true;
}

void CdgPlayer::ReleaseSound() {
  {
    std::lock_guard lock(m_bufferMutex);
    m_device->SetNotification(nullptr, 0);
    m_device->Close();
    m_deviceRate = m_deviceChannels = 0;
  }
  m_wav.reset();
}

void CdgPlayer::ProcessChunk(std::vector<int16_t>& samples) {
  const size_t frames = samples.size() / static_cast<size_t>(m_channels);
  ApplyChannelMode(samples.data(), frames, m_channels, m_channelMode);
  if (const std::atomic<int>* volume = m_volume) ApplyVolume(samples.data(), samples.size(), volume->load());
  std::atomic<int>* all = m_levelAll;
  std::atomic<int>* right = m_levelRight;
  std::atomic<int>* left = m_levelLeft;
  if (all || right || left) {
    const PeakLevels peaks = MeasurePeaks(samples.data(), frames, m_channels);
    if (all) *all = peaks.all;
    if (right) *right = peaks.right;
    if (left) *left = peaks.left;
  }
}

bool CdgPlayer::WriteToDevice(const int16_t* samples, size_t count) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
  const size_t total = count * sizeof(int16_t);
  size_t done = 0;
  while (done < total) {
    if (m_state == kStopped) return false;
    size_t took;
    {
      std::lock_guard lock(m_bufferMutex);
      took = m_device->Write(bytes + done, total - done);
    }
    done += took;
    if (done < total) m_readerWake.WaitFor(kPoll);
  }
  m_bytesWritten += total;
  return true;
}

void CdgPlayer::ReaderThread(int32_t startSample) {
  SetCurrentThreadPriority(AppSettings().Int("Default", "AutoPlayCDGDisplayPriority", 1));
  const size_t chunkFrames = static_cast<size_t>(m_chunkBytes / m_blockBytes);
  const size_t channels = static_cast<size_t>(m_channels);
  std::vector<int16_t> chunk(chunkFrames * channels), processed;
  const int64_t leadIn = std::max(m_leadIn, 0);

  // The start lies in the lead-in or in the file, which is sought there;
  // past its end there is nothing more to read.
  int64_t position = startSample;
  if (m_wav && startSample > leadIn) m_wav->SeekToFrame(static_cast<uint64_t>(startSample - leadIn));

  int appliedTempo = 0, appliedPitch = 0;
  m_processor->Clear();
  m_processor->SetTempoChange(0);
  m_processor->SetPitchSemiTones(0);
  while (m_state != kStopped) {
    if (m_state != kPlaying || m_bytesWritten > m_bytesAllowed) {
      m_readerWake.WaitFor(kPoll);
      continue;
    }
    size_t frames = 0;
    if (position < leadIn) {
      frames = static_cast<size_t>(std::min<int64_t>(leadIn - position, static_cast<int64_t>(chunkFrames)));
      std::fill(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(frames * channels), 0);
    }
    if (frames < chunkFrames && m_wav) {
      const int got =
          m_wav->ReadSamples(chunk.data() + frames * channels, static_cast<int>((chunkFrames - frames) * channels));
      frames += static_cast<size_t>(std::max(got, 0)) / channels;
    }
    position += static_cast<int64_t>(frames);
    const bool last = frames < chunkFrames;
    chunk.resize(frames * channels);

    const int tempo = m_tempoChange, pitch = m_pitchChange;
    if (tempo != appliedTempo || pitch != appliedPitch) {
      // Coming back to the processor: what it held from before is long past.
      if (appliedTempo == 0 && appliedPitch == 0) m_processor->Clear();
      m_processor->SetTempoChange(tempo);
      m_processor->SetPitchSemiTones(pitch);
      appliedTempo = tempo;
      appliedPitch = pitch;
    }
    std::vector<int16_t>* out = &chunk;
    if (tempo != 0 || pitch != 0) {
      m_processor->Process(chunk.data(), frames, processed);
      if (last) {
        std::vector<int16_t> rest;
        m_processor->Flush(rest);
        processed.insert(processed.end(), rest.begin(), rest.end());
      }
      out = &processed;
    }
    ProcessChunk(*out);
    {
      // The processor's output frame k stands for its input frame k * speed.
      const uint64_t written = out->size() / channels;
      const double music =
          out == &chunk ? static_cast<double>(frames) : static_cast<double>(written) * (tempo + 100) / 100.0;
      std::lock_guard positionLock(m_positionMutex);
      m_timeline.Append(written, music);
    }
    if (!out->empty() && !WriteToDevice(out->data(), out->size())) break;
    m_firstChunkWritten = true;
    m_firstChunkEvent.Set();
    m_dataWantedEvent.Reset();
    chunk.resize(chunkFrames * channels);
    if (last) {
      m_readerDone = true;
      break;
    }
  }
  m_firstChunkEvent.Set();
  m_stoppedEvent.Set();
}

double CdgPlayer::PositionAt(uint64_t heard) const {
  return m_timeline.MusicAt(heard / static_cast<uint64_t>(m_blockBytes));
}

int32_t CdgPlayer::Position() const {
  if (m_state != kPlaying || !(m_flags & kPlayAudio)) return m_position;
  // Asked between two updates of the playback thread: read the device now.
  std::lock_guard positionLock(m_positionMutex);
  uint64_t heard;
  {
    std::lock_guard lock(m_bufferMutex);
    heard = m_device->HeardBytes();
  }
  const double exact = std::min<double>(PositionAt(heard), INT32_MAX);
  return std::max(m_position.load(), static_cast<int32_t>(exact));
}

double CdgPlayer::OutputLatencyMs() const {
  std::lock_guard lock(m_bufferMutex);
  return m_device->OutputLatencyMs();
}

std::string CdgPlayer::OutputName() const {
  std::lock_guard lock(m_bufferMutex);
  return m_device->OutputName();
}

void CdgPlayer::UpdatePosition() {
  uint64_t heard;
  {
    std::lock_guard positionLock(m_positionMutex);
    {
      std::lock_guard lock(m_bufferMutex);
      heard = m_device->HeardBytes();
    }
    m_exactPosition = PositionAt(heard);
    m_timeline.Forget(heard / static_cast<uint64_t>(m_blockBytes));
    m_position = static_cast<int32_t>(std::min<double>(m_exactPosition, INT32_MAX));
  }
  // One more chunk may be written for each chunk played.
  m_bytesAllowed =
      static_cast<uint64_t>(m_chunkBytes) * (1 + heard / static_cast<uint64_t>(m_chunkBytes)) + m_leadBytes;
  m_dataWantedEvent.Set();
  m_readerWake.Set();
}

void CdgPlayer::RunWithoutSound() {
  int64_t last = m_playStartMs;
  while (m_state != kStopped) {
    m_notifyEvent.WaitFor(kPoll);
    const int64_t now = m_clock.NowMs();
    const double ms = static_cast<double>(now - last);
    last = now;
    if (m_state != kPlaying) continue;
    {
      std::lock_guard positionLock(m_positionMutex);
      m_exactPosition += ms * m_sampleRate / 1000.0 * (m_tempoChange + 100) / 100.0;
      m_position = static_cast<int32_t>(std::min<double>(m_exactPosition, INT32_MAX));
    }
    SetPlayTime(m_position);
    if ((m_endSample > 0 && m_position >= m_endSample) || m_position >= m_length) {
      FinishPlay(true);
      return;
    }
  }
  FinishPlay(false);
}

void CdgPlayer::PlaybackThread() {
  SetCurrentThreadPriority(AppSettings().Int("Default", "AutoPlayCDGReadPriority", 0));
  if (m_rwPlayer && (m_flags & kPlayGraphics) && StreamSize(m_stream) > 0) m_rwPlayer->Play(true);
  if (!(m_flags & kPlayAudio)) {
    RunWithoutSound();
    return;
  }
  m_firstChunkEvent.Wait();  // set by the reader's first chunk, its end, or Stop
  {
    std::lock_guard lock(m_bufferMutex);
    if (m_state == kPlaying) m_device->Play();
  }
  bool reachedEnd = false;
  while (m_state != kStopped) {
    m_notifyEvent.WaitFor(kPoll);
    if (m_state == kStopped) break;
    if (m_state != kPlaying) continue;
    UpdatePosition();
    SetPlayTime(m_position);
    if (m_endSample > 0 && m_position >= m_endSample) {
      reachedEnd = true;
      break;
    }
    if (m_readerDone) {
      size_t pending;
      {
        std::lock_guard lock(m_bufferMutex);
        pending = m_device->PendingBytes();
      }
      if (pending == 0) {
        reachedEnd = true;
        break;
      }
    }
  }
  FinishPlay(reachedEnd);
}

void CdgPlayer::FinishPlay(bool reachedEnd) {
  if (reachedEnd) {
    // The music is over: the reader stops too, and the position stands at the end.
    m_state = kStopped;
    m_position = m_length.load();
    SetPlayTime(m_position);
    std::lock_guard lock(m_bufferMutex);
    m_device->Pause();
  }
  if (m_rwPlayer) m_rwPlayer->Stop();
  // The caller's stop event first: whoever sees the finished event sees both.
  if (Event* stop = m_stopEvent) stop->Set();
  m_finishedEvent.Set();
  if (reachedEnd) NotifyEnd(true);
}

void CdgPlayer::NotifyEnd(bool fromPlayerThread) {
  if (m_endNotified.exchange(true) || !m_endCallback) return;
  Dispatcher dispatcher;
  if (fromPlayerThread) {
    std::lock_guard lock(m_dispatchMutex);
    dispatcher = m_endDispatcher;
  }
  if (!dispatcher) {
    m_endCallback(0, m_userValue);
    return;
  }
  // The notice may run after a later Play has begun: it then belongs to a
  // play that is over and is dropped.
  dispatcher([callback = m_endCallback, user = m_userValue, latest = m_playSerial, serial = m_playSerial->load()] {
    if (serial == *latest) callback(0, user);
  });
}

void CdgPlayer::WakeThreads() {
  m_notifyEvent.Set();
  m_readerWake.Set();
  m_firstChunkEvent.Set();
}

void CdgPlayer::SetPaused(bool paused) {
  int expected = paused ? kPlaying : kPaused;
  if (!m_state.compare_exchange_strong(expected, paused ? kPaused : kPlaying)) return;
  std::lock_guard lock(m_bufferMutex);
  if (paused)
    m_device->Pause();
  else
    m_device->Play();
}

void CdgPlayer::Stop() {
  const bool active = m_state != kStopped;
  // Play-ended comes first, so that whoever waits for it sees it before the
  // threads report that they finished.
  if (active) m_playEndedEvent.Set();
  m_state = kStopped;
  {
    std::lock_guard lock(m_bufferMutex);
    m_device->Pause();
  }
  m_dataWantedEvent.Reset();
  WakeThreads();
  JoinUnlessSelf(m_playbackThread);
  JoinUnlessSelf(m_readerThread);
  if (m_rwPlayer) m_rwPlayer->Stop();
  {
    // The device stays open for the next play; what it still holds is dropped.
    std::lock_guard lock(m_bufferMutex);
    m_device->Clear();
  }
  m_wav.reset();
  NotifyEnd(false);
}

}  // namespace lf
