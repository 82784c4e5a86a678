#include "core/audio/lame_library.h"

#include <dlfcn.h>

namespace lf {

namespace {
template <typename Fn>
void Look(void* handle, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(handle, name));
}
}  // namespace

LameLibrary& LameLibrary::Instance() {
  static LameLibrary library;
  return library;
}

bool LameLibrary::Open() {
  if (!m_handle) m_handle = dlopen(m_name.c_str(), RTLD_NOW | RTLD_LOCAL);
  return m_handle != nullptr;
}

void LameLibrary::Close() {
  m_entry = LameEntryPoints{};
  if (m_handle) dlclose(m_handle);
  m_handle = nullptr;
}

bool LameLibrary::Bind() {
  m_entry = LameEntryPoints{};
  if (!m_handle) return false;
  LameEntryPoints& e = m_entry;
  Look(m_handle, "lame_init", e.init);
  Look(m_handle, "lame_init_params", e.initParams);
  Look(m_handle, "lame_set_in_samplerate", e.setInSampleRate);
  Look(m_handle, "lame_set_num_channels", e.setNumChannels);
  Look(m_handle, "lame_set_brate", e.setBitRate);
  Look(m_handle, "lame_encode_buffer_interleaved", e.encodeInterleaved);
  Look(m_handle, "lame_encode_flush", e.flush);
  Look(m_handle, "lame_close", e.close);
  Look(m_handle, "id3tag_init", e.id3Init);
  Look(m_handle, "id3tag_set_title", e.id3SetTitle);
  Look(m_handle, "id3tag_set_artist", e.id3SetArtist);
  Look(m_handle, "lame_mp3_tags_fid", e.writeInfoTag);
  Look(m_handle, "lame_set_bWriteVbrTag", e.setWriteInfoTag);
  Look(m_handle, "lame_get_framesize", e.getFrameSize);
  Look(m_handle, "lame_get_encoder_delay", e.getEncoderDelay);
  Look(m_handle, "lame_get_out_samplerate", e.getOutSampleRate);
  Look(m_handle, "id3tag_set_textinfo_utf16", e.id3SetTextUtf16);
  return e.HasRequired();
}

}  // namespace lf
