#include "tools/sim/field_model.h"

#include <cmath>

#include "tools/sim/random.h"

namespace tesselog::sim {

namespace {

double Bump(double du, double dv, double radius)
{
    return std::exp(-(du * du + dv * dv) / (2.0 * radius * radius));
}

}  // namespace

FieldModel::FieldModel(const FieldParams& params, std::vector<Anomaly> anomalies)
    : params_(params), anomalies_(std::move(anomalies))
{
}

FieldModel FieldModel::Generate(const FieldParams& params, double length, double width, int count,
                                double north_u, double north_v, Random& random)
{
    std::vector<Anomaly> anomalies;
    for (int i = 0; i < count; ++i) {
        Anomaly a;
        a.U = length * random.Uniform(0.15, 0.85);
        a.V = width * random.Uniform(0.15, 0.85);
        a.Radius = random.Uniform(0.7, 2.5);
        a.Amplitude = random.Uniform(40.0, 250.0);
        if (random.Chance(0.5)) {
            // Induced dipole: positive peak with a weaker trough on its north side.
            a.NegativeShare = random.Uniform(0.3, 0.6);
            a.LobeU = north_u * 1.6 * a.Radius;
            a.LobeV = north_v * 1.6 * a.Radius;
        } else if (random.Chance(0.3)) {
            a.Amplitude = -a.Amplitude * 0.3;  // a weak negative feature (a cut, a void)
        }
        anomalies.push_back(a);
    }
    return FieldModel(params, std::move(anomalies));
}

double FieldModel::Smooth(double u, double v) const
{
    double value = params_.Level + params_.GradientU * u + params_.GradientV * v;
    for (const Anomaly& a : anomalies_) {
        value += a.Amplitude * Bump(u - a.U, v - a.V, a.Radius);
        if (a.NegativeShare > 0.0) {
            value -= a.NegativeShare * a.Amplitude * Bump(u - a.U - a.LobeU, v - a.V - a.LobeV, a.Radius);
        }
    }
    return value;
}

double FieldModel::Sample(double u, double v, double sensor_offset, Random& random, double noise_scale) const
{
    return Smooth(u, v) + sensor_offset + params_.Noise * noise_scale * random.Gaussian();
}

}  // namespace tesselog::sim
