// XM image -> Song. Every count, size and offset is checked against the
// image before it is used; reads past the end see zeros.

#include <algorithm>
#include <cstring>

#include "platform/player/XmPlayer.h"

namespace xm {
namespace {

constexpr char kMagic[] = "Extended Module: ";
constexpr int32_t kMagicLength = 17;
constexpr int32_t kHeaderSizeOffset = 60;
constexpr int32_t kInstrumentHeaderSize = 263;
constexpr int32_t kSampleHeaderSize = 40;
constexpr int32_t kMaxSamplesInFile = 32;  // OpenMPT writes up to 32; FT2 keeps 16
constexpr uint16_t kVersion102 = 0x0102;
constexpr uint16_t kVersion104 = 0x0104;

struct Bytes {  // little-endian reads that see zero past the end
    const uint8_t* data;
    int64_t size;
    uint32_t U8(int64_t at) const { return (at >= 0 && at < size) ? data[at] : 0; }
    uint32_t U16(int64_t at) const { return U8(at) | (U8(at + 1) << 8); }
    uint32_t U32(int64_t at) const { return U16(at) | (U16(at + 2) << 16); }
    Bytes From(int64_t at, int64_t length) const {  // a window, cut to what exists
        int64_t start = std::clamp<int64_t>(at, 0, size);
        return {data + start, std::clamp<int64_t>(length, 0, size - start)};
    }
};

struct Loader {
    Bytes image;
    Song& song;
    std::string error;
    int64_t at = 0;  // read position
    uint16_t version = 0;
    std::vector<int32_t> sampleCounts;  // samples stored per instrument in the file
    std::vector<std::array<uint32_t, kMaxSamplesInFile>> sampleBytes;
    std::vector<std::array<uint8_t, kMaxSamplesInFile>> sampleTypes;

    bool Fail(const std::string& why) {
        error = why;
        return false;
    }
};

std::string TrimmedText(Bytes b, int64_t at, int32_t length) {
    std::string text;
    for (int32_t i = 0; i < length; ++i) {
        char c = static_cast<char>(b.U8(at + i));
        if (c == 0) break;
        text += c;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool ReadHeader(Loader& l) {
    const Bytes& b = l.image;
    if (b.size < 80 || std::memcmp(b.data, kMagic, kMagicLength) != 0)
        return l.Fail("not an XM module (no \"Extended Module:\" signature)");
    l.version = static_cast<uint16_t>(b.U16(58));
    if (l.version < kVersion102 || l.version > kVersion104)
        return l.Fail("unsupported XM version " + std::to_string(l.version >> 8) + "." +
                      std::to_string(l.version & 0xFF));
    Song& s = l.song;
    s.title = TrimmedText(b, 17, 20);
    uint32_t headerSize = b.U32(kHeaderSizeOffset);
    uint32_t length = b.U16(64), restart = b.U16(66), channels = b.U16(68);
    uint32_t patterns = b.U16(70), instruments = b.U16(72);
    if (length > kMaxOrders) return l.Fail("order list longer than 256");
    if (patterns > kMaxPatterns) return l.Fail("more than 256 patterns");
    if (channels == 0 || channels > kMaxChannels)
        return l.Fail("channel count " + std::to_string(channels) + " outside 1..32");
    if (instruments > 2 * kMaxInstruments) return l.Fail("more than 256 instruments");
    if (headerSize < 20 || kHeaderSizeOffset + int64_t{headerSize} > b.size)
        return l.Fail("header size " + std::to_string(headerSize) + " runs past the end");
    s.channels = static_cast<int32_t>(channels);
    s.restart = static_cast<int32_t>(restart);
    s.linearPeriods = (b.U16(74) & 1) != 0;
    s.speed = std::clamp<int32_t>(static_cast<int32_t>(b.U16(76)), 1, 99);
    s.tempo = std::clamp<int32_t>(static_cast<int32_t>(b.U16(78)), 1, 999);
    // The order table is 256 bytes unless the header is shorter.
    int64_t orderBytes = std::min<int64_t>(kMaxOrders, int64_t{headerSize} - 20);
    for (int32_t i = 0; i < orderBytes; ++i) s.orders[i] = static_cast<uint8_t>(b.U8(80 + i));
    s.length = std::max<int32_t>(1, static_cast<int32_t>(std::min<int64_t>(length, orderBytes)));
    s.patterns.resize(patterns);
    l.sampleCounts.assign(instruments, 0);
    l.sampleBytes.assign(instruments, {});
    l.sampleTypes.assign(instruments, {});
    s.instruments.resize(1 + std::min<uint32_t>(instruments, kMaxInstruments));
    l.at = kHeaderSizeOffset + headerSize;
    return true;
}

// Packed cells: a first byte with bit 7 set says which of the five fields follow.
bool UnpackPattern(Loader& l, Bytes packed, Pattern& p) {
    const int32_t channels = l.song.channels;
    p.cells.assign(static_cast<size_t>(p.rows) * channels, Cell{});
    int64_t at = 0;
    for (Cell& c : p.cells) {
        if (at >= packed.size) break;  // FT2 leaves the rest blank
        uint8_t fields[5] = {};
        uint32_t first = packed.U8(at++);
        if (first & 0x80) {
            for (int32_t f = 0; f < 5; ++f)
                if (first & (1u << f)) fields[f] = static_cast<uint8_t>(packed.U8(at++));
        } else {
            fields[0] = static_cast<uint8_t>(first);
            for (int32_t f = 1; f < 5; ++f) fields[f] = static_cast<uint8_t>(packed.U8(at++));
        }
        c = {fields[0] > kNoteOff ? uint8_t{0} : fields[0], fields[1], fields[2], fields[3], fields[4]};
        if (c.effect > 35) c.effect = c.param = 0;
    }
    bool blank = std::all_of(p.cells.begin(), p.cells.end(), [](const Cell& c) {
        return c.note == 0 && c.instrument == 0 && c.volume == 0 && c.effect == 0 && c.param == 0;
    });
    if (blank) p.cells.clear();
    return true;
}

bool ReadPatterns(Loader& l) {
    const Bytes& b = l.image;
    for (size_t i = 0; i < l.song.patterns.size(); ++i) {
        Pattern& p = l.song.patterns[i];
        uint32_t headerSize = b.U32(l.at);
        bool old = l.version == kVersion102;
        int64_t fixed = old ? 8 : 9;
        if (l.at + fixed > b.size) return l.Fail("pattern " + std::to_string(i) + " header runs past the end");
        uint32_t rows = old ? b.U8(l.at + 5) + 1 : b.U16(l.at + 5);
        uint32_t packedSize = old ? b.U16(l.at + 6) : b.U16(l.at + 7);
        l.at += std::max<int64_t>(headerSize, fixed);
        p.rows = rows == 0 ? kDefaultRows : static_cast<int32_t>(std::min<uint32_t>(rows, kMaxRows));
        if (l.at + packedSize > b.size) return l.Fail("pattern " + std::to_string(i) + " data runs past the end");
        UnpackPattern(l, b.From(l.at, packedSize), p);
        l.at += packedSize;
    }
    // Orders may name patterns the file does not hold: those play as blank.
    int32_t highest = *std::max_element(l.song.orders.begin(), l.song.orders.begin() + l.song.length);
    if (static_cast<int32_t>(l.song.patterns.size()) <= highest) l.song.patterns.resize(highest + 1);
    return true;
}

// Envelope values go to 64; a panning envelope's middle is 32.
void ReadEnvelope(Bytes h, int64_t pointsAt, int64_t countAt, int64_t sustainAt, int64_t flagsAt, uint32_t top,
                  Envelope& e) {
    for (int32_t i = 0; i < kEnvelopePoints; ++i) {
        e.tick[i] = static_cast<uint16_t>(std::min<uint32_t>(h.U16(pointsAt + 4 * i), 32767));
        e.value[i] = static_cast<uint8_t>(std::min<uint32_t>(h.U16(pointsAt + 4 * i + 2), top));
    }
    e.points = static_cast<int32_t>(std::min<uint32_t>(h.U8(countAt), kEnvelopePoints));
    e.sustain = static_cast<int32_t>(std::min<uint32_t>(h.U8(sustainAt), kEnvelopePoints - 1));
    e.loopStart = static_cast<int32_t>(std::min<uint32_t>(h.U8(sustainAt + 1), kEnvelopePoints - 1));
    e.loopEnd = static_cast<int32_t>(std::min<uint32_t>(h.U8(sustainAt + 2), kEnvelopePoints - 1));
    e.flags = static_cast<uint8_t>(h.U8(flagsAt) & 7);
}

// The fields FT2 reads from an instrument header of at most 263 bytes; the
// sample headers follow at the size the header states.
bool ReadInstrumentHeader(Loader& l, int32_t index) {
    const Bytes& b = l.image;
    if (l.at + 4 > b.size) return l.Fail("instrument " + std::to_string(index + 1) + " header runs past the end");
    uint32_t size = b.U32(l.at);
    if (size == 0) size = kInstrumentHeaderSize;
    Bytes h = b.From(l.at, std::min<uint32_t>(size, kInstrumentHeaderSize));
    int32_t samples = static_cast<int32_t>(h.U16(27));
    if (samples > kMaxSamplesInFile)
        return l.Fail("instrument " + std::to_string(index + 1) + " claims " + std::to_string(samples) + " samples");
    l.at += size;
    l.sampleCounts[index] = samples;
    if (samples == 0) return true;  // FT2 keeps no instrument: the stand-in plays
    bool kept = index < kMaxInstruments;
    Instrument ins;
    for (int32_t n = 0; n < kKeymapNotes; ++n)
        ins.keymap[n] = static_cast<uint8_t>(std::min<uint32_t>(h.U8(33 + n), kSamplesPerInstrument - 1));
    ReadEnvelope(h, 129, 225, 227, 233, 64, ins.volumeEnvelope);
    ReadEnvelope(h, 177, 226, 230, 234, 64, ins.panningEnvelope);
    ins.vibratoType = static_cast<uint8_t>(h.U8(235) > 3 ? 0 : h.U8(235));
    ins.vibratoSweep = static_cast<uint8_t>(h.U8(236));
    ins.vibratoDepth = static_cast<uint8_t>(std::min<uint32_t>(h.U8(237), 15));
    ins.vibratoRate = static_cast<uint8_t>(std::min<uint32_t>(h.U8(238), 63));
    ins.fadeout = static_cast<uint16_t>(h.U16(239));
    for (int32_t s = 0; s < samples; ++s) {
        int64_t at = l.at + int64_t{s} * kSampleHeaderSize;
        if (at + kSampleHeaderSize > b.size)
            return l.Fail("instrument " + std::to_string(index + 1) + " sample headers run past the end");
        l.sampleBytes[index][s] = b.U32(at);
        l.sampleTypes[index][s] = static_cast<uint8_t>(b.U8(at + 14));
        if (s >= kSamplesPerInstrument) continue;
        Sample& smp = ins.samples[s];
        smp.loopStart = static_cast<int32_t>(std::min<uint32_t>(b.U32(at + 4), INT32_MAX));
        smp.loopLength = static_cast<int32_t>(std::min<uint32_t>(b.U32(at + 8), INT32_MAX));
        smp.volume = static_cast<uint8_t>(std::min<uint32_t>(b.U8(at + 12), 64));
        smp.finetune = static_cast<int8_t>(b.U8(at + 13));
        smp.panning = static_cast<uint8_t>(b.U8(at + 15));
        smp.relativeNote = static_cast<int8_t>(std::clamp<int32_t>(static_cast<int8_t>(b.U8(at + 16)), -48, 71));
        uint8_t type = l.sampleTypes[index][s];
        smp.loop = (type & 2) ? LoopType::PingPong : (type & 1) ? LoopType::Forward : LoopType::None;
    }
    l.at += int64_t{samples} * kSampleHeaderSize;
    if (kept) l.song.instruments[index + 1] = std::move(ins);
    return true;
}

// Fills the guard after the played region so interpolation can read on.
void FillGuard(Sample& s) {
    int16_t* frames = s.data.data() + kSampleGuard;
    int32_t end = s.loop == LoopType::None ? s.length : s.loopStart + s.loopLength;
    for (int32_t j = 0; j < kSampleGuard; ++j) {
        int16_t v = 0;
        if (s.loop == LoopType::Forward) v = frames[s.loopStart + j % s.loopLength];
        if (s.loop == LoopType::PingPong) v = frames[end - 1 - j % s.loopLength];
        frames[end + j] = v;
    }
}

// Delta-decodes one sample into 16-bit frames; the stored bytes may be cut
// short by the end of the image, and the sample with them.
void DecodeSample(Bytes stored, uint8_t type, Sample& s) {
    bool wide = (type & 16) != 0, stereo = (type & 32) != 0;
    int64_t bytesPerFrame = (wide ? 2 : 1) * (stereo ? 2 : 1);
    int64_t frames = stored.size / bytesPerFrame;
    int64_t unit = wide ? 2 : 1;
    int64_t loopStart = s.loopStart / unit / (stereo ? 2 : 1), loopLength = s.loopLength / unit / (stereo ? 2 : 1);
    s.length = static_cast<int32_t>(frames);
    s.data.assign(static_cast<size_t>(frames) + 2 * kSampleGuard, 0);
    int16_t* out = s.data.data() + kSampleGuard;
    int64_t half = stored.size / 2 / unit;  // stereo: left block then right block
    int32_t oldLeft = 0, oldRight = 0;
    for (int64_t i = 0; i < frames; ++i) {
        int32_t left, right = 0;
        if (wide) {
            oldLeft = static_cast<int16_t>(oldLeft + static_cast<int16_t>(stored.U16(2 * i)));
            if (stereo) oldRight = static_cast<int16_t>(oldRight + static_cast<int16_t>(stored.U16(2 * (half + i))));
            left = oldLeft, right = oldRight;
        } else {
            oldLeft = static_cast<int8_t>(oldLeft + static_cast<int8_t>(stored.U8(i)));
            if (stereo) oldRight = static_cast<int8_t>(oldRight + static_cast<int8_t>(stored.U8(half + i)));
            left = oldLeft * 256, right = oldRight * 256;
        }
        out[i] = static_cast<int16_t>(stereo ? (left + right) >> 1 : left);
    }
    loopStart = std::min<int64_t>(loopStart, frames);
    loopLength = std::min<int64_t>(loopLength, frames - loopStart);
    s.loopStart = static_cast<int32_t>(loopStart);
    s.loopLength = static_cast<int32_t>(loopLength);
    if (s.loopLength == 0) s.loop = LoopType::None;
    if (s.loop == LoopType::None) s.loopStart = s.loopLength = 0;
    FillGuard(s);
}

bool ReadSampleData(Loader& l, int32_t index) {
    for (int32_t s = 0; s < l.sampleCounts[index]; ++s) {
        uint32_t size = l.sampleBytes[index][s];
        Bytes stored = l.image.From(l.at, size);
        if (index < kMaxInstruments && s < kSamplesPerInstrument)
            DecodeSample(stored, l.sampleTypes[index][s], l.song.instruments[index + 1].samples[s]);
        l.at += size;
    }
    return true;
}

Instrument StandIn() {
    Instrument ins;
    ins.samples[0].volume = 0;
    return ins;
}

bool ReadSong(Loader& l) {
    if (!ReadHeader(l)) return false;
    for (Instrument& ins : l.song.instruments) ins = StandIn();
    int32_t count = static_cast<int32_t>(l.sampleCounts.size());
    if (l.version < kVersion104) {  // 1.02/1.03: all headers, patterns, then all sample data
        for (int32_t i = 0; i < count; ++i)
            if (!ReadInstrumentHeader(l, i)) return false;
        if (!ReadPatterns(l)) return false;
        for (int32_t i = 0; i < count; ++i) ReadSampleData(l, i);
        return true;
    }
    if (!ReadPatterns(l)) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (l.at >= l.image.size) break;  // a file cut after its patterns keeps what it has
        if (!ReadInstrumentHeader(l, i)) return false;
        ReadSampleData(l, i);
    }
    return true;
}

}  // namespace

LoadResult LoadSong(const uint8_t* image, size_t length) {
    LoadResult result;
    auto song = std::make_unique<Song>();
    Loader l{{image, image ? static_cast<int64_t>(length) : 0}, *song, {}, 0, 0, {}, {}, {}};
    if (ReadSong(l))
        result.song = std::move(song);
    else
        result.error = l.error;
    return result;
}

std::string SongTitle(const Song& song) { return song.title; }
int32_t SongChannels(const Song& song) { return song.channels; }

}  // namespace xm
