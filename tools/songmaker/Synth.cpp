#include "tools/songmaker/Synth.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <stdexcept>

namespace songmaker {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMiddleC = 261.6256;  // Hz
constexpr double kC4Rate = 8363.0;     // samples per second of C-4 at relative note 0

// Reads parameters and remembers which were asked for.
class Params {
public:
    explicit Params(const SynthSpec& spec) : spec_(spec) {}
    double Number(const std::string& key, double fallback) {
        used_.insert(key);
        auto it = spec_.params.find(key);
        if (it == spec_.params.end()) return fallback;
        size_t end = 0;
        double value = std::stod(it->second, &end);
        if (end != it->second.size()) throw std::runtime_error("bad number " + key + "=" + it->second);
        return value;
    }
    std::string Word(const std::string& key, const std::string& fallback) {
        used_.insert(key);
        auto it = spec_.params.find(key);
        return it == spec_.params.end() ? fallback : it->second;
    }
    std::vector<double> Numbers(const std::string& key) {
        used_.insert(key);
        std::vector<double> values;
        auto it = spec_.params.find(key);
        if (it == spec_.params.end()) return values;
        std::stringstream in(it->second);
        std::string item;
        while (std::getline(in, item, ',')) values.push_back(std::stod(item));
        return values;
    }
    void CheckAllUsed() const {
        for (const auto& [key, value] : spec_.params) {
            if (!used_.count(key)) throw std::runtime_error("unknown parameter " + key + " for " + spec_.kind);
        }
    }

private:
    const SynthSpec& spec_;
    std::set<std::string> used_;
};

// Deterministic white noise, the same on every machine.
class Noise {
public:
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_ = 0x9E3779B9u;
};

// One-pole low-pass; cutoff in Hz at the given rate.
class LowPass {
public:
    LowPass(double cutoff, double rate) : k_(1.0 - std::exp(-2.0 * kPi * cutoff / rate)) {}
    double Run(double x) { y_ += k_ * (x - y_); return y_; }

private:
    double k_;
    double y_ = 0.0;
};

struct Rendered {
    std::vector<double> wave;
    int32_t loopStart = 0, loopLength = 0;
};

int32_t Length(Params& p, int32_t imposed) {
    const int32_t own = static_cast<int32_t>(p.Number("length", 0));
    if (own <= 0) throw std::runtime_error("recipe needs length");
    return imposed > 0 ? imposed : own;
}

// Saturation that keeps the peak at 1 for drive > 0.
double Drive(double x, double drive) { return drive > 0 ? std::tanh(drive * x) / std::tanh(drive) : x; }

Rendered Drum(Params& p, double rate, int32_t imposed) {
    const int32_t n = Length(p, imposed);
    const double f0 = p.Number("f0", 150), f1 = p.Number("f1", 50), sweep = p.Number("sweep", 0.03);
    const double decay = p.Number("decay", 0.2), noise = p.Number("noise", 0), noiseDecay = p.Number("noisedecay", 0.005);
    const double drive = p.Number("drive", 0);
    Noise white;
    Rendered r;
    double phase = 0;
    for (int32_t i = 0; i < n; ++i) {
        const double t = i / rate;
        const double f = f1 + (f0 - f1) * std::exp(-t / sweep);
        phase += 2 * kPi * f / rate;
        const double tone = std::sin(phase) * std::exp(-t / decay);
        const double click = noise * white.Next() * std::exp(-t / noiseDecay);
        r.wave.push_back(Drive(tone + click, drive));
    }
    return r;
}

// Decay of a burst that started at t0, zero before it.
double Burst(double t, double t0, double decay) { return t < t0 ? 0.0 : std::exp(-(t - t0) / decay); }

Rendered NoiseRecipe(Params& p, double rate, int32_t imposed) {
    const int32_t n = Length(p, imposed);
    const double decay = p.Number("decay", 0.1), attack = p.Number("attack", 0);
    const double hp = p.Number("hp", 20), lp = p.Number("lp", rate / 2);
    const double tone = p.Number("tone", 0), toneMix = p.Number("tonemix", 0), toneDecay = p.Number("tonedecay", 0.05);
    const int32_t bursts = static_cast<int32_t>(p.Number("bursts", 1));
    const double spacing = p.Number("spacing", 0.01);
    // A loop over the sample's last looplen samples holds the level reached
    // there, so the envelope can carry the tail (cymbals, hiss).
    const int32_t loopLength = std::min(n, static_cast<int32_t>(p.Number("looplen", 0)));
    const int32_t hold = loopLength > 0 ? n - loopLength : n;
    Noise white;
    LowPass low(lp, rate), high(hp, rate);
    Rendered r;
    for (int32_t i = 0; i < n; ++i) {
        const double t = std::min(i, hold) / rate;
        const double last = (bursts - 1) * spacing;
        double amp = decay > 0 ? Burst(t, last, decay) : 1.0;
        for (int32_t b = 0; b + 1 < bursts; ++b) amp = std::max(amp, Burst(t, b * spacing, spacing / 3));
        if (attack > 0) amp *= std::min(1.0, t / attack);
        const double lowPassed = low.Run(white.Next());
        double s = (lowPassed - high.Run(lowPassed)) * amp;
        if (tone > 0) s = s * (1 - toneMix) + toneMix * std::sin(2 * kPi * tone * t) * std::exp(-t / toneDecay);
        r.wave.push_back(s);
    }
    if (loopLength > 0) { r.loopStart = hold; r.loopLength = loopLength; }
    return r;
}

// Harmonic amplitudes of a named shape, cut at the given count.
std::vector<double> Harmonics(Params& p, int32_t count) {
    const std::string shape = p.Word("shape", "saw");
    const double width = p.Number("width", 0.5);
    std::vector<double> h = p.Numbers("harmonics");
    if (!h.empty()) {
        if (shape != "saw") throw std::runtime_error("harmonics replace the shape");
        h.resize(std::min<size_t>(h.size(), count));
        return h;
    }
    for (int32_t k = 1; k <= count; ++k) {
        double a = 0;
        if (shape == "saw") a = 1.0 / k;
        else if (shape == "square") a = (k % 2) ? 1.0 / k : 0.0;
        else if (shape == "triangle") a = (k % 2) ? ((k / 2) % 2 ? -1.0 : 1.0) / (k * k) : 0.0;
        else if (shape == "pulse") a = std::sin(kPi * k * width) / k;
        else if (shape == "sine") a = k == 1 ? 1.0 : 0.0;
        else throw std::runtime_error("unknown shape " + shape);
        h.push_back(a);
    }
    return h;
}

Rendered Wave(Params& p, int32_t cycle, int32_t imposed) {
    if (imposed > 0) throw std::runtime_error("a wave's length follows from its cycle");
    const int32_t cycles = static_cast<int32_t>(p.Number("cycles", 1));
    const int32_t bright = static_cast<int32_t>(p.Number("bright", cycle / 4));
    const double detune = p.Number("detune", 0);  // mix of a copy one cycle per loop sharper
    const int32_t n = cycle * cycles;
    // Every partial, the sharper copy's included, stays below half the rate.
    const int32_t fastest = detune > 0 ? cycles + 1 : cycles;
    const std::vector<double> h = Harmonics(p, std::min(bright, (n / 2 - 1) / fastest));
    Rendered r;
    for (int32_t i = 0; i < n; ++i) {
        double main = 0, sharp = 0;
        for (size_t k = 0; k < h.size(); ++k) {
            const double harmonic = static_cast<double>(k + 1);
            main += h[k] * std::sin(2 * kPi * harmonic * cycles * i / n);
            // The copy's phase offset keeps the two from cancelling at the start.
            sharp += h[k] * std::sin(2 * kPi * harmonic * (cycles + 1) * i / n + harmonic);
        }
        r.wave.push_back(main * (1 - detune) + sharp * detune);
    }
    r.loopLength = n;
    return r;
}

Rendered Render(const SynthSpec& spec, int32_t imposed, int32_t& oct, double& gain) {
    Params p(spec);
    oct = static_cast<int32_t>(p.Number("oct", 0));
    gain = p.Number("gain", 0.9);
    const double rate = kC4Rate * std::pow(2.0, oct);
    Rendered r;
    if (spec.kind == "drum") r = Drum(p, rate, imposed);
    else if (spec.kind == "noise") r = NoiseRecipe(p, rate, imposed);
    else if (spec.kind == "wave") r = Wave(p, 32 << oct, imposed);
    else throw std::runtime_error("unknown recipe " + spec.kind);
    p.CheckAllUsed();
    if (r.wave.empty()) throw std::runtime_error("recipe made no sample");
    return r;
}

}  // namespace

Sample Synthesize(const SynthSpec& spec, int32_t length) {
    int32_t oct = 0;
    double gain = 0;
    Rendered r = Render(spec, length, oct, gain);
    const int32_t n = static_cast<int32_t>(r.wave.size());
    if (r.loopLength == 0) {
        // A one-shot ends in silence, not a click.
        const int32_t fade = std::min(256, n / 8);
        for (int32_t i = 0; i < fade; ++i) r.wave[n - 1 - i] *= static_cast<double>(i) / fade;
    }
    double peak = 0;
    for (double v : r.wave) peak = std::max(peak, std::fabs(v));
    Sample s;
    s.relativeNote = static_cast<int8_t>(12 * oct);
    s.loopStart = r.loopStart;
    s.loopLength = r.loopLength;
    s.loop = r.loopLength > 0 ? Loop::kForward : Loop::kNone;
    for (double v : r.wave) {
        s.data.push_back(static_cast<int8_t>(std::lround(std::clamp(v / peak * gain, -1.0, 1.0) * 127)));
    }
    return s;
}

int32_t RecipeLength(const SynthSpec& spec) {
    int32_t oct = 0;
    double gain = 0;
    return static_cast<int32_t>(Render(spec, 0, oct, gain).wave.size());
}

}  // namespace songmaker
