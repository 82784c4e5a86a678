#include "core/audio/sound_device.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "core/audio/pulse_output.h"
#include "core/platform/event.h"

namespace lf {

namespace {

using Clock = std::chrono::steady_clock;
// About 11.6 ms at 44,100 Hz: what the writer hands the server at a time.
constexpr size_t kServerPeriodFrames = 512;

// SDL's audio subsystem is process-wide and its init/quit are not thread-safe;
// every device opens and closes it through here.
std::mutex g_sdlMutex;
int g_sdlUsers = 0;

bool AcquireSdlAudio(std::string* error) {
  std::lock_guard lock(g_sdlMutex);
  if (g_sdlUsers == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = SDL_GetError();
    return false;
  }
  ++g_sdlUsers;
  return true;
}

void ReleaseSdlAudio() {
  std::lock_guard lock(g_sdlMutex);
  if (g_sdlUsers > 0 && --g_sdlUsers == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

struct SoundDevice::Impl {
  SDL_AudioDeviceID device = 0;
  mutable std::mutex lock;
  std::vector<uint8_t> ring;
  size_t readPos = 0;
  size_t fill = 0;
  size_t frameBytes = 4;
  int64_t bytesPerSecond = 0;
  uint64_t latencyBytes = 0;
  size_t periodSize = 0;
  bool playing = false;

  uint64_t written = 0;
  uint64_t consumed = 0;     // handed to the device
  uint64_t periodBase = 0;   // consumed before the latest callback
  uint64_t periodBytes = 0;  // sound bytes that the latest callback handed over
  Clock::time_point periodStart;
  bool anyPeriod = false;
  mutable uint64_t heardFloor = 0;  // positions never go back

  // The dummy driver has no clock of its own: it sleeps between periods and
  // oversleeps on a busy machine. There the listener's position is the wall
  // clock while sound is written, and the callback only discards what has
  // been "heard".
  bool clockPaced = false;
  mutable uint64_t anchorHeard = 0;
  mutable Clock::time_point anchorTime;

  Event* notify = nullptr;
  uint64_t notifyInterval = 0;
  uint64_t nextNotify = 0;

  // On the sound server the device is a stream that a writer thread feeds a
  // period at a time. Each handover is sound followed by silence (an
  // underrun or a pause); after each one the server tells its whole latency,
  // which places the sample the listener hears in what was handed over.
  struct Handover {
    uint64_t handedStart;    // bytes handed to the server before this one
    uint64_t consumedStart;  // sound bytes consumed before this one
    uint64_t sound;
    uint64_t length;
  };
  std::unique_ptr<PulseOutput> pulse;
  std::thread writer;
  bool stopWriter = false;
  uint64_t handed = 0;
  std::deque<Handover> handovers;
  bool anyLatency = false;
  uint64_t measuredEnd = 0;  // handed, when the latency was last measured
  uint64_t measuredLatencyBytes = 0;
  Clock::time_point measuredAt;
  uint64_t reportedLatencyBytes = 0;  // the latency as OutputLatencyMs tells it

  static void Callback(void* user, Uint8* stream, int len) {
    static_cast<Impl*>(user)->Fill(stream, static_cast<size_t>(len));
  }

  void Fill(uint8_t* stream, size_t len) {
    std::lock_guard guard(lock);
    FillLocked(stream, len);
  }

  void FillLocked(uint8_t* stream, size_t len) {
    if (clockPaced) {
      std::memset(stream, 0, len);
      const uint64_t heard = Heard();
      Discard(static_cast<size_t>(std::min<uint64_t>(fill, heard - std::min(heard, consumed))));
      return;
    }
    size_t take = playing ? std::min(fill, len) : 0;
    take -= take % frameBytes;
    size_t done = 0;
    while (done < take) {
      size_t run = std::min(take - done, ring.size() - readPos);
      std::memcpy(stream + done, ring.data() + readPos, run);
      readPos = (readPos + run) % ring.size();
      done += run;
    }
    fill -= take;
    if (take < len) std::memset(stream + take, 0, len - take);  // silence on underrun or pause
    periodBase = consumed;
    periodBytes = take;
    periodStart = Clock::now();
    anyPeriod = true;
    consumed += take;
    Notify();
  }

  void Discard(size_t bytes) {
    readPos = (readPos + bytes) % ring.size();
    fill -= bytes;
    consumed += bytes;
    Notify();
  }

  void Notify() {
    while (notify && notifyInterval && consumed >= nextNotify) {
      notify->Set();
      nextNotify += notifyInterval;
    }
  }

  // Clock-paced: the time since the anchor, but never past what was written;
  // a device that ran dry starts again from where the sound stopped.
  uint64_t ClockHeard() const {
    if (!playing) return heardFloor;
    const auto now = Clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - anchorTime).count();
    uint64_t heard = anchorHeard + static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * bytesPerSecond / 1'000'000;
    heard -= heard % frameBytes;
    if (heard >= written) {
      heard = written;
      anchorHeard = written;
      anchorTime = now;
    }
    heardFloor = std::max(heardFloor, heard);
    return heardFloor;
  }

  void Anchor() const {
    anchorHeard = heardFloor;
    anchorTime = Clock::now();
  }

  // The device plays each period from the moment its callback returned, so
  // what has been heard is the periods before it plus the time since then.
  uint64_t Heard() const {
    if (clockPaced) return ClockHeard();
    if (pulse) return ServerHeard();
    if (!anyPeriod) return heardFloor;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - periodStart).count();
    uint64_t inPeriod = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * bytesPerSecond / 1'000'000;
    inPeriod = std::min(inPeriod - inPeriod % frameBytes, periodBytes);
    uint64_t heard = periodBase + inPeriod;
    heard = heard > latencyBytes ? heard - latencyBytes : 0;
    heardFloor = std::max(heardFloor, heard);
    return heardFloor;
  }

  // The byte of the handed stream at the listener's ear now: the end of what
  // was handed at the last measure, less the latency then, plus the time since.
  uint64_t ServerHeard() const {
    if (!anyLatency || handovers.empty()) return heardFloor;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - measuredAt).count();
    const uint64_t since = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * bytesPerSecond / 1'000'000;
    uint64_t at = measuredEnd + since;
    at = at > measuredLatencyBytes ? at - measuredLatencyBytes : 0;
    at = std::min(at, measuredEnd);
    uint64_t heard = handovers.front().consumedStart;
    for (const Handover& h : handovers) {
      if (at < h.handedStart) break;
      heard = h.consumedStart + std::min(at - h.handedStart, h.sound);
    }
    heard -= heard % frameBytes;
    heardFloor = std::max(heardFloor, heard);
    return heardFloor;
  }

  // The writer thread: a period from the ring (or silence) to the server,
  // then the server's latency.
  void WriteToServer() {
    std::vector<uint8_t> period(periodSize);
    for (;;) {
      {
        std::lock_guard guard(lock);
        if (stopWriter) return;
        const uint64_t before = consumed;
        FillLocked(period.data(), period.size());
        handovers.push_back({handed, before, consumed - before, period.size()});
        handed += period.size();
      }
      if (!pulse->Write(period.data(), period.size())) return;
      const int64_t latencyUs = pulse->LatencyUs();
      std::lock_guard guard(lock);
      if (latencyUs < 0) continue;
      measuredEnd = handed;
      measuredLatencyBytes = static_cast<uint64_t>(latencyUs) * static_cast<uint64_t>(bytesPerSecond) / 1'000'000;
      reportedLatencyBytes = measuredLatencyBytes;
      measuredAt = Clock::now();
      anyLatency = true;
      // Handovers the listener has heard all of are no longer needed (the latest stays).
      const uint64_t at = measuredEnd > measuredLatencyBytes ? measuredEnd - measuredLatencyBytes : 0;
      while (handovers.size() > 1 && handovers[1].handedStart <= at) handovers.pop_front();
    }
  }

  bool OpenServer(int sampleRate, int channels) {
    auto output = std::make_unique<PulseOutput>();
    if (!output->Open(sampleRate, channels, kServerLatencyMs, "Lyricforge")) return false;
    pulse = std::move(output);
    return true;
  }

  void CloseServer() {
    {
      std::lock_guard guard(lock);
      stopWriter = true;
    }
    if (writer.joinable()) writer.join();
    pulse.reset();
    std::lock_guard guard(lock);
    stopWriter = false;
    handovers.clear();
    handed = measuredEnd = measuredLatencyBytes = 0;
    anyLatency = false;
  }

  static constexpr int kServerLatencyMs = 40;

  // The ring and the counters for a newly opened output (with the lock held).
  void Configure(int sampleRate, int channels, size_t bufferBytes, size_t periodFrames) {
    frameBytes = static_cast<size_t>(channels) * 2;
    ring.assign(bufferBytes - bufferBytes % frameBytes + frameBytes, 0);
    bytesPerSecond = static_cast<int64_t>(sampleRate) * static_cast<int64_t>(frameBytes);
    periodSize = periodFrames * frameBytes;
    latencyBytes = reportedLatencyBytes = 0;
    clockPaced = false;
    playing = false;
    ResetCounters();
  }

  void ResetCounters() {
    readPos = fill = 0;
    written = consumed = periodBase = periodBytes = 0;
    anyPeriod = false;
    heardFloor = 0;
    // What the server still holds plays as silence for the new counters.
    for (Handover& h : handovers) h.consumedStart = h.sound = 0;
    nextNotify = notifyInterval;
    Anchor();
  }
};

SoundDevice::SoundDevice() : m(std::make_unique<Impl>()) {}

SoundDevice::~SoundDevice() { Close(); }

bool SoundDevice::Open(int sampleRate, int channels, size_t bufferBytes) {
  Close();
  m_error.clear();
  if (sampleRate <= 0 || channels <= 0 || channels > 8 || bufferBytes == 0) {
    m_error = "unsupported sound format";
    return false;
  }
  if (PreferPulseOutput() && m->OpenServer(sampleRate, channels)) {
    std::lock_guard guard(m->lock);
    m->Configure(sampleRate, channels, bufferBytes, kServerPeriodFrames);
    m->writer = std::thread([impl = m.get()] { impl->WriteToServer(); });
    return true;
  }
  if (!AcquireSdlAudio(&m_error)) return false;

  SDL_AudioSpec want{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(channels);
  // Periods of about 46 ms at 44,100 Hz (SDL wants a power of two).
  want.samples = 2048;
  const char* driver = SDL_GetCurrentAudioDriver();
  const bool dummy = driver && !std::strcmp(driver, "dummy");
  const bool disk = driver && !std::strcmp(driver, "disk");
  want.callback = &Impl::Callback;
  want.userdata = m.get();
  SDL_AudioSpec have{};
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    m_error = SDL_GetError();
    ReleaseSdlAudio();
    return false;
  }
  {
    std::lock_guard guard(m->lock);
    m->device = id;
    m->Configure(sampleRate, channels, bufferBytes, have.samples);
    // A real device plays a period only after the one before it; the dummy
    // and disk drivers "play" each period as it is handed over.
    m->latencyBytes = dummy || disk ? 0 : static_cast<uint64_t>(have.samples) * m->frameBytes;
    // Played after the period before it: SDL's buffer and the one being handed over.
    m->reportedLatencyBytes = dummy || disk ? 0 : 2 * m->latencyBytes;
    m->clockPaced = dummy;
  }
  SDL_PauseAudioDevice(id, 0);  // the callback runs; it hands silence until Play()
  return true;
}

void SoundDevice::Close() {
  if (m->pulse) {
    m->CloseServer();
    std::lock_guard guard(m->lock);
    m->playing = false;
    m->ResetCounters();
    return;
  }
  SDL_AudioDeviceID id;
  {
    std::lock_guard guard(m->lock);
    id = m->device;
    m->device = 0;
    m->playing = false;
  }
  if (id == 0) return;
  SDL_CloseAudioDevice(id);  // waits for a running callback to return
  ReleaseSdlAudio();
  std::lock_guard guard(m->lock);
  m->ResetCounters();
}

bool SoundDevice::IsOpen() const {
  std::lock_guard guard(m->lock);
  return m->device != 0 || m->pulse;
}

void SoundDevice::Play() {
  std::lock_guard guard(m->lock);
  if (m->playing || (!m->device && !m->pulse)) return;
  m->playing = true;
  m->Anchor();
}

void SoundDevice::Pause() {
  std::lock_guard guard(m->lock);
  if (!m->playing) return;
  m->Heard();  // holds the position reached
  m->playing = false;
}

bool SoundDevice::IsPlaying() const {
  std::lock_guard guard(m->lock);
  return m->playing;
}

size_t SoundDevice::Write(const void* data, size_t bytes) {
  std::lock_guard guard(m->lock);
  if ((!m->device && !m->pulse) || m->ring.empty()) return 0;
  if (m->clockPaced && m->playing && m->Heard() >= m->written) m->Anchor();  // was dry: the clock restarts now
  size_t take = std::min(bytes, m->ring.size() - m->fill);
  take -= take % m->frameBytes;
  const auto* src = static_cast<const uint8_t*>(data);
  size_t writePos = (m->readPos + m->fill) % m->ring.size();
  size_t done = 0;
  while (done < take) {
    size_t run = std::min(take - done, m->ring.size() - writePos);
    std::memcpy(m->ring.data() + writePos, src + done, run);
    writePos = (writePos + run) % m->ring.size();
    done += run;
  }
  m->fill += take;
  m->written += take;
  return take;
}

size_t SoundDevice::FreeBytes() const {
  std::lock_guard guard(m->lock);
  return m->device || m->pulse ? m->ring.size() - m->fill : 0;
}

size_t SoundDevice::PendingBytes() const {
  std::lock_guard guard(m->lock);
  return static_cast<size_t>(m->written - std::min(m->written, m->Heard()));
}

uint64_t SoundDevice::WrittenBytes() const {
  std::lock_guard guard(m->lock);
  return m->written;
}

uint64_t SoundDevice::HeardBytes() const {
  std::lock_guard guard(m->lock);
  return m->Heard();
}

size_t SoundDevice::PeriodBytes() const {
  std::lock_guard guard(m->lock);
  return m->periodSize;
}

double SoundDevice::OutputLatencyMs() const {
  std::lock_guard guard(m->lock);
  return m->bytesPerSecond > 0
             ? static_cast<double>(m->reportedLatencyBytes) * 1000.0 / static_cast<double>(m->bytesPerSecond)
             : 0;
}

std::string SoundDevice::OutputName() const {
  std::lock_guard guard(m->lock);
  if (m->pulse) return "sound server";
  const char* driver = SDL_GetCurrentAudioDriver();
  return m->device && driver ? driver : "";
}

void SoundDevice::Clear() {
  std::lock_guard guard(m->lock);
  m->ResetCounters();
}

void SoundDevice::SetNotification(Event* event, size_t intervalBytes) {
  std::lock_guard guard(m->lock);
  m->notify = event;
  m->notifyInterval = intervalBytes;
  m->nextNotify = m->consumed + intervalBytes;
}

}  // namespace lf
