#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns public logs of real rocket flights into flight files for the tests.

Source: the flight logs kept in the public repository of the RocketPy project,
    https://github.com/RocketPy-Team/RocketPy  (folder data/rockets/)
    Licence: MIT License, Copyright (c) 2018 Giovani Hidalgo Ceotto (the repository's LICENSE).
    The logs were recorded by the teams named below and shared with that project; each entry
    names the file and the commit it is read from.

Only the converted flight files are kept in this folder; the repository itself is not. To
regenerate them:

    git clone https://github.com/RocketPy-Team/RocketPy /tmp/rocketpy
    python3 tests/real-flights/convert.py /tmp/rocketpy tests/real-flights

The conversion keeps what the sensor measured:
- a log of pressures keeps their ratios: p(i) / p(0) of the file equals the log's, up to the
  sensor's step (0.09 hPa at the fast rates, 0.02 hPa at the others);
- a log of altitudes becomes the pressure ratios that give back exactly those altitudes through
  the decoding's own law, h = (T + 273.16) * 29.271267 * ln(p0 / p), with the header's
  temperature T and calibration 10000;
- samples are taken, never averaged, at the file's sampling rate: each is the log's sample
  nearest in time, so a transient stays as sharp as it was recorded;
- a pressure outside the sensor's range is held at the range's end, as the sensor would;
- only the time on the ground is shortened: to at most PAD_SECONDS before the launch and
  GROUND_SECONDS after the landing.
"""
import math
import subprocess
import sys
from pathlib import Path

SOURCE = "https://github.com/RocketPy-Team/RocketPy"

# The sampling codes of header byte 7: samples per second, mask (the end marker), full scale.
SAMPLING = {0: (50, 0x1FFF, 8192.0), 1: (25, 0x1FFF, 8192.0), 2: (15, 0x7FFF, 32767.0),
            3: (10, 0x7FFF, 32767.0), 4: (5, 0x7FFF, 32767.0), 5: (1, 0x7FFF, 32767.0)}
FILE_BYTES = 9000  # the most a flight file holds
HEADER = 32
MAX_SAMPLES = (FILE_BYTES - HEADER) // 2 - 1  # one word is the end marker
PAD_SECONDS = 5.0
GROUND_SECONDS = 10.0
FEET = 0.3048

# name, (path, commit), kind, time column, value column, value scale (to metres or hPa),
# time scale (to seconds), header temperature, ground pressure in hPa for altitude logs,
# who flew it
FLIGHTS = [
    ("juno3-2023", ("data/rockets/juno3/cots_altimeter.csv",
                    "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "pressure", "time", "pressure", 1.0, 1.0, 32, None,
     "Juno III, Projeto Jupiter (Univ. of Sao Paulo), Spaceport America Cup 2023"),
    ("prometheus-telemetrum-2022", ("data/rockets/prometheus/"
                                    "2022-06-24-serial-5115-flight-0001-TeleMetrum.csv",
                                    "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "pressure", "time", "pressure", 0.01, 1.0, 34, None,
     "Prometheus, Western Engineering Rocketry Team, Spaceport America Cup 2022"),
    ("prometheus-telemega-2022", ("data/rockets/prometheus/"
                                  "2022-06-24-serial-6583-flight-0003-TeleMega.csv",
                                  "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "pressure", "time", "pressure", 0.01, 1.0, 33, None,
     "Prometheus, its second flight computer"),
    ("hedy-2025", ("data/rockets/hedy/cats_tust/baro.csv",
                   "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "pressure", "ts", "P", 0.01, 1.0, 20, None,
     "Hedy, TU Wien Space Team, EuRoC 2025"),
    ("erebus-2022", ("data/rockets/erebus11/flight_data.csv",
                     "075cfe5519ce94bc9b1e51909655d10694540983"),
     "altitude", "T", "Alt", FEET, 0.001, 20, 1000.0,
     "Erebus-11, BME Suborbitals, EuRoC 2022"),
    ("ndrt-2020", ("data/rockets/NDRT_2020/ndrt_2020_flight_data.csv",
                   "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", " Time (s)", " Altitude (Ft-AGL)", FEET, 1.0, 15, 990.0,
     "Notre Dame Rocket Team, 2020"),
    ("andromeda-2022", ("data/rockets/andromeda/flight_data.csv",
                        "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "t(s)", "alt(m)", 1.0, 1.0, 30, 880.0,
     "Andromeda, Aristotle Space and Aeronautics Team, EuRoC 2022"),
    ("cavour-2023", ("data/rockets/polito/altimeter_cavour.csv",
                     "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "ts", "altitude[m]", 1.0, 1.0, 25, 1000.0,
     "Cavour, PoliTo Rocket Team, EuRoC 2023"),
    ("valkyrie", ("data/rockets/valkyrie/flightInfo_merged.csv",
                  "221e33020b8f84bb6536949f798c19e144379cee"),
     "altitude", "time", "altitude", 1.0, 1.0, 20, 1000.0,
     "Valkyrie"),
    ("bella-lui-2020", ("data/rockets/EPFL_Bella_Lui/bella_lui_flight_data_filtered.csv",
                        "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "time aprox (s)", "z (m)", 1.0, 1.0, 10, 960.0,
     "Bella Lui, EPFL Rocket Team, 2020"),
    ("halcyon-2023", ("data/rockets/astg/altimeter_halcyon.csv",
                      "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "ts", "filtered_altitude_AGL", 1.0, 1.0, 25, 1000.0,
     "Halcyon, Aerospace Team Graz, EuRoC 2023"),
    ("camoes-2023", ("data/rockets/camoes/flight_data.csv",
                     "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "ts", "filtered_altitude_AGL", 1.0, 1.0, 25, 1000.0,
     "Camoes, Rocket Experiment Division, EuRoC 2023"),
    ("genesis-2023", ("data/rockets/genesis/flight_data_faraday.csv",
                      "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "ts", "filtered_altitude_AGL", 1.0, 1.0, 25, 1000.0,
     "Genesis, Faraday Rocketry UPV, EuRoC 2023"),
    ("lince-2023", ("data/rockets/lince/main_data.csv",
                    "d41dd11efcae7234846b199d9d9b5cdcad17b933"),
     "altitude", "ts", "filtered_altitude_AGL", 1.0, 1.0, 25, 1000.0,
     "Lince, UC3M Student Team for Aerospace and Rocketry, EuRoC 2023"),
]


def read_log(checkout, path, commit):
    text = subprocess.run(["git", "-C", str(checkout), "show", f"{commit}:{path}"],
                          check=True, capture_output=True, text=True).stdout
    lines = [line for line in text.splitlines() if line.strip()]
    header = [h.lstrip("#") for h in lines[0].split(",")]
    return header, [line.split(",") for line in lines[1:]]


def samples_of(header, rows, time_col, value_col, value_scale, time_scale):
    t_at, v_at = header.index(time_col), header.index(value_col)
    out = []
    for r in rows:
        try:
            t, v = float(r[t_at]) * time_scale, float(r[v_at]) * value_scale
        except (ValueError, IndexError):
            continue
        if math.isfinite(t) and math.isfinite(v) and (not out or t > out[-1][0]):
            out.append((t, v))
    return out


def pressure_of_raw(raw, full_scale):
    v = 3.0 - raw * 2.048 / full_scale
    return (v / 3.0 + 0.095) * 10000.0 / 9.0


def raw_of_pressure(p, full_scale):
    v = (p * 9.0 / 10000.0 - 0.095) * 3.0
    return (3.0 - v) * full_scale / 2.048


def convert(entry, checkout):
    (name, (path, commit), kind, time_col, value_col, value_scale, time_scale, temperature,
     ground_hpa, _who) = entry
    header, rows = read_log(checkout, path, commit)
    log = samples_of(header, rows, time_col, value_col, value_scale, time_scale)
    # Pressures as hPa; altitudes through the decoding's law at the header's temperature.
    if kind == "altitude":
        scale = (temperature + 273.16) * 29.271267
        log = [(t, ground_hpa * math.exp(-h / scale)) for t, h in log]
    p_ground = log[0][1]
    height = [(t, math.log(p_ground / p) * 8400.0) for t, p in log]  # metres, roughly
    launch = next(t for t, h in height if h >= 3.0)
    top = max(range(len(height)), key=lambda i: height[i][1])
    landing = next((t for t, h in height[top:] if h <= 3.0), None)
    start = max(log[0][0], launch - PAD_SECONDS)
    end = log[-1][0] if landing is None else min(log[-1][0], landing + GROUND_SECONDS)
    # The log's rate in the climb (some loggers slow down later).
    climb = [b[0] - a[0] for a, b in zip(log, log[1:]) if launch <= a[0] <= launch + 5.0]
    log_rate = 1.0 / sorted(climb)[len(climb) // 2]
    # The fastest rate that takes every n-th sample of the climb and leaves the file room; for an
    # uneven log, the fastest rate it has samples for.
    def fits(rate, whole):
        n = log_rate / rate
        return (n >= 0.95 and (not whole or abs(n - round(n)) < 0.05) and
                (end - start) * rate + 1 <= MAX_SAMPLES)
    codes = sorted(SAMPLING.items())
    code = next((c for c, (rate, _, _) in codes if fits(rate, True)), None)
    if code is None:
        code = next(c for c, (rate, _, _) in codes if fits(rate, False))
    rate, mask, full_scale = SAMPLING[code]
    count = int((end - start) * rate + 1e-9) + 1
    words, j = [], 0
    for k in range(count):
        t = start + k / rate
        while j + 1 < len(log) and abs(log[j + 1][0] - t) <= abs(log[j][0] - t):
            j += 1
        words.append(min(max(round(raw_of_pressure(log[j][1], full_scale)), 0), mask - 1))
    b = bytearray(HEADER)
    serial = 4000 + FLIGHTS.index(entry)
    b[2] = FLIGHTS.index(entry) + 1
    b[3:5] = serial.to_bytes(2, "little")
    b[5:7] = temperature.to_bytes(2, "little")
    b[7] = code
    b[8:10] = (10000).to_bytes(2, "little")
    for w in words:
        b += w.to_bytes(2, "little")
    b += b"\xff\xff"
    assert len(b) <= FILE_BYTES
    return bytes(b), rate, count


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: convert.py ROCKETPY_CHECKOUT OUTPUT_FOLDER")
    checkout, out = Path(sys.argv[1]), Path(sys.argv[2])
    for entry in FLIGHTS:
        data, rate, count = convert(entry, checkout)
        (out / f"{entry[0]}.hyp").write_bytes(data)
        print(f"{entry[0]}.hyp: {count} samples at {rate}/s, {len(data)} bytes")


if __name__ == "__main__":
    main()
