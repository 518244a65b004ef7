// Limits of the engine's tables and its unit numbers.
#pragma once

namespace eng {

// Limits of the engine's tables.
constexpr int kMaxPiles = 500;
constexpr int kMaxLayers = 30;
constexpr int kMaxFrequencies = 1024;
constexpr int kMaxTimePoints = 1024;
constexpr int kMaxTransientLoads = 10;
constexpr int kMaxRandomPoints = 200;
constexpr int kMaxSpectra = 100;
constexpr int kInputLineLength = 80;
constexpr int kExpandedLineLength = 500;
constexpr int kKeywordCount = 52;

// Unit numbers.
constexpr int kUnitConsole = 0;
constexpr int kUnitNames = 2;
constexpr int kUnitInput = 4;
constexpr int kUnitPlot = 6;
constexpr int kUnitTape7 = 7;
constexpr int kUnitTape8 = 8;
constexpr int kUnitMass = 9;
constexpr int kUnitReport = 16;

}  // namespace eng
