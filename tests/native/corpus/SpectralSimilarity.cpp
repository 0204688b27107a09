#include "tests/native/corpus/SpectralSimilarity.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

namespace {

constexpr int32_t kFrame = 2048;
constexpr int32_t kHop = 1024;
constexpr int32_t kBins = kFrame / 2 + 1;
constexpr double kFloorDb = -30.0;
constexpr double kSilenceDb = -60.0;
constexpr double kEnvelopeMs = 10.0;
constexpr double kMaxGainDb = 20.0;
constexpr double kOutlierDb = 6.0;  // level windows this far off the median ratio are left out

const double kSilence = std::pow(10.0, kSilenceDb / 20.0);

// Two channels of one signal, read as zero past their end.
struct Channels {
    const float* left;
    const float* right;
    size_t frames;
    double gain;  // applied to every sample read
    double L(size_t i) const { return i < frames ? gain * left[i] : 0.0; }
    double R(size_t i) const { return i < frames ? gain * right[i] : 0.0; }
};

// RMS of both channels over consecutive windows of `width` samples.
std::vector<double> WindowLevels(const Channels& x, size_t windows, size_t width) {
    std::vector<double> levels(windows);
    for (size_t w = 0; w < windows; ++w) {
        double sum = 0;
        for (size_t i = w * width; i < (w + 1) * width; ++i) sum += x.L(i) * x.L(i) + x.R(i) * x.R(i);
        levels[w] = std::sqrt(sum / (2.0 * width));
    }
    return levels;
}

double Median(std::vector<double> v) {
    size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + mid, v.end());
    double upper = v[mid];
    if (v.size() % 2 != 0) return upper;
    double lower = *std::max_element(v.begin(), v.begin() + mid);
    return (lower + upper) / 2;
}

// Level of test against reference over the windows where both sound,
// leaving out the windows far from the median ratio (a few differing notes).
double MatchGainDb(const std::vector<double>& ref, const std::vector<double>& test) {
    std::vector<double> ratios;
    for (size_t w = 0; w < ref.size(); ++w)
        if (ref[w] > kSilence && test[w] > kSilence) ratios.push_back(20 * std::log10(test[w] / ref[w]));
    if (ratios.empty()) return 0;
    double median = Median(ratios);
    double refPower = 0, testPower = 0;
    for (size_t w = 0; w < ref.size(); ++w) {
        if (!(ref[w] > kSilence && test[w] > kSilence)) continue;
        if (std::fabs(20 * std::log10(test[w] / ref[w]) - median) >= kOutlierDb) continue;
        refPower += ref[w] * ref[w];
        testPower += test[w] * test[w];
    }
    return std::clamp(10 * std::log10(testPower / refPower), -kMaxGainDb, kMaxGainDb);
}

// RMS over the reference's sounding windows: a sine of that RMS puts this
// much in its peak Hann bin, 30 dB below which the log floor sits.
// (A periodic Hann window of N samples sums to N / 2.)
double LogFloor(const std::vector<double>& refLevels) {
    double sum = 0;
    size_t loud = 0;
    for (double e : refLevels)
        if (e > kSilence) sum += e * e, ++loud;
    double level = loud ? std::sqrt(sum / loud) : kSilence;
    return kFrame / 4.0 * std::sqrt(2.0) * level * std::pow(10.0, kFloorDb / 20.0);
}

double Cosine(const std::vector<double>& x, const std::vector<double>& y) {
    double xx = 0, yy = 0, xy = 0;
    for (size_t i = 0; i < x.size(); ++i) xx += x[i] * x[i], yy += y[i] * y[i], xy += x[i] * y[i];
    if (xx == 0 && yy == 0) return 1;
    if (xx == 0 || yy == 0) return 0;
    return xy / std::sqrt(xx * yy);
}

// FFTW's planner is not thread-safe; executing a finished plan is.
std::mutex PlannerLock;

class LogSpectra {
public:
    explicit LogSpectra(double floor) : floor_(floor), window_(kFrame) {
        for (int32_t k = 0; k < kFrame; ++k) window_[k] = 0.5 - 0.5 * std::cos(2 * M_PI * k / kFrame);
        in_ = fftw_alloc_real(kFrame);
        out_ = fftw_alloc_complex(kBins);
        std::lock_guard<std::mutex> hold(PlannerLock);
        plan_ = fftw_plan_dft_r2c_1d(kFrame, in_, out_, FFTW_ESTIMATE);
    }
    ~LogSpectra() {
        {
            std::lock_guard<std::mutex> hold(PlannerLock);
            fftw_destroy_plan(plan_);
        }
        fftw_free(in_);
        fftw_free(out_);
    }
    LogSpectra(const LogSpectra&) = delete;
    LogSpectra& operator=(const LogSpectra&) = delete;

    // [mid bins, side bins] of the frame starting at `start`, log-compressed.
    void MidSide(const Channels& x, size_t start, std::vector<double>& out) {
        out.resize(2 * kBins);
        for (int32_t half = 0; half < 2; ++half) {
            double sign = half == 0 ? 1.0 : -1.0;
            for (int32_t k = 0; k < kFrame; ++k)
                in_[k] = window_[k] * (x.L(start + k) + sign * x.R(start + k)) / 2;
            fftw_execute(plan_);
            for (int32_t b = 0; b < kBins; ++b)
                out[half * kBins + b] = std::log1p(std::hypot(out_[b][0], out_[b][1]) / floor_);
        }
    }

private:
    double floor_;
    std::vector<double> window_;
    double* in_;
    fftw_complex* out_;
    fftw_plan plan_;
};

double FrameRms(const Channels& x, size_t start) {
    double sum = 0;
    for (size_t i = start; i < start + kFrame; ++i) sum += x.L(i) * x.L(i) + x.R(i) * x.R(i);
    return std::sqrt(sum / (2.0 * kFrame));
}

Similarity Compare(const Channels& ref, Channels test, int32_t sampleRate) {
    Similarity result;
    size_t width = std::max<size_t>(1, static_cast<size_t>(std::lround(kEnvelopeMs * sampleRate / 1000)));
    size_t windows = std::max(ref.frames, test.frames) / width;
    std::vector<double> refLevels = WindowLevels(ref, windows, width);
    result.gainDb = MatchGainDb(refLevels, WindowLevels(test, windows, width));
    test.gain = std::pow(10.0, -result.gainDb / 20);
    // TEST is judged over REF's length: sound it lacks there scores 0.
    test.frames = std::min(test.frames, std::max<size_t>(ref.frames, kFrame));

    LogSpectra spectra(LogFloor(refLevels));
    size_t length = std::max<size_t>(ref.frames, kFrame);
    size_t frameCount = 1 + (length - kFrame) / kHop;
    std::vector<double> refSpectrum, testSpectrum;
    double sum = 0;
    for (size_t f = 0; f < frameCount; ++f) {
        size_t start = f * kHop;
        if (!(FrameRms(ref, start) > kSilence)) continue;
        spectra.MidSide(ref, start, refSpectrum);
        spectra.MidSide(test, start, testSpectrum);
        sum += Cosine(refSpectrum, testSpectrum);
        ++result.frames;
    }
    result.scored = result.frames > 0;
    result.score = result.scored ? sum / result.frames : 0;
    return result;
}

Channels Both(const StereoSignal& s) { return {s.left.data(), s.right.data(), s.Frames(), 1.0}; }

}  // namespace

Similarity CompareSpectra(const StereoSignal& reference, const StereoSignal& test) {
    return Compare(Both(reference), Both(test), reference.sampleRate);
}

Similarity CompareLeftWithRight(const StereoSignal& render) {
    Channels right{render.right.data(), render.right.data(), render.Frames(), 1.0};
    Channels left{render.left.data(), render.left.data(), render.Frames(), 1.0};
    return Compare(right, left, render.sampleRate);
}

double RmsDbfsWithoutDc(const StereoSignal& signal) {
    size_t n = signal.Frames();
    if (n == 0) return -std::numeric_limits<double>::infinity();
    double sum = 0;
    for (const std::vector<float>* channel : {&signal.left, &signal.right}) {
        double mean = 0;
        for (float v : *channel) mean += v;
        mean /= n;
        for (float v : *channel) sum += (v - mean) * (v - mean);
    }
    return 10 * std::log10(sum / (2.0 * n));
}
