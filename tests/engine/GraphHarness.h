#pragma once
// What every engine test needs around the process-wide graph: an owner window and
// the window's reporter for its messages, the settings it reads, recorded message boxes and a
// scratch folder.
#include <string>
#include <vector>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/WindowReporter.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"

class GraphHarness {
protected:
    static ui::DialogTemplate OwnerTemplate() {
        ui::DialogTemplate t;
        t.id = 102;
        t.rect = {0, 0, 100, 50};
        return t;
    }
    void AttachGraph() {
        ui::SetApplicationName("quorvel-converter");
        graph.Attach(&owner, &settings, &errorText);
        graph.SetReporter(&reporter);
    }
    // Releases everything the test made the graph hold, so the next test starts bare.
    void DetachGraph() {
        graph.ReleaseMediaEvent();
        graph.ReleaseMediaControl();
        graph.ReleaseGraph();
        graph.ReleaseCompressorSlots();
        graph.Attach(nullptr, nullptr, nullptr);
        graph.SetReporter(nullptr);
        media::testing::ResetAll();
    }
    // The catalogue's preferred compressors in the slots `format` reads: WebM's own
    // pair, or the pair every other format shares.
    void ChoosePreferredCompressors(int format) {
        const bool webm = format == engine::kWebm;
        const auto& row = engine::OutputFormatTable[webm ? engine::kWebm : engine::kAvi];
        (webm ? settings.webmVideoCompressorIndex : settings.videoCompressorIndex) =
            graph.FindPreferredCompressor(engine::CompressorCategory::Video, row.preferredVideo);
        (webm ? settings.webmAudioCompressorIndex : settings.audioCompressorIndex) =
            graph.FindPreferredCompressor(engine::CompressorCategory::Audio, row.preferredAudio);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : automation.boxes) texts.push_back(b.text);
        return texts;
    }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    ui::Dialog owner{OwnerTemplate(), nullptr};
    // The engine speaks through a reporter: the window's, which shows its boxes.
    app::WindowReporter reporter{&owner};
    engine::OutputSettings settings;
    std::string errorText;
    std::string sourcePath;
    testenv::TempDir out;
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
};
