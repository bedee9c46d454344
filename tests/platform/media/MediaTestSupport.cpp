#include "MediaTestSupport.h"

namespace mediatest {

using namespace media;

std::vector<std::shared_ptr<Filter>> Filters(FilterGraph& graph) {
    std::vector<std::shared_ptr<Filter>> out;
    std::shared_ptr<EnumFilters> e;
    if (FAILED(graph.EnumFilters(e))) return out;
    std::shared_ptr<Filter> f;
    while (e->Next(f) == S_OK) out.push_back(f);
    return out;
}

std::vector<std::string> FilterNames(FilterGraph& graph) {
    std::vector<std::string> names;
    for (const auto& f : Filters(graph)) {
        FilterInfo info;
        f->QueryFilterInfo(info);
        names.push_back(info.name);
    }
    return names;
}

std::vector<std::shared_ptr<Pin>> Pins(const Filter& filter) {
    std::vector<std::shared_ptr<Pin>> out;
    std::shared_ptr<EnumPins> e;
    if (FAILED(filter.EnumPins(e))) return out;
    std::shared_ptr<Pin> p;
    while (e->Next(p) == S_OK) out.push_back(p);
    return out;
}

void CountPins(const Filter& filter, int& inputs, int& outputs) {
    inputs = outputs = 0;
    for (const auto& p : Pins(filter)) {
        PinDirection d;
        p->QueryDirection(d);
        ++(d == PINDIR_INPUT ? inputs : outputs);
    }
}

std::shared_ptr<Pin> GetPin(const Filter& filter, PinDirection dir, int n) {
    for (const auto& p : Pins(filter)) {
        PinDirection d;
        p->QueryDirection(d);
        if (d == dir && n-- == 0) return p;
    }
    return nullptr;
}

std::shared_ptr<Filter> FindRenderer(FilterGraph& graph, const Guid& major) {
    for (const auto& f : Filters(graph)) {
        int in = 0, out = 0;
        CountPins(*f, in, out);
        if (in != 1 || out != 0) continue;
        MediaType type;
        if (SUCCEEDED(GetPin(*f, PINDIR_INPUT, 0)->ConnectionMediaType(type)) &&
            type.majortype == major)
            return f;
    }
    return nullptr;
}

std::shared_ptr<FilterGraph> Render(const std::string& path) {
    std::shared_ptr<FilterGraph> graph;
    if (FAILED(CreateFilterGraph(graph)) || FAILED(graph->RenderFile(path))) return nullptr;
    return graph;
}

std::shared_ptr<Filter> BindCompressor(const Guid& category, const std::string& friendlyName) {
    std::shared_ptr<CreateDevEnum> devices;
    std::shared_ptr<EnumMoniker> monikers;
    if (FAILED(CreateSystemDeviceEnum(devices)) ||
        devices->CreateClassEnumerator(category, monikers, 0) != S_OK)
        return nullptr;
    std::shared_ptr<Moniker> m;
    while (monikers->Next(m) == S_OK) {
        std::shared_ptr<PropertyBag> bag;
        std::string name;
        if (SUCCEEDED(m->BindToStorage(bag)) && SUCCEEDED(bag->Read("FriendlyName", name)) &&
            name == friendlyName) {
            std::shared_ptr<Filter> filter;
            m->BindToObject(filter);
            return filter;
        }
    }
    return nullptr;
}

HRESULT BuildConversion(const std::string& source, const Guid& writer, const std::string& output,
                        const std::shared_ptr<Filter>& videoCompressor,
                        const std::shared_ptr<Filter>& audioCompressor, Conversion& out) {
    HRESULT hr = CreateFilterGraph(out.graph);
    if (FAILED(hr) || FAILED(hr = out.graph->RenderFile(source))) return hr;
    auto& graph = *out.graph;
    std::shared_ptr<Pin> pins[2];
    const Guid majors[2] = {MEDIATYPE_Video, MEDIATYPE_Audio};
    for (int i = 0; i < 2; ++i) {
        auto renderer = FindRenderer(graph, majors[i]);
        if (!renderer) return E_FAIL;
        if (FAILED(hr = GetPin(*renderer, PINDIR_INPUT, 0)->ConnectedTo(pins[i]))) return hr;
        if (FAILED(hr = graph.RemoveFilter(renderer))) return hr;
    }
    std::shared_ptr<CaptureGraphBuilder> builder;
    if (FAILED(hr = CreateCaptureGraphBuilder(builder)) ||
        FAILED(hr = builder->SetFiltergraph(out.graph)))
        return hr;
    if (FAILED(hr = builder->SetOutputFileName(writer, output, out.mux, out.sink))) return hr;
    if (auto interleaving = QueryConfigInterleaving(out.mux))
        interleaving->put_Mode(INTERLEAVE_FULL);
    if (auto fileSink = QueryFileSinkFilter2(out.sink)) fileSink->SetMode(AM_FILE_OVERWRITE);
    const std::shared_ptr<Filter> compressors[2] = {videoCompressor, audioCompressor};
    const char* names[2] = {"VideoCompressor", "AudioCompressor"};
    HRESULT* results[2] = {&out.videoRoute, &out.audioRoute};
    for (int i = 0; i < 2; ++i) {
        if (compressors[i] && FAILED(hr = graph.AddFilter(compressors[i], names[i]))) return hr;
        *results[i] = builder->RenderStream(nullptr, nullptr, pins[i], compressors[i], out.mux);
        if (FAILED(*results[i])) return *results[i];
    }
    return S_OK;
}

long RunToEnd(FilterGraph& graph, HRESULT* hr, long timeoutMs, LONG_PTR* detail) {
    std::shared_ptr<MediaControl> control;
    std::shared_ptr<MediaEventEx> events;
    if (FAILED(graph.QueryMediaControl(control)) || FAILED(graph.QueryMediaEventEx(events)))
        return 0;
    const HRESULT run = control->Run();
    if (FAILED(run)) {
        if (hr) *hr = run;
        return 0;
    }
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (SUCCEEDED(events->GetEvent(code, p1, p2, timeoutMs))) {
        events->FreeEventParams(code, p1, p2);
        if (code == EC_COMPLETE || code == EC_ERRORABORT) {
            if (hr) *hr = static_cast<HRESULT>(p1);
            if (detail) *detail = p2;
            control->Stop();
            return code;
        }
    }
    control->Stop();
    return 0;
}

double SourceFrameSeconds(const std::string& path) {
    auto graph = Render(path);
    std::shared_ptr<BasicVideo> video;
    double seconds = 0;
    if (graph && SUCCEEDED(graph->QueryBasicVideo(video))) video->get_AvgTimePerFrame(seconds);
    return seconds;
}

std::vector<detail::FramePtr> ThroughVideoChain(const detail::VideoPlan& plan, AVRational timeBase,
                                                std::int64_t start, std::int64_t frameDuration,
                                                std::vector<detail::FramePtr> pictures,
                                                std::string* text, std::vector<RunNote>* notes) {
    auto events = std::make_shared<detail::EventQueue>();
    detail::RunStatus status{events};
    detail::VideoChain chain(plan, {1, 1}, timeBase, start, frameDuration, status);
    std::vector<detail::FramePtr> out;
    const detail::VideoChain::Emit emit = [&](AVFrame& frame) {
        out.emplace_back(av_frame_clone(&frame));
        return true;
    };
    std::string reason;
    if (!pictures.empty()) {
        EXPECT_EQ(chain.Configure(detail::PictureOf(*pictures.front()), reason), S_OK) << reason;
    }
    if (text) *text = chain.text();
    for (auto& picture : pictures) EXPECT_TRUE(chain.Send(std::move(picture), emit));
    EXPECT_TRUE(chain.Finish(emit));
    if (notes) *notes = events->Notes();
    return out;
}

std::vector<detail::FramePtr> ThroughAudioChain(const detail::SoundFormat& target, int chunk,
                                                std::vector<detail::FramePtr> sound) {
    detail::RunStatus status{std::make_shared<detail::EventQueue>()};
    const int rate = sound.empty() ? target.sampleRate : sound.front()->sample_rate;
    detail::AudioChain chain(target, chunk, {1, rate}, 0, false, status);
    std::vector<detail::FramePtr> out;
    const detail::AudioChain::Emit emit = [&](AVFrame& frame) {
        out.emplace_back(av_frame_clone(&frame));
        return true;
    };
    std::string reason;
    EXPECT_EQ(chain.Configure(sound.empty() ? target : detail::SoundOf(*sound.front()), reason), S_OK);
    for (auto& piece : sound) EXPECT_TRUE(chain.Send(std::move(piece), emit));
    EXPECT_TRUE(chain.Finish(emit));
    return out;
}

}  // namespace mediatest
