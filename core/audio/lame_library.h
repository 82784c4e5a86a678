#pragma once
// The MP3 encoder library, opened at run time and never linked: the process-
// wide handle and the entry points looked up in it. lame.h supplies only the
// types. Nothing outside the MP3 encoder code includes this header.
#include <lame/lame.h>

#include <string>

namespace lf {

struct LameEntryPoints {
  // Required.
  decltype(&lame_init) init = nullptr;
  decltype(&lame_init_params) initParams = nullptr;
  decltype(&lame_set_in_samplerate) setInSampleRate = nullptr;
  decltype(&lame_set_num_channels) setNumChannels = nullptr;
  decltype(&lame_encode_buffer_interleaved) encodeInterleaved = nullptr;
  decltype(&lame_encode_flush) flush = nullptr;
  decltype(&lame_close) close = nullptr;
  // Used when present.
  decltype(&lame_set_brate) setBitRate = nullptr;
  decltype(&id3tag_init) id3Init = nullptr;
  decltype(&id3tag_set_title) id3SetTitle = nullptr;
  decltype(&id3tag_set_artist) id3SetArtist = nullptr;
  // Extras for gapless playback and exact lengths, and for titles that
  // Latin-1 cannot hold.
  decltype(&lame_mp3_tags_fid) writeInfoTag = nullptr;
  decltype(&lame_set_bWriteVbrTag) setWriteInfoTag = nullptr;
  decltype(&lame_get_framesize) getFrameSize = nullptr;
  decltype(&lame_get_encoder_delay) getEncoderDelay = nullptr;
  decltype(&lame_get_out_samplerate) getOutSampleRate = nullptr;
  decltype(&id3tag_set_textinfo_utf16) id3SetTextUtf16 = nullptr;

  bool HasRequired() const {
    return init && initParams && setInSampleRate && setNumChannels && encodeInterleaved && flush && close;
  }
};

class LameLibrary {
 public:
  static LameLibrary& Instance();

  // dlopen by name (the system's library search); true when a handle is held.
  bool Open();
  void Close();
  bool IsOpen() const { return m_handle != nullptr; }
  // Looks every entry point up; true when all required ones were found.
  bool Bind();
  const LameEntryPoints& Entry() const { return m_entry; }

  // The name handed to dlopen; tests point it elsewhere.
  void SetLibraryName(std::string name) { m_name = std::move(name); }
  const std::string& LibraryName() const { return m_name; }

 private:
  void* m_handle = nullptr;
  std::string m_name = "libmp3lame.so.0";
  LameEntryPoints m_entry;
};

}  // namespace lf
