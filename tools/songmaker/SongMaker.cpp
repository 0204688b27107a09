#include "tools/songmaker/SongMaker.h"

#include <stdexcept>

#include "tools/songmaker/Score.h"
#include "tools/songmaker/XmWriter.h"

namespace songmaker {

std::vector<uint8_t> MakeSong(const std::string& scoreText) {
    Score score = ReadScore(scoreText);
    XmModule& m = score.module;
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        Sample s = Synthesize(score.synths[i]);
        // Keep what the score set; the recipe decides data, loop and octave.
        Sample& target = m.instruments[i].sample;
        target.data = std::move(s.data);
        target.loopStart = s.loopStart;
        target.loopLength = s.loopLength;
        target.loop = s.loop;
        target.relativeNote = s.relativeNote;
    }
    Sample& fitted = m.instruments[score.fit].sample;
    const int32_t own = RecipeLength(score.synths[score.fit]);
    const int64_t others = XmSizeWithoutSampleData(m) + [&] {
        int64_t bytes = 0;
        for (size_t i = 0; i < m.instruments.size(); ++i) {
            if (static_cast<int32_t>(i) != score.fit) bytes += m.instruments[i].sample.data.size();
        }
        return bytes;
    }();
    const int64_t length = score.size - others;
    if (length < own / 2 || length > own * 2) {
        throw std::runtime_error("fitting " + m.instruments[score.fit].name + " to " +
                                 std::to_string(score.size) + " bytes needs " + std::to_string(length) +
                                 " samples, its recipe gives " + std::to_string(own));
    }
    const Sample s = Synthesize(score.synths[score.fit], static_cast<int32_t>(length));
    fitted.data = s.data;
    fitted.loopStart = s.loopStart;
    fitted.loopLength = s.loopLength;
    std::vector<uint8_t> bytes = WriteXm(m);
    if (static_cast<int64_t>(bytes.size()) != score.size) throw std::runtime_error("size fit missed");
    return bytes;
}

}  // namespace songmaker
