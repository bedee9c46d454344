#pragma once
// The window's single conversion: the process-wide graph that Open Video,
// Options and Convert work on, reading the window's live settings and filling
// its compressor slots from the catalogue by index.
#include <functional>
#include <string>
#include <string_view>

#include "engine/Conversion.h"

namespace ui {
class Dialog;
}

namespace engine {

class ConversionGraph : public Conversion {
public:
    static ConversionGraph& Instance();

    // The main window: target of graph notifications, with its live settings and
    // its error text buffer.
    void Attach(ui::Dialog* window, OutputSettings* settings, std::string* errorText);
    // Who hears the conversion's messages: the window's reporter while there is a
    // window; standard error when null.
    void SetReporter(Reporter* reporter);

    // Catalogue access for the settings: the preferred entry's index or -1, and
    // filling a slot with a fresh instance (releasing what it held).
    int FindPreferredCompressor(CompressorCategory category, std::string_view fragment);
    // kKeepStream fills a slot with "keep the original stream".
    void GetCompressor(int index);
    void GetAudioCompressor(int index);
    // Whether the format can hold the open source's stream of the category as it
    // is, so that keeping it can be offered. WMV never: its writer encodes.
    bool SourceStreamKept(CompressorCategory category, int format) const;

    ui::Dialog* window() const { return window_; }
    OutputSettings* settings() const { return settings_; }

protected:
    void RenewCompressor(bool video) override;
    std::function<void()> EventNotifier() const override;

private:
    ConversionGraph();
    // The catalogue index for a slot under the current format's family.
    int SlotIndex(bool video) const;
    ui::Dialog* window_ = nullptr;
};

}  // namespace engine
