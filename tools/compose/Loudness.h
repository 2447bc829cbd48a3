// Measuring a render: sample peak, true peak, RMS, and integrated loudness after the
// K-weighting and gating of ITU-R BS.1770, in LUFS.
#pragma once

#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

struct LoudnessReport {
    double samplePeakDecibels = 0.0;  // dBFS
    double truePeakDecibels = 0.0;    // dBFS, 4× oversampled, never below the sample peak
    double rmsDecibels = 0.0;         // dBFS over both channels and the whole length
    double integratedLufs = 0.0;
};

double samplePeakDecibels(const StereoBuffer& audio);
double truePeakDecibels(const StereoBuffer& audio);
double rmsDecibels(const StereoBuffer& audio);
// Silence (everything below the absolute gate) measures as -70.
double integratedLoudness(const StereoBuffer& audio);
LoudnessReport measure(const StereoBuffer& audio);

}  // namespace compose
