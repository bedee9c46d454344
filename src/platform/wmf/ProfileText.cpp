// Profile text: the XML form of the platform's profile files (<profile>, <streamconfig>,
// <wmmediatype>, <waveformatex>, <videoinfoheader>...). Names are compared without
// regard to case; anything else than this form is refused with NS_E_INVALIDPROFILE.
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "platform/Text.h"
#include "platform/wmf/WmfInternal.h"

namespace wmf::detail {
namespace {

struct Element {
    std::string name;                          // lower case
    std::map<std::string, std::string> attrs;  // names lower case
    std::vector<Element> children;

    const Element* Child(const std::string& n) const {
        for (const auto& c : children)
            if (c.name == n) return &c;
        return nullptr;
    }
};

// A small XML reader: elements, attributes in quotes, the five entities, comments and
// declarations. Text between elements is ignored. Nesting is bounded.
class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool Document(Element& root) {
        if (!Misc()) return false;
        if (!ElementAt(root, 0)) return false;
        return Misc() && pos_ == s_.size();
    }

private:
    static constexpr int kMaxDepth = 16;

    bool StartsWith(const char* p) const { return s_.compare(pos_, std::strlen(p), p) == 0; }
    void Blank() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool SkipPast(const char* end) {
        const auto at = s_.find(end, pos_);
        if (at == std::string::npos) return false;
        pos_ = at + std::strlen(end);
        return true;
    }
    // Blanks, comments and declarations between elements.
    bool Misc() {
        for (;;) {
            Blank();
            if (StartsWith("<!--")) {
                if (!SkipPast("-->")) return false;
            } else if (StartsWith("<?")) {
                if (!SkipPast("?>")) return false;
            } else {
                return true;
            }
        }
    }
    bool Name(std::string& out) {
        const auto start = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                    s_[pos_] == '_' || s_[pos_] == '-' || s_[pos_] == ':' ||
                                    s_[pos_] == '.'))
            ++pos_;
        out = text::Lowered(s_.substr(start, pos_ - start));
        return !out.empty();
    }
    bool Value(std::string& out) {
        if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) return false;
        const char quote = s_[pos_++];
        const auto end = s_.find(quote, pos_);
        if (end == std::string::npos) return false;
        const std::string raw = s_.substr(pos_, end - pos_);
        pos_ = end + 1;
        out.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '<') return false;
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            static const std::pair<const char*, char> entities[] = {
                {"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
            bool known = false;
            for (const auto& [entity, ch] : entities)
                if (raw.compare(i, std::strlen(entity), entity) == 0) {
                    out += ch;
                    i += std::strlen(entity) - 1;
                    known = true;
                    break;
                }
            if (!known) return false;
        }
        return true;
    }
    bool ElementAt(Element& e, int depth) {
        if (depth > kMaxDepth || pos_ >= s_.size() || s_[pos_] != '<') return false;
        ++pos_;
        if (!Name(e.name)) return false;
        for (;;) {
            Blank();
            if (StartsWith("/>")) {
                pos_ += 2;
                return true;
            }
            if (StartsWith(">")) {
                ++pos_;
                break;
            }
            std::string attr, value;
            if (!Name(attr)) return false;
            Blank();
            if (pos_ >= s_.size() || s_[pos_] != '=') return false;
            ++pos_;
            Blank();
            if (!Value(value)) return false;
            e.attrs[attr] = value;
        }
        for (;;) {
            while (pos_ < s_.size() && s_[pos_] != '<') ++pos_;  // text is ignored
            if (pos_ >= s_.size()) return false;
            if (StartsWith("<!--") || StartsWith("<?")) {
                if (!Misc()) return false;
                continue;
            }
            if (StartsWith("</")) {
                pos_ += 2;
                std::string closing;
                if (!Name(closing) || closing != e.name) return false;
                Blank();
                if (pos_ >= s_.size() || s_[pos_] != '>') return false;
                ++pos_;
                return true;
            }
            e.children.emplace_back();
            if (!ElementAt(e.children.back(), depth + 1)) return false;
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

// ---- reading values ------------------------------------------------------------

class Attrs {
public:
    explicit Attrs(const Element& e) : e_(e) {}
    bool ok() const { return ok_; }

    template <typename T>
    T Number(const char* name, T fallback, bool required = false) {
        const auto it = e_.attrs.find(name);
        if (it == e_.attrs.end()) {
            if (required) ok_ = false;
            return fallback;
        }
        T value{};
        const char* first = it->second.data();
        const char* last = first + it->second.size();
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || end != last) {
            ok_ = false;
            return fallback;
        }
        return value;
    }
    std::string Text(const char* name) const {
        const auto it = e_.attrs.find(name);
        return it == e_.attrs.end() ? std::string() : it->second;
    }
    GUID Guid(const char* name) {
        GUID g;
        if (!GuidFromString(Text(name), g)) ok_ = false;
        return g;
    }
    // A FOURCC written as its four characters ("WMV2") or as a number.
    DWORD Fourcc(const char* name) {
        const std::string text = Text(name);
        if (text.size() == 4 && !std::isdigit(static_cast<unsigned char>(text[0])))
            return MakeFourcc(text[0], text[1], text[2], text[3]);
        return Number<DWORD>(name, 0, true);
    }
    std::vector<BYTE> Hex(const char* name) {
        const std::string text = Text(name);
        std::vector<BYTE> out;
        if (text.size() % 2) ok_ = false;
        for (std::size_t i = 0; ok_ && i + 1 < text.size(); i += 2) {
            unsigned value = 0;
            const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
            if (ec != std::errc() || end != text.data() + i + 2) ok_ = false;
            out.push_back(static_cast<BYTE>(value));
        }
        return out;
    }

private:
    const Element& e_;
    bool ok_ = true;
};

bool ReadRect(const Element* e, RECT& r) {
    if (!e) return true;  // the codec's zero rectangle
    Attrs a(*e);
    r.left = a.Number<std::int32_t>("left", 0);
    r.top = a.Number<std::int32_t>("top", 0);
    r.right = a.Number<std::int32_t>("right", 0);
    r.bottom = a.Number<std::int32_t>("bottom", 0);
    return a.ok();
}

bool ReadMediaType(const Element& e, const GUID& major, WM_MEDIA_TYPE& type) {
    Attrs a(e);
    const bool fixed = a.Number<int>("bfixedsizesamples", 0) != 0;
    const bool temporal = a.Number<int>("btemporalcompression", 0) != 0;
    const DWORD sampleSize = a.Number<DWORD>("lsamplesize", 0);
    if (const Element* w = e.Child("waveformatex")) {
        Attrs wa(*w);
        WAVEFORMATEX wave;
        wave.wFormatTag = wa.Number<WORD>("wformattag", 0, true);
        wave.nChannels = wa.Number<WORD>("nchannels", 0, true);
        wave.nSamplesPerSec = wa.Number<DWORD>("nsamplespersec", 0, true);
        wave.nAvgBytesPerSec = wa.Number<DWORD>("navgbytespersec", 0, true);
        wave.nBlockAlign = wa.Number<WORD>("nblockalign", 0, true);
        wave.wBitsPerSample = wa.Number<WORD>("wbitspersample", 16);
        const std::vector<BYTE> codecData = wa.Hex("codecdata");
        if (!wa.ok() || codecData.size() > 0xFFFF) return false;
        type = WaveFormatMediaType(wave, codecData);
    } else if (const Element* v = e.Child("videoinfoheader")) {
        Attrs va(*v);
        VIDEOINFOHEADER info;
        info.dwBitRate = va.Number<DWORD>("dwbitrate", 0);
        info.dwBitErrorRate = va.Number<DWORD>("dwbiterrorrate", 0);
        info.AvgTimePerFrame = va.Number<std::int64_t>("avgtimeperframe", 0, true);
        const Element* b = v->Child("bitmapinfoheader");
        if (!b || !va.ok() || !ReadRect(v->Child("rcsource"), info.rcSource) ||
            !ReadRect(v->Child("rctarget"), info.rcTarget))
            return false;
        Attrs ba(*b);
        BITMAPINFOHEADER& h = info.bmiHeader;
        h.biWidth = ba.Number<std::int32_t>("biwidth", 0, true);
        h.biHeight = ba.Number<std::int32_t>("biheight", 0, true);
        h.biPlanes = ba.Number<WORD>("biplanes", 1);
        h.biBitCount = ba.Number<WORD>("bibitcount", 24);
        h.biCompression = ba.Fourcc("bicompression");
        h.biSizeImage = ba.Number<DWORD>("bisizeimage", 0);
        h.biXPelsPerMeter = ba.Number<std::int32_t>("bixpelspermeter", 0);
        h.biYPelsPerMeter = ba.Number<std::int32_t>("biypelspermeter", 0);
        h.biClrUsed = ba.Number<DWORD>("biclrused", 0);
        h.biClrImportant = ba.Number<DWORD>("biclrimportant", 0);
        if (!ba.ok()) return false;
        type = VideoInfoMediaType(info);
    } else {
        return false;
    }
    if (!(type.majortype == major)) return false;
    if (!a.Text("subtype").empty()) type.subtype = a.Guid("subtype");
    type.bFixedSizeSamples = fixed;
    type.bTemporalCompression = temporal;
    type.lSampleSize = sampleSize;
    return a.ok();
}

HRESULT ReadStream(const Element& e, WMProfile& profile) {
    Attrs a(e);
    const GUID major = a.Guid("majortype");
    const WORD number = a.Number<WORD>("streamnumber", 0, true);
    const DWORD bitrate = a.Number<DWORD>("bitrate", 0);
    const DWORD window = a.Number<DWORD>("bufferwindow", 3000);
    const Element* mt = e.Child("wmmediatype");
    if (!a.ok() || !mt) return NS_E_INVALIDPROFILE;
    std::shared_ptr<WMStreamConfig> config;
    if (FAILED(profile.CreateNewStream(major, config))) return NS_E_INVALIDPROFILE;
    WM_MEDIA_TYPE type;
    if (!ReadMediaType(*mt, major, type)) return NS_E_INVALIDPROFILE;
    if (FAILED(config->SetStreamNumber(number))) return NS_E_INVALIDPROFILE;
    config->SetStreamName(a.Text("streamname"));
    config->SetConnectionName(a.Text("inputname"));
    config->SetBitrate(bitrate);
    config->SetBufferWindow(window);
    QueryMediaProps(config)->SetMediaType(type);
    if (auto video = QueryVideoMediaProps(config)) {
        if (const Element* vp = e.Child("videomediaprops")) {
            Attrs va(*vp);
            const auto spacing = va.Number<std::int64_t>("maxkeyframespacing", 80'000'000);
            const auto quality = va.Number<DWORD>("quality", 75);
            if (!va.ok() || FAILED(video->SetMaxKeyFrameSpacing(spacing)) ||
                FAILED(video->SetQuality(quality)))
                return NS_E_INVALIDPROFILE;
        }
    }
    return SUCCEEDED(profile.AddStream(config)) ? S_OK : NS_E_INVALIDPROFILE;
}

}  // namespace

HRESULT ParseProfile(const std::string& text, std::shared_ptr<WMProfile>& profile) {
    profile.reset();
    try {
        Element root;
        if (!Reader(text).Document(root) || root.name != "profile") return NS_E_INVALIDPROFILE;
        Attrs a(root);
        const DWORD version = a.Number<DWORD>("version", WMT_VER_9_0);
        if (!a.ok()) return NS_E_INVALIDPROFILE;
        auto made = std::make_shared<Profile>(version);
        made->SetName(a.Text("name"));
        made->SetDescription(a.Text("description"));
        for (const Element& child : root.children) {
            if (child.name != "streamconfig") continue;
            if (const HRESULT hr = ReadStream(child, *made); FAILED(hr)) return hr;
        }
        profile = std::move(made);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace wmf::detail
