// The simulated magnetic gradient over the survey area: a smooth background
// (a level plus a gentle plane gradient) with a few buried features, blobs
// and induced dipoles, placed inside the area so that a colour map of a
// complete survey shows them. Coordinates are the survey's own: u metres
// along the lines from the line start, v metres across them from line 1.
// Values are in the console's output units.
#pragma once

#include <vector>

namespace tesselog::sim {

class Random;

struct Anomaly {
    double U = 0.0;
    double V = 0.0;
    double Amplitude = 0.0;  // peak of the main lobe
    double Radius = 1.0;     // Gaussian width in metres
    // Dipoles carry a negative lobe of NegativeShare x Amplitude, displaced
    // by (LobeU, LobeV) metres (towards magnetic north); blobs have share 0.
    double NegativeShare = 0.0;
    double LobeU = 0.0;
    double LobeV = 0.0;
};

struct FieldParams {
    double Level = 60.0;       // background value
    double GradientU = 0.05;   // per metre along the lines
    double GradientV = -0.04;  // per metre across the lines
    double Noise = 1.0;        // standard deviation of the sensor noise
};

class FieldModel {
public:
    FieldModel(const FieldParams& params, std::vector<Anomaly> anomalies);

    // Places `count` features inside [0, length] x [0, width], keeping them
    // off the edges. north_u/north_v: unit vector of north in survey
    // coordinates, along which a dipole's negative lobe lies.
    static FieldModel Generate(const FieldParams& params, double length, double width, int count,
                               double north_u, double north_v, Random& random);

    // The noise-free value at a point.
    double Smooth(double u, double v) const;
    // One sensor reading: the smooth value plus noise and the sensor's offset.
    // A noisy sensor scales its noise; it draws the same random numbers.
    double Sample(double u, double v, double sensor_offset, Random& random, double noise_scale = 1.0) const;

    const std::vector<Anomaly>& Anomalies() const { return anomalies_; }
    const FieldParams& Params() const { return params_; }

private:
    FieldParams params_;
    std::vector<Anomaly> anomalies_;
};

}  // namespace tesselog::sim
