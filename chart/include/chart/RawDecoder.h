#pragma once
// In-process camera raw decoder with a command-line style entry.
//
// The options understood are those of the chart loader: "-v" (verbose), "-T"
// (TIFF output, implied by the memory sink), "-4" (linear 16-bit, no
// brightening; required, as only linear output is offered), "-o n" (output
// colour, 0 raw camera colour), "-r m0 m1 m2 m3" (white-balance multipliers)
// and the file name last. The camera's white level is kept as it is. The decoded image is written to the
// sink, shrunk by the whole factor f = max(w, h) / maxSize when
// 0 < maxSize < max(w, h), taking every f-th row and pixel. A Bayer mosaic
// shrunk by 2 or more is not demosaiced: the pixel at (x, y) is the red,
// green (both greens averaged) and blue of the 2 x 2 block holding it.
//
// All decoder state lives in the call, so several decodes may run at once.

class RawImage;

struct RawDecoderHooks {
    // Progress in 0..endFraction, rising. abort is polled after each report
    // and also every 10 ms from a helper thread while a stage runs (so it must
    // be safe to call from another thread); true ends the decode.
    void (*progress)(void* context, double fraction) = nullptr;
    bool (*abort)(void* context) = nullptr;
    void* context = nullptr;
    double endFraction = 1.0;
};

enum RawDecoderResult {
    RAW_DECODE_OK = 0,
    RAW_DECODE_BAD_ARGUMENTS = 1,  // unknown option, missing value, no file or no sink
    RAW_DECODE_OPEN_FAILED = 2,    // missing or unreadable file, not a raw file
    RAW_DECODE_FAILED = 3,         // the raw data could not be decoded
    RAW_DECODE_CANCELLED = 4,
    RAW_DECODE_NO_MEMORY = 5,
};

// argv holds argc entries (argv[0] the program name); sink receives the
// samples (16 bits, or 8 without "-4"), the camera make, model and software
// and the full size. On any failure the sink is left empty.
RawDecoderResult rawDecoderMain(int argc, const char* const* argv, RawImage* sink, int maxSize,
                                const RawDecoderHooks& hooks = RawDecoderHooks());
