#pragma once
// A compressor named as the catalogue names it, with the settings the person
// changed in its Settings: how a job and a preset name what they compress with,
// so that neither depends on where the compressor stands in the catalogue.
#include <map>
#include <string>

namespace engine {

struct CompressorChoice {
    std::string name;  // empty: no compressor (the stream goes in as it is decoded)
    std::map<std::string, std::string> settings;  // FFmpeg option names and values
    bool keep = false;  // the source's stream as it is, where the format holds it
    bool operator==(const CompressorChoice&) const = default;
};

}  // namespace engine
