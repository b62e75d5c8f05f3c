// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/Decode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace hypsor {

namespace {

// Constants of the conversion, each held in the precision the altimeter's first program used;
// the decimetres only come out bit-exact with exactly these.
constexpr float kAdcReference = 2.048f;
constexpr float kOffset = 3.0f;
constexpr long double kOneThird = 1.0L / 3.0L;
constexpr double kSensorOffset = 0.095;
constexpr long double kPressureScale = 10000.0L / 9.0L;
constexpr float kCelsiusToKelvin = 273.16f;
constexpr float kGasConstantOverG = 29.271267f;
constexpr long double kCalibrationScale = 0.0001L;
constexpr float kTen = 10.0f;  // decimetres per metre, and the minimum-tracking threshold
constexpr long double kAxisHeadroom = 0.1L;

// Truncation toward zero; a value no real flight reaches (a caller's absurd temperature) is held
// at the int32 range instead of being undefined behaviour.
std::int32_t TruncateToInt(long double value) {
  if (!(value > -2147483648.0L)) return value != value ? 0 : INT32_MIN;
  if (value >= 2147483647.0L) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

unsigned WordAt(const FlightBytes& bytes, std::int32_t offset) {
  return bytes[static_cast<std::size_t>(offset)] |
         (static_cast<unsigned>(bytes[static_cast<std::size_t>(offset) + 1]) << 8);
}

// The conversion with the flight's parameters bound, so the loop reads like the conversion steps.
struct Converter {
  float fullScale;
  float reference;
  float temperature;
  std::uint32_t calibration;
  float Altitude(std::uint32_t s) const {
    return SampleAltitude(s, fullScale, reference, temperature, calibration);
  }
};

// The acceleration curve's state.
struct AccelerationState {
  unsigned referenceValue = 0;
  float referenceAltitude = 0.0f;
  float rate = 0.0f;
  int rampCount = 0;
  float rampTarget = 0.0f;
  float rampStep = 0.0f;
};

float NextAcceleration(AccelerationState& st, const Flight& flight, const Converter& conv,
                       std::int32_t readPosition, std::int32_t byteLimit, unsigned s, float h) {
  // Inside a ramp: step towards its target, reaching it on the ramp's last sample.
  if (st.rampCount != 0) {
    if (st.rampCount == 1) {
      st.rate = st.rampTarget;
    } else {
      st.rate = static_cast<float>(static_cast<long double>(st.rate) + st.rampStep);
    }
    --st.rampCount;
    return st.rate;
  }
  // Look ahead over a plateau of identical raw values; never past the flight's bytes.
  std::int32_t j = readPosition;
  unsigned t = s;
  while (t == st.referenceValue && j < byteLimit - 2) {
    unsigned next = WordAt(flight.bytes, j) & flight.SampleMask;
    j += 2;
    if (next == flight.SampleMask) next = st.referenceValue;
    t = next;
    ++st.rampCount;
  }
  if (st.rampCount > 0 && t == st.referenceValue) {
    // The plateau runs to the end of the record (the altimeter lying still after landing): no
    // later value to spread a change over, so the altitude no longer changes.
    st.rate = 0.0f;
    st.rampTarget = 0.0f;
    st.rampStep = 0.0f;
    return st.rate;
  }
  if (st.rampCount > 0) {
    st.referenceValue = t;
    st.referenceAltitude = conv.Altitude(t);
    const long double steps = static_cast<long double>(st.rampCount) + 1;
    st.rampTarget =
        static_cast<float>((static_cast<long double>(st.referenceAltitude) - h) / steps);
    st.rampStep = static_cast<float>((static_cast<long double>(st.rampTarget) - st.rate) / steps);
    st.rate = static_cast<float>(static_cast<long double>(st.rate) + st.rampStep);
    return st.rate;
  }
  st.rate = static_cast<float>(static_cast<long double>(h) - st.referenceAltitude);
  st.referenceAltitude = h;
  st.referenceValue = s;
  return st.rate;
}

}  // namespace

float SamplePressure(std::uint32_t sample, float fullScale) {
  // Step 1: the sensor voltage.
  const float v = static_cast<float>(static_cast<long double>(kOffset) -
                                     static_cast<long double>(sample) * kAdcReference / fullScale);
  // Step 2: the pressure value.
  return static_cast<float>((v * kOneThird + static_cast<long double>(kSensorOffset)) *
                            kPressureScale);
}

float SampleAltitude(std::uint32_t sample, float fullScale, float referencePressure,
                     float groundTemperature, std::uint32_t calibration) {
  const float p = SamplePressure(sample, fullScale);
  // Step 3: the logarithm of the pressure ratio, the quotient passed in double precision.
  const double quotient = static_cast<double>(static_cast<long double>(p) /
                                              static_cast<long double>(referencePressure));
  const float l = static_cast<float>(-std::log(quotient));
  // Step 4: times the temperature in kelvin and R/g.
  const float a = static_cast<float>(
      (static_cast<long double>(kCelsiusToKelvin) + groundTemperature) * kGasConstantOverG * l);
  // Step 5: scaled by the calibration word.
  return static_cast<float>(static_cast<long double>(calibration) * a * kCalibrationScale);
}

DecodedFlight DecodeFlight(const Flight& flight, std::uint32_t count,
                           const DecodeOptions& options) {
  DecodedFlight out;
  out.AltitudeTable.fill(0);
  const std::uint32_t mask = flight.SampleMask;

  // The flight's bytes as far as they go, never beyond the buffer.
  const std::int32_t byteLimit = std::clamp(flight.FlightByteCount, 0, RxBufferSize);
  const std::uint32_t wordsHeld = byteLimit > FlightHeaderSize
                                      ? static_cast<std::uint32_t>(byteLimit - FlightHeaderSize) / 2
                                      : 0;
  std::uint32_t remaining = std::min(count, wordsHeld);

  // Reference pressure of sample 0 (read even when the flight holds no sample, as the altimeter's
  // program did; the bytes behind a short flight are zero).
  const unsigned s0 = WordAt(flight.bytes, FlightHeaderSize) & mask;
  out.ReferencePressure = SamplePressure(s0, flight.SampleFullScale);
  const Converter conv{flight.SampleFullScale, out.ReferencePressure, flight.GroundTemperature,
                       flight.CalibrationFactor};

  float maxAltitude = 0.0f;
  float minAltitude = 65535.0f;
  std::int32_t readPosition = FlightHeaderSize;
  int i = 0;
  int c = 0;
  AccelerationState accel;
  const int labelStep = flight.TimeLabelStep;

  const std::size_t reserve = std::min<std::size_t>(remaining, AltitudeTableSize - 1);
  out.altitude.reserve(reserve);
  out.labelSeconds.reserve(reserve);
  if (options.acceleration) out.acceleration.reserve(reserve);

  // At most AltitudeTableSize - 1 altitudes: the last entry is kept for the end marker.
  while (remaining > 0 && i < AltitudeTableSize - 1) {
    --remaining;
    const unsigned s = WordAt(flight.bytes, readPosition) & mask;
    readPosition += 2;
    if (s >= mask) break;  // the end marker: no entry, no point

    const float h = conv.Altitude(s);
    out.AltitudeTable[static_cast<std::size_t>(i)] =
        TruncateToInt(static_cast<long double>(h) * kTen);  // truncation toward zero
    ++i;

    out.altitude.push_back(h);
    int label = -1;
    if (options.timeLabels && labelStep > 0 && c % labelStep == 0) label = c / labelStep;
    out.labelSeconds.push_back(label);
    if (options.acceleration) {
      out.acceleration.push_back(
          NextAcceleration(accel, flight, conv, readPosition, byteLimit, s, h));
    }
    c += 10;

    if (h > maxAltitude) {
      maxAltitude = h;
      out.MaxAltitude = h;
      out.axisMaximum = TruncateToInt(static_cast<long double>(h) + h * kAxisHeadroom);
    }
    if (h < minAltitude && maxAltitude > kTen) {
      minAltitude = h;
      out.MinAltitude = h;
    }
  }
  out.AltitudeTable[static_cast<std::size_t>(i)] = AltitudeEndMarker;
  out.tableCount = i;
  out.ReadPosition = readPosition;
  return out;
}

QString FormatAltitude(float metres, QChar decimalPoint) {
  // A float times ten is exact in long double, so the rounding sees the true value.
  if (!std::isfinite(metres)) return QString::number(static_cast<double>(metres));
  const long long tenths = std::llround(static_cast<long double>(metres) * 10.0L);
  const long long magnitude = tenths < 0 ? -tenths : tenths;
  QString text;
  if (tenths < 0) text += QLatin1Char('-');
  text += QString::number(magnitude / 10);
  text += decimalPoint;
  text += QString::number(magnitude % 10);
  return text;
}

}  // namespace hypsor
