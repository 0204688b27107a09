#include "tools/songmaker/Score.h"

#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace songmaker {
namespace {

using Words = std::vector<std::string>;

constexpr uint8_t kSetPanning = 8;  // effect 8xx

Words Split(const std::string& line) {
    Words words;
    std::istringstream in(line);
    std::string word;
    while (in >> word) {
        if (word[0] == '#') break;
        words.push_back(word);
    }
    return words;
}

int32_t Integer(const std::string& text, int base = 10) {
    size_t end = 0;
    long value = std::stol(text, &end, base);
    if (end != text.size()) throw std::runtime_error("not a number: " + text);
    return static_cast<int32_t>(value);
}

// key=value words into a map; a word without "=" is an error.
std::map<std::string, std::string> KeyValues(const Words& words, size_t from) {
    std::map<std::string, std::string> values;
    for (size_t i = from; i < words.size(); ++i) {
        const size_t eq = words[i].find('=');
        if (eq == std::string::npos) throw std::runtime_error("expected key=value: " + words[i]);
        values[words[i].substr(0, eq)] = words[i].substr(eq + 1);
    }
    return values;
}

int32_t Take(std::map<std::string, std::string>& values, const std::string& key, int32_t fallback) {
    auto it = values.find(key);
    if (it == values.end()) return fallback;
    int32_t value = Integer(it->second);
    values.erase(it);
    return value;
}

void NoneLeft(const std::map<std::string, std::string>& values) {
    if (!values.empty()) throw std::runtime_error("unknown setting " + values.begin()->first);
}

// Note names as the tracker writes them: C-4 is note 49.
uint8_t NoteNumber(const std::string& name) {
    static const std::string kLetters = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (name.size() != 3 || name[2] < '0' || name[2] > '7') throw std::runtime_error("bad note " + name);
    const size_t at = kLetters.find(name.substr(0, 2));
    if (at == std::string::npos || at % 2) throw std::runtime_error("bad note " + name);
    return static_cast<uint8_t>((name[2] - '0') * 12 + at / 2 + 1);
}

uint8_t EffectNumber(char letter) {
    if (letter >= '0' && letter <= '9') return letter - '0';
    if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 10;
    throw std::runtime_error(std::string("bad effect ") + letter);
}

// One phrase token into its cells (".N" gives N empty ones).
void AddCells(const std::string& token, uint8_t instrument, std::vector<Cell>& cells) {
    std::istringstream parts(token);
    std::string head, suffix;
    std::getline(parts, head, '/');
    if (head.size() > 1 && head[0] == '.') {
        if (token.find('/') != std::string::npos) throw std::runtime_error("a run of empty rows takes no suffix");
        cells.insert(cells.end(), Integer(head.substr(1)), Cell{});
        return;
    }
    Cell cell;
    if (head == "==") {
        cell.note = kKeyOff;
    } else if (head != ".") {
        cell.note = NoteNumber(head);
        cell.instrument = instrument;
    }
    while (std::getline(parts, suffix, '/')) {
        if (suffix.size() != 3) throw std::runtime_error("bad suffix /" + suffix);
        const int32_t value = Integer(suffix.substr(1), 16);
        if (suffix[0] == 'v') {
            if (value > 0x40) throw std::runtime_error("volume above 40: " + token);
            cell.volume = static_cast<uint8_t>(0x10 + value);
        } else {
            cell.effect = EffectNumber(suffix[0]);
            cell.param = static_cast<uint8_t>(value);
        }
    }
    cells.push_back(cell);
}

Envelope ReadEnvelope(const Words& words) {
    Envelope e;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.rfind("sustain=", 0) == 0) {
            e.sustain = Integer(w.substr(8));
        } else if (w.rfind("loop=", 0) == 0) {
            const size_t dash = w.find('-');
            e.loopStart = Integer(w.substr(5, dash - 5));
            e.loopEnd = Integer(w.substr(dash + 1));
        } else {
            const size_t colon = w.find(':');
            if (colon == std::string::npos) throw std::runtime_error("expected tick:value: " + w);
            e.points.push_back({static_cast<uint16_t>(Integer(w.substr(0, colon))),
                                static_cast<uint16_t>(Integer(w.substr(colon + 1)))});
        }
    }
    const int32_t count = static_cast<int32_t>(e.points.size());
    if (count > 12) throw std::runtime_error("more than 12 points");
    for (int32_t i = 1; i < count; ++i) {
        if (e.points[i].tick <= e.points[i - 1].tick) throw std::runtime_error("points must move forward");
    }
    for (const auto& point : e.points) {
        if (point.value > 64) throw std::runtime_error("envelope value above 64");
    }
    if (e.sustain >= count || e.loopEnd >= count || e.loopStart > e.loopEnd) {
        throw std::runtime_error("envelope point index out of range");
    }
    return e;
}

struct Phrase {
    std::vector<Cell> cells;
};

class Reader {
public:
    Score Read(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        int32_t number = 0;
        while (std::getline(in, line)) {
            ++number;
            try {
                Line(Split(line));
            } catch (const std::exception& e) {
                throw std::runtime_error("score line " + std::to_string(number) + ": " + e.what());
            }
        }
        Finish();
        return std::move(score_);
    }

private:
    enum class Block { kNone, kInstrument, kPhrase, kPattern };

    void Line(const Words& w) {
        if (w.empty()) return;
        const std::string& key = w[0];
        if (key == "title") {
            score_.module.name = w.size() > 1 ? std::string(w[1]) : "";
            for (size_t i = 2; i < w.size(); ++i) score_.module.name += " " + w[i];
        } else if (key == "song") {
            Song(w);
        } else if (key == "order") {
            for (size_t i = 1; i < w.size(); ++i) score_.module.orders.push_back(static_cast<uint8_t>(Integer(w[i])));
        } else if (key == "instrument") {
            NewInstrument(w);
        } else if (key == "phrase") {
            NewPhrase(w);
        } else if (key == "pattern") {
            NewPattern(w);
        } else if (block_ == Block::kInstrument) {
            InstrumentLine(w);
        } else if (block_ == Block::kPhrase) {
            for (const std::string& token : w) AddCells(token, phraseInstrument_, phrases_[phraseName_].cells);
        } else if (block_ == Block::kPattern) {
            ChannelLine(w);
        } else {
            throw std::runtime_error("unexpected " + key);
        }
    }

    void Song(const Words& w) {
        auto values = KeyValues(w, 1);
        fitName_ = values["fit"];
        values.erase("fit");
        XmModule& m = score_.module;
        m.tempo = Take(values, "tempo", 6);
        m.bpm = Take(values, "bpm", 125);
        m.restart = Take(values, "restart", 0);
        m.channels = Take(values, "channels", 8);
        score_.size = Take(values, "size", 0);
        NoneLeft(values);
    }

    void NewInstrument(const Words& w) {
        if (w.size() != 2) throw std::runtime_error("instrument takes one name");
        if (instrumentIndex_.count(w[1])) throw std::runtime_error("instrument defined twice: " + w[1]);
        instrumentIndex_[w[1]] = static_cast<uint8_t>(score_.module.instruments.size() + 1);
        score_.module.instruments.push_back(Instrument{});
        score_.module.instruments.back().name = w[1];
        score_.synths.push_back(SynthSpec{});
        block_ = Block::kInstrument;
    }

    void InstrumentLine(const Words& w) {
        Instrument& ins = score_.module.instruments.back();
        const std::string& key = w[0];
        if (key == "synth") {
            if (w.size() < 2) throw std::runtime_error("synth needs a recipe");
            score_.synths.back() = SynthSpec{w[1], KeyValues(w, 2)};
        } else if (key == "sample") {
            auto values = KeyValues(w, 1);
            ins.sample.volume = static_cast<uint8_t>(Take(values, "volume", 64));
            ins.sample.panning = static_cast<uint8_t>(Take(values, "pan", 128));
            ins.sample.finetune = static_cast<int8_t>(Take(values, "finetune", 0));
            NoneLeft(values);
        } else if (key == "volenv") {
            ins.volumeEnvelope = ReadEnvelope(w);
        } else if (key == "panenv") {
            ins.panningEnvelope = ReadEnvelope(w);
        } else if (key == "vibrato") {
            auto values = KeyValues(w, 1);
            ins.vibratoType = static_cast<uint8_t>(Take(values, "type", 0));
            ins.vibratoSweep = static_cast<uint8_t>(Take(values, "sweep", 0));
            ins.vibratoDepth = static_cast<uint8_t>(Take(values, "depth", 0));
            ins.vibratoRate = static_cast<uint8_t>(Take(values, "rate", 0));
            NoneLeft(values);
        } else if (key == "fadeout" && w.size() == 2) {
            ins.fadeout = static_cast<uint16_t>(Integer(w[1]));
        } else {
            throw std::runtime_error("unknown instrument setting " + key);
        }
    }

    uint8_t InstrumentNamed(const std::string& name) const {
        auto it = instrumentIndex_.find(name);
        if (it == instrumentIndex_.end()) throw std::runtime_error("no instrument " + name);
        return it->second;
    }

    void NewPhrase(const Words& w) {
        if (w.size() != 3 || w[2].rfind("ins=", 0) != 0) throw std::runtime_error("phrase <name> ins=<instrument>");
        if (phrases_.count(w[1])) throw std::runtime_error("phrase defined twice: " + w[1]);
        phraseName_ = w[1];
        phraseInstrument_ = InstrumentNamed(w[2].substr(4));
        phrases_[phraseName_];
        block_ = Block::kPhrase;
    }

    void NewPattern(const Words& w) {
        if (w.size() != 3 || w[2].rfind("rows=", 0) != 0) throw std::runtime_error("pattern <n> rows=<rows>");
        const int32_t index = Integer(w[1]);
        if (index != static_cast<int32_t>(score_.module.patterns.size())) {
            throw std::runtime_error("patterns must come in order");
        }
        Pattern p;
        p.rows = Integer(w[2].substr(5));
        p.cells.assign(static_cast<size_t>(p.rows * score_.module.channels), Cell{});
        score_.module.patterns.push_back(p);
        block_ = Block::kPattern;
    }

    Cell& At(int32_t row, int32_t channel) {
        Pattern& p = score_.module.patterns.back();
        return p.cells[static_cast<size_t>(row * score_.module.channels + channel - 1)];
    }

    void ChannelLine(const Words& w) {
        const int32_t channel = Integer(w[0]);
        if (channel < 1 || channel > score_.module.channels) throw std::runtime_error("no channel " + w[0]);
        const int32_t rows = score_.module.patterns.back().rows;
        if (w.size() == 6 && w[1] == "echo") {
            Echo(channel, Integer(w[2]), Integer(w[3]), w[4], w[5]);
            return;
        }
        static const std::regex kRef(R"(([A-Za-z_][A-Za-z0-9_]*)([+-][0-9]+)?(@([A-Za-z0-9_]+))?(\*([0-9]+))?)");
        int32_t row = 0;
        for (size_t i = 1; i < w.size(); ++i) {
            std::smatch m;
            if (!std::regex_match(w[i], m, kRef)) throw std::runtime_error("bad phrase reference " + w[i]);
            auto it = phrases_.find(m[1]);
            if (it == phrases_.end()) throw std::runtime_error("no phrase " + std::string(m[1]));
            const int32_t transpose = m[2].matched ? Integer(m[2].str().substr(m[2].str()[0] == '+')) : 0;
            const uint8_t instrument = m[4].matched ? InstrumentNamed(m[4]) : 0;
            const int32_t repeats = m[6].matched ? Integer(m[6]) : 1;
            for (int32_t r = 0; r < repeats; ++r) {
                for (Cell cell : it->second.cells) {
                    if (row >= rows) throw std::runtime_error("channel " + w[0] + " runs past the pattern's end");
                    if (cell.note && cell.note != kKeyOff) {
                        const int32_t note = cell.note + transpose;
                        if (note < 1 || note > 96) throw std::runtime_error("transposed out of range: " + w[i]);
                        cell.note = static_cast<uint8_t>(note);
                        if (instrument) cell.instrument = instrument;
                    }
                    At(row++, channel) = cell;
                }
            }
        }
        if (row != rows) throw std::runtime_error("channel " + w[0] + " fills " + std::to_string(row) + " rows");
    }

    // A quieter copy of another channel's notes, some rows later and
    // panned elsewhere: the tracker's echo.
    void Echo(int32_t channel, int32_t source, int32_t delay, const std::string& volume, const std::string& pan) {
        if (source < 1 || source > score_.module.channels) throw std::runtime_error("no channel to echo");
        if (volume.size() != 3 || volume[0] != 'v') throw std::runtime_error("echo volume is vXX");
        if (pan.size() != 3 || pan[0] != 'p') throw std::runtime_error("echo panning is pXX");
        const uint8_t level = static_cast<uint8_t>(0x10 + Integer(volume.substr(1), 16));
        const uint8_t panning = static_cast<uint8_t>(Integer(pan.substr(1), 16));
        const int32_t rows = score_.module.patterns.back().rows;
        for (int32_t row = delay; row < rows; ++row) {
            const Cell& from = At(row - delay, source);
            if (!from.note) continue;
            Cell copy;
            copy.note = from.note;
            copy.instrument = from.instrument;
            if (from.note != kKeyOff) {
                copy.volume = level;
                copy.effect = kSetPanning;
                copy.param = panning;
            }
            At(row, channel) = copy;
        }
    }

    void Finish() {
        if (fitName_.empty()) throw std::runtime_error("song needs fit=<instrument>");
        score_.fit = InstrumentNamed(fitName_) - 1;
        if (score_.synths.size() != score_.module.instruments.size()) throw std::runtime_error("recipe missing");
        for (size_t i = 0; i < score_.synths.size(); ++i) {
            if (score_.synths[i].kind.empty()) {
                throw std::runtime_error("instrument " + score_.module.instruments[i].name + " has no synth");
            }
        }
    }

    Score score_;
    Block block_ = Block::kNone;
    std::map<std::string, uint8_t> instrumentIndex_;
    std::map<std::string, Phrase> phrases_;
    std::string phraseName_;
    uint8_t phraseInstrument_ = 0;
    std::string fitName_;
};

}  // namespace

Score ReadScore(const std::string& text) {
    return Reader().Read(text);
}

}  // namespace songmaker
