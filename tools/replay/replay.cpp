// zorvendale-replay: runs the animation headless on clock readings read from standard input and
// prints each frame's motion state and a hash of its picture; can also save the frames as pictures.

#include "animation/raster.h"
#include "animation/scene.h"
#include "frame_png.h"
#include "replay_pictures.h"
#include "sound/bounce_wave.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char Usage[] =
    "usage: zorvendale-replay [--frames] [--png DIR] [--last-png FILE] [--gif FILE] < readings\n"
    "       zorvendale-replay --wave FILE\n"
    "\n"
    "Reads clock readings in milliseconds from standard input, one unsigned 32-bit decimal per\n"
    "line (blank lines are skipped), and for each one advances a freshly started scene and paints\n"
    "its frame, exactly as the program's frame loop does. Prints one line per frame:\n"
    "\n"
    "  frame nowMs x y vx vy movingRight floorBounce phase hash\n"
    "\n"
    "frame counts from 1; x, y, vx and vy are the 8 hex digits of their single-precision bit\n"
    "patterns; movingRight and floorBounce are 0 or 1; phase is signed decimal; hash is the "
    "64-bit\n"
    "FNV-1a hash, in 16 hex digits, of the frame's 9,600 cell bytes (per cell: character, 0,\n"
    "attribute low byte, attribute high byte; row by row from the top left).\n"
    "\n"
    "  --frames     after each frame's line, print its 40 rows of 60 cells as cc:aa\n"
    "               (character and attribute low byte in hex)\n"
    "  --png DIR    also save each frame as DIR/frame-000001.png, frame-000002.png, ...\n"
    "               (480 by 640 pixels, each cell 8 by 16; DIR is created when missing)\n"
    "  --last-png FILE  also save the last frame alone as FILE, a PNG picture as above\n"
    "  --gif FILE   also save the run as one looping animated GIF, each frame shown until the\n"
    "               next reading; the last frame as long as the one before it (100 ms if alone)\n"
    "  --wave FILE  write the bounce sound as a WAV file (8-bit stereo PCM, 11,025 Hz) and exit;\n"
    "               with FILE '-', write its raw 4,800 bytes to standard output\n"
    "  --help       show this text\n"
    "\n"
    "A line that is not an unsigned 32-bit decimal stops the run with exit status 2; a picture\n"
    "that can't be written stops it with exit status 1.\n";

struct Options {
    bool frames = false;
    const char* pngDir = nullptr;
    const char* lastPng = nullptr;
    const char* gif = nullptr;
    const char* wave = nullptr;
};

// Collects one frame's text so that a million frames cost a million writes at most.
class Out {
  public:
    void Text(const char* s) { text_ += s; }
    void Char(char c) { text_ += c; }
    void Hex(uint64_t v, int digits) {
        static const char Digits[] = "0123456789abcdef";
        for (int k = digits - 1; k >= 0; --k) {
            text_ += Digits[(v >> (4 * k)) & 0xF];
        }
    }
    void Decimal(int64_t v) { text_ += std::to_string(v); }
    void Flush() {
        std::fwrite(text_.data(), 1, text_.size(), stdout);
        text_.clear();
    }

  private:
    std::string text_;
};

uint32_t Bits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

uint64_t HashCells(const CHAR_INFO* grid) {
    unsigned char bytes[CellCount * sizeof(CHAR_INFO)];
    std::memcpy(bytes, grid,
                sizeof bytes); // the little-endian CHAR_INFO layout, as consoles read it
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char b : bytes) {
        hash = (hash ^ b) * 0x100000001b3ull;
    }
    return hash;
}

void PrintFrameLine(Out& out, uint64_t frame, uint32_t nowMs, const Scene& s,
                    const MotionResult& motion, const CHAR_INFO* grid) {
    out.Decimal(static_cast<int64_t>(frame));
    out.Char(' ');
    out.Decimal(nowMs);
    for (float v : {s.x, s.y, s.vx, s.vy}) {
        out.Char(' ');
        out.Hex(Bits(v), 8);
    }
    out.Text(s.movingRight ? " 1" : " 0");
    out.Text(motion.floorBounce ? " 1 " : " 0 ");
    out.Decimal(motion.phase);
    out.Char(' ');
    out.Hex(HashCells(grid), 16);
    out.Char('\n');
}

void PrintCells(Out& out, const CHAR_INFO* grid) {
    for (int j = 0; j < ScreenRows; ++j) {
        for (int i = 0; i < ScreenColumns; ++i) {
            const CHAR_INFO& cell = grid[j * ScreenColumns + i];
            if (i > 0) {
                out.Char(' ');
            }
            out.Hex(static_cast<unsigned char>(cell.Char.AsciiChar), 2);
            out.Char(':');
            out.Hex(cell.Attributes & 0xFFu, 2);
        }
        out.Char('\n');
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// 1 for a reading, 0 for a blank line, -1 for anything else.
int ParseReading(const std::string& line, uint32_t& value) {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    if (at == line.size()) {
        return 0;
    }
    uint64_t v = 0;
    size_t digits = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at, ++digits) {
        v = v * 10 + static_cast<unsigned>(line[at] - '0');
        if (v > UINT32_MAX) {
            return -1;
        }
    }
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    if (digits == 0 || at != line.size()) {
        return -1;
    }
    value = static_cast<uint32_t>(v);
    return 1;
}

bool ReadLine(std::string& line) {
    line.clear();
    int c;
    while ((c = std::getc(stdin)) != EOF) {
        if (c == '\n') {
            return true;
        }
        line += static_cast<char>(c);
    }
    return !line.empty();
}

int ReplayReadings(const Options& options, ReplayPictures* pictures) {
    Scene scene;
    InitScene(scene);
    static CHAR_INFO grid[CellCount]; // zero-filled, and the upper character bytes stay so
    Out out;
    std::string line;
    uint64_t frame = 0;
    for (uint64_t lineNumber = 1; ReadLine(line); ++lineNumber) {
        uint32_t nowMs = 0;
        const int parsed = ParseReading(line, nowMs);
        if (parsed < 0) {
            std::fflush(stdout);
            std::fprintf(stderr,
                         "zorvendale-replay: line %llu: not an unsigned 32-bit decimal reading\n",
                         static_cast<unsigned long long>(lineNumber));
            return 2;
        }
        if (parsed == 0) {
            continue;
        }
        const MotionResult motion = AdvanceScene(scene, nowMs);
        PaintFrame(scene, motion.phase, grid);
        PrintFrameLine(out, ++frame, nowMs, scene, motion, grid);
        if (options.frames) {
            PrintCells(out, grid);
        }
        out.Flush();
        if (!SaveReplayPicture(pictures, frame, nowMs, grid)) {
            return 1;
        }
    }
    if (options.lastPng != nullptr && frame > 0 && !WriteFramePng(grid, options.lastPng)) {
        std::fprintf(stderr, "zorvendale-replay: cannot write %s\n", options.lastPng);
        return 1;
    }
    return 0;
}

int Replay(const Options& options) {
    ReplayPictures* pictures = OpenReplayPictures(options.pngDir, options.gif);
    if (pictures == nullptr) {
        return 1;
    }
    const int status = ReplayReadings(options, pictures);
    // Even a run stopped by a bad line leaves a complete GIF of the frames before it.
    return CloseReplayPictures(pictures) || status != 0 ? status : 1;
}

void PutLe(unsigned char* at, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        at[k] = static_cast<unsigned char>(v >> (8 * k));
    }
}

int WriteWave(const char* path) {
    unsigned char wave[WaveBytes];
    BuildBounceWave(wave);
    if (std::strcmp(path, "-") == 0) {
        return std::fwrite(wave, 1, WaveBytes, stdout) == WaveBytes ? 0 : 1;
    }
    unsigned char header[44];
    std::memcpy(header, "RIFF\0\0\0\0WAVEfmt ", 16);
    PutLe(header + 4, 36 + WaveBytes, 4);
    PutLe(header + 16, 16, 4);    // format chunk size
    PutLe(header + 20, 1, 2);     // PCM
    PutLe(header + 22, 2, 2);     // channels
    PutLe(header + 24, 11025, 4); // frames per second
    PutLe(header + 28, 22050, 4); // bytes per second
    PutLe(header + 32, 2, 2);     // bytes per frame
    PutLe(header + 34, 8, 2);     // bits per sample
    std::memcpy(header + 36, "data", 4);
    PutLe(header + 40, WaveBytes, 4);
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "zorvendale-replay: cannot write %s\n", path);
        return 1;
    }
    const bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                         std::fwrite(wave, 1, WaveBytes, file) == WaveBytes;
    return std::fclose(file) == 0 && written ? 0 : 1;
}

// 0 to go on, otherwise the exit status plus one.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 1;
        }
        if (arg == "--frames") {
            options.frames = true;
        } else if (arg == "--png" && k + 1 < argc) {
            options.pngDir = argv[++k];
        } else if (arg == "--last-png" && k + 1 < argc) {
            options.lastPng = argv[++k];
        } else if (arg == "--gif" && k + 1 < argc) {
            options.gif = argv[++k];
        } else if (arg == "--wave" && k + 1 < argc) {
            options.wave = argv[++k];
        } else {
            std::fprintf(stderr, "zorvendale-replay: unknown option '%s'\n\n%s", argv[k], Usage);
            return 3;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int stop = ParseOptions(argc, argv, options)) {
        return stop - 1;
    }
    if (options.wave != nullptr) {
        return WriteWave(options.wave);
    }
    return Replay(options);
}
