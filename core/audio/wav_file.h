#pragma once
// The WAV reader, writer and header routines in one include.
#include "core/audio/wav_header.h"
#include "core/audio/wav_in_file.h"
#include "core/audio/wav_out_file.h"
