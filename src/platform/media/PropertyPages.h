#pragma once
// Settings of filters that have them (compressors): the data behind their property
// pages, read and changed by the ui layer's property frame and by the vfw layer.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/OptionType.h"
#include "platform/Result.h"
#include "platform/media/Filter.h"

namespace media {

struct FilterOption {
    using Type = OptionType;
    std::string name;  // the key SetOption takes ("b", "g", "deadline"...)
    std::string help;
    Type type = Type::Integer;
    double minimum = 0;
    double maximum = 0;
    std::string value;         // current value, as text
    std::string defaultValue;  // as text
    // For Choice: (shown name, value) pairs; value is what SetOption takes.
    std::vector<std::pair<std::string, std::string>> choices;
};

struct PropertyPage {
    std::string title;
    std::vector<FilterOption> options;
};

// ISpecifyPropertyPages: offered by filters that have settings.
class SpecifyPropertyPages {
public:
    virtual ~SpecifyPropertyPages() = default;
    // The pages with their options and current values.
    virtual HRESULT GetPages(std::vector<PropertyPage>& pages) = 0;
    // E_INVALIDARG for an unknown option or a value out of its range; the filter is
    // unchanged then. Takes effect at the next Run.
    virtual HRESULT SetOption(const std::string& name, const std::string& value) = 0;
};

// Empty when the filter has no settings.
std::shared_ptr<SpecifyPropertyPages> QuerySpecifyPropertyPages(
    const std::shared_ptr<Filter>& filter);

// Applies stored settings (a driver's state, say) to a filter before it runs: every
// pair is tried; the first failure's code is returned, the others still applied.
HRESULT SetFilterOptions(const std::shared_ptr<Filter>& filter,
                         const std::map<std::string, std::string>& options);

// A compressor whose encoder would not start with the settings it was given, so
// that the run went on with the encoder's own: the streaming engine notes it (on
// standard error too), and the window reads the names noted since it last asked.
void NoteSettingsRefused(const std::shared_ptr<Filter>& compressor, const std::string& encoderName);
std::vector<std::shared_ptr<Filter>> TakeSettingsRefused();

}  // namespace media
