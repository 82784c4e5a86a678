#include "core/audio/sound_device.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/platform/event.h"

namespace lf {

namespace {

using Clock = std::chrono::steady_clock;

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

  static void Callback(void* user, Uint8* stream, int len) {
    static_cast<Impl*>(user)->Fill(stream, static_cast<size_t>(len));
  }

  void Fill(uint8_t* stream, size_t len) {
    std::lock_guard guard(lock);
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
    if (!anyPeriod) return heardFloor;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - periodStart).count();
    uint64_t inPeriod = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * bytesPerSecond / 1'000'000;
    inPeriod = std::min(inPeriod - inPeriod % frameBytes, periodBytes);
    uint64_t heard = periodBase + inPeriod;
    heard = heard > latencyBytes ? heard - latencyBytes : 0;
    heardFloor = std::max(heardFloor, heard);
    return heardFloor;
  }

  void ResetCounters() {
    readPos = fill = 0;
    written = consumed = periodBase = periodBytes = 0;
    anyPeriod = false;
    heardFloor = 0;
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
    m->frameBytes = static_cast<size_t>(channels) * 2;
    m->ring.assign(bufferBytes - bufferBytes % m->frameBytes + m->frameBytes, 0);
    m->bytesPerSecond = static_cast<int64_t>(sampleRate) * static_cast<int64_t>(m->frameBytes);
    // A real device plays a period only after the one before it; the dummy
    // and disk drivers "play" each period as it is handed over.
    m->periodSize = static_cast<size_t>(have.samples) * m->frameBytes;
    m->latencyBytes = dummy || disk ? 0 : static_cast<uint64_t>(have.samples) * m->frameBytes;
    m->clockPaced = dummy;
    m->playing = false;
    m->ResetCounters();
  }
  SDL_PauseAudioDevice(id, 0);  // the callback runs; it hands silence until Play()
  return true;
}

void SoundDevice::Close() {
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
  return m->device != 0;
}

void SoundDevice::Play() {
  std::lock_guard guard(m->lock);
  if (m->playing || !m->device) return;
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
  if (!m->device || m->ring.empty()) return 0;
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
  return m->device ? m->ring.size() - m->fill : 0;
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
