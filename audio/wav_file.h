#pragma once
// The WAV reader, writer and header routines in one include.
#include "audio/wav_header.h"
#include "audio/wav_in_file.h"
#include "audio/wav_out_file.h"
